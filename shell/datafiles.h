// Where the program's data files (translations, banner pictures) are read from.
#pragma once

#include <QString>

// The first existing file among: relativePath in the working directory, in the
// program's own folder, in the installed data folder (../share/pakto from the
// program's bin/). When none exists, "./" + relativePath, as if it were local.
QString findDataFile(const QString &relativePath);
