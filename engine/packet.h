// One test packet: the frame body exactly as it goes on the line.
#pragma once

#include <QtGlobal>

constexpr int PACKET_CAPACITY = 4096;
constexpr quint8 PACKET_TAG = 0x5A;
constexpr int PACKET_TAG_LENGTH = 2;

// One heap block with one owner at a time: the sender, the ring of outstanding
// packets or the comparison. Its content never changes once built.
struct Packet {
    quint16 length; // valid bytes, tag included
    double sentMs;  // clock reading when it was handed to the port, for its round trip
    quint8 bytes[PACKET_CAPACITY];
};

enum class TrafficDirection { Sent, Received };
