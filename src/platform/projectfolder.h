#pragma once
// The project folder: the folder of the running executable, ending in a separator. Every project
// file (settings.ini, tables.ini, forms.xml, graphics.dll, Report/) is found there.
#include <QString>

namespace tarvo {

QString projectFolder();
// Tests point Tarvo at a fixture folder; an empty path restores the executable's folder.
void setProjectFolder(const QString &folder);

} // namespace tarvo
