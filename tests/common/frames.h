// A body framed by the codec, as the device or the window would send it.
#pragma once

#include "codec/ppp_frame.h"

#include <QByteArray>

// A bad FCS flips a bit of the last FCS byte, which must then need no escape.
inline QByteArray frameOf(const QByteArray &body, bool badFcs = false)
{
    uint8_t frame[FRAME_BUF_SIZE];
    const int length = ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()),
                                        body.size(), frame, sizeof frame);
    frame[length - 2] ^= uint8_t(badFcs);
    return QByteArray(reinterpret_cast<const char *>(frame), length);
}
