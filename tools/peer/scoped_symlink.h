// A symbolic link that lives as long as this object, so scripts can open the
// pseudo-terminal by a name they chose.
#pragma once

#include <QString>

class ScopedSymlink
{
public:
    ScopedSymlink() = default;
    ~ScopedSymlink();
    ScopedSymlink(const ScopedSymlink &) = delete;
    ScopedSymlink &operator=(const ScopedSymlink &) = delete;

    // Makes linkPath point to target. A link left behind by an earlier run is
    // replaced; anything else in the way is an error.
    bool create(const QString &linkPath, const QString &target, QString &error);
    // Removes the link made, ahead of time; create may make it again.
    void remove();

private:
    QString made;
};
