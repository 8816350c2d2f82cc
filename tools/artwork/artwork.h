// Pictures the tool ships, drawn by Qt so that the repository holds their source.
#pragma once

#include "shell/vendor.h"

#include <QImage>

// One picture per advert the banner strip rotates through.
constexpr int ADVERT_COUNT = vendor::MAX_ADVERT_INDEX + 1;

constexpr int ICON_DESIGN_SIZE = 128;
// The application icon, size x size pixels.
QImage drawIcon(int size = ICON_DESIGN_SIZE);
// A tile that repeats along the banner strip behind the adverts.
QImage drawBannerBackground();
// One 840x112 advert in Chinese or English.
QImage drawAdvert(int index, bool english);
