#pragma once
// What the main window shares with the controls built from forms.xml: the three image lists and
// the database connection. The main window fills it at start-up; controls only refer to it.
#include <QIcon>
#include <QList>

namespace tarvo {

class SqlConnection;

struct SharedResources {
    QList<QIcon> buttonIcons;   // 12 icons, 16x16: New, Edit, Delete, OK, Cancel, Search,
                                // Printer, Report, Save, Exit, Excel, Database
    QList<QIcon> buttonEdit;    // 7 icons, 16x16: the file field's embedded buttons
    QList<QIcon> imageDataBase; // 3 icons, 24x24: open, save, delete
    SqlConnection *connection = nullptr;
};

SharedResources &sharedResources();

} // namespace tarvo
