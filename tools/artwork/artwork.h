// Pictures the tool ships, drawn by Qt so that the repository holds their source.
#pragma once

#include <QImage>

QImage drawIcon();
