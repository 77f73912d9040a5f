#include "app/settings.h"

#include "app/settingsfile.h"

#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "schema/inifile.h"

namespace tarvo {

QString settingsFileName()
{
    return projectFolder() + QStringLiteral("settings.ini");
}

QString ReadDatabaseFileName()
{
    return IniFile::load(settingsFileName()).value(QStringLiteral("Options"), QStringLiteral("server"), QString());
}

namespace {

const QString kGrids = QStringLiteral("Grids");

QString gridKey(const FormBase &form, const TdbStringGridEx &grid, const QString &item)
{
    return form.name() + QLatin1Char('.') + grid.objectName() + QLatin1Char('.') + item;
}

// A stored number outside [low, high] is as good as none: a hand-edited or damaged file must
// not make start-up build a hundred million columns.
int decimalOr(const QString &text, int fallback, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && value >= low && value <= high ? value : fallback;
}

} // namespace

void SaveGridLayouts()
{
    SettingsFile settings(settingsFileName());
    bool anyFilled = false;
    for (FormBase *form : openForms())
        for (TdbStringGridEx *grid : form->componentsOf<TdbStringGridEx>()) {
            if (!grid->dbIfUsed())
                continue;
            anyFilled = true;
            settings.setValue(kGrids, gridKey(*form, *grid, QStringLiteral("ColCount")),
                              QString::number(grid->colCount()));
            for (int i = 0; i < grid->colCount(); ++i)
                settings.setValue(kGrids, gridKey(*form, *grid, QString::number(i)),
                                  QString::number(grid->colWidth(i)));
        }
    if (anyFilled)
        settings.save();
}

void LoadGridLayouts()
{
    const IniFile settings = IniFile::load(settingsFileName());
    for (FormBase *form : openForms())
        for (TdbStringGridEx *grid : form->componentsOf<TdbStringGridEx>()) {
            if (const auto count = settings.value(kGrids, gridKey(*form, *grid, QStringLiteral("ColCount"))))
                grid->setColCount(decimalOr(*count, 5, 1, 1000));
            for (int i = 0; i < grid->colCount(); ++i)
                if (const auto width = settings.value(kGrids, gridKey(*form, *grid, QString::number(i))))
                    grid->setColWidth(i, decimalOr(*width, 100, 0, 10000));
        }
}

} // namespace tarvo
