#pragma once
// The project folder: the folder of the path the program was started by, ending in a separator.
// Every project file (settings.ini, tables.ini, forms.xml, graphics.dll, Report/) is found there.
// A symbolic link to the installed program inside a project folder makes that folder the project
// folder; the link is not followed to the program's own folder.
#include <QString>

namespace tarvo {

QString projectFolder();
// The program's path as started (argv[0] made absolute against the start folder, a bare name
// looked up on PATH as the shell did), links left unresolved. The executable's own path when the
// started path cannot be found.
QString startedProgramPath();
// Tests point Tarvo at a fixture folder; an empty path restores the started program's folder.
void setProjectFolder(const QString &folder);

} // namespace tarvo
