#include "fault.h"

QString faultName(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return QStringLiteral("none");
    case Fault::BadFcs:
        return QStringLiteral("bad-fcs");
    case Fault::BadEscape:
        return QStringLiteral("bad-escape");
    case Fault::Drop:
        return QStringLiteral("drop");
    case Fault::Duplicate:
        return QStringLiteral("duplicate");
    case Fault::Corrupt:
        return QStringLiteral("corrupt");
    case Fault::Short:
        return QStringLiteral("short");
    case Fault::Oversize:
        return QStringLiteral("oversize");
    case Fault::Noise:
        return QStringLiteral("noise");
    }
    return QString();
}

bool faultFromName(const QString &name, Fault &fault)
{
    for (Fault candidate : INJECTABLE_FAULTS) {
        if (faultName(candidate) == name) {
            fault = candidate;
            return true;
        }
    }
    return false;
}
