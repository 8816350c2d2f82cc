// One frame as a line of text: "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB", in the
// traffic view and the capture file alike.
#pragma once

#include "packet.h"

#include <QString>

// The words of a line, in the interface language.
struct TrafficLabels {
    QString sent;
    QString received;
    QString bytes;
    QString failed;
};

// The words of the language installed now.
TrafficLabels translatedTrafficLabels();

// "[ 发 1234.500ms , 4字节 ]"
void appendTrafficHeader(QString &line, const TrafficLabels &labels, quint16 count,
                         TrafficDirection direction, double stampMs);
// " 5A 01 12 AB": each byte after a space.
void appendHex(QString &line, const quint8 *bytes, int count);

// A frame's line in the capture file: the header, then the bytes.
QString captureLine(const TrafficLabels &labels, const quint8 *bytes, quint16 count,
                    TrafficDirection direction, double stampMs);
