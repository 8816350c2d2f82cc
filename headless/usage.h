// The text --help shows above the options: what a run is and how it ends.
#pragma once

#include <QString>

QString runDescription();
