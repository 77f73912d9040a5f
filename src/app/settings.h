#pragma once
// settings.ini in the project folder: the stored database location and the grid layouts.
#include <QString>

namespace tarvo {

QString settingsFileName(); // projectFolder() + "settings.ini"
// [Options] server, or empty text when the key is absent or empty; a missing file reads as empty.
QString ReadDatabaseFileName();

// Writes [Grids] form.grid.ColCount and form.grid.<i> widths of every grid filled in this run;
// grids never filled keep their stored values. Raises FileError "Unable to write to ...".
void SaveGridLayouts();
// Applies the stored column counts (5 when not an integer) and widths (100) to every grid.
void LoadGridLayouts();

} // namespace tarvo
