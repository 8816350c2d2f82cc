// The ways a reply can be spoiled on purpose, and their names on the command
// line and in the report.
#pragma once

#include <QString>

#include <array>

enum class Fault { None, BadFcs, BadEscape, Drop, Duplicate, Corrupt, Short, Oversize, Noise };

constexpr std::array<Fault, 8> INJECTABLE_FAULTS = {
    Fault::BadFcs,  Fault::BadEscape, Fault::Drop,     Fault::Duplicate,
    Fault::Corrupt, Fault::Short,     Fault::Oversize, Fault::Noise,
};

// "bad-fcs", "drop", ...; "none" for Fault::None.
QString faultName(Fault fault);

// The fault called name, or false when there is none by that name.
bool faultFromName(const QString &name, Fault &fault);
