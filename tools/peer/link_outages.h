// Takes the pseudo-terminal and its link away and brings them back anew as
// the plan says: a device unplugged, or rebooting, while the tool has it open.
#pragma once

#include "outage_plan.h"
#include "pty_link.h"
#include "scoped_symlink.h"

#include <QElapsedTimer>
#include <QObject>

#include <optional>

class LinkOutages : public QObject
{
    Q_OBJECT
public:
    LinkOutages(const OutagePlan &plan, PtyLink &pty, ScopedSymlink &symlink,
                const QString &linkPath);

    // The plan's times count from now.
    void start();

signals:
    // The pseudo-terminal or its link could not be made again.
    void failed(const QString &why);

private:
    void scheduleNext();
    void goAway();
    void comeBack();
    int msUntil(qint64 atMs) const;

    OutagePlan plan;
    PtyLink &pty;
    ScopedSymlink &symlink;
    QString linkPath;
    std::optional<Outage> current;
    QElapsedTimer clock;
};
