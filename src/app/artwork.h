#pragma once
// Tarvo's own pictures, compiled in: the three image lists of the main window in their fixed
// order, the About picture and the folder picture of the options dialog.
#include <QIcon>
#include <QList>
#include <QPixmap>

namespace tarvo {

QList<QIcon> buttonIconsImageList();   // 12 icons, 16x16
QList<QIcon> buttonEditImageList();    // 7 icons, 16x16
QList<QIcon> imageDataBaseImageList(); // 3 icons, 24x24
QPixmap aboutPicture();                // 169x350
QIcon folderIcon();                    // 16x16

} // namespace tarvo
