// The window as a user meets it: widgets by the form's object names, a pseudo-terminal as its
// port (the test plays the device), its own working folder.
#pragma once

#include "app/mainwindow.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QtTest>

constexpr int QUIET_MS = 200; // how long the device listens for nothing

// A name the form no longer has fails the test at once.
template <typename T = QAbstractButton> T *child(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

struct WindowOnTerminal {
    template <typename T = QAbstractButton> T *find(const char *name) const
    {
        return child<T>(window, name);
    }
    void click(const char *name) const { find(name)->click(); }
    void type(const char *name, const QString &text) const { find<QLineEdit>(name)->setText(text); }
    bool open() const
    {
        click("btn_ser_conn");
        return window.session().isOpen();
    }
    const TrafficCounters &counters() const { return window.session().ledger().counters(); }
    bool deliver(const QByteArray &wire) // as the device, waiting until the window has read it all
    {
        const quint64 expected = counters().cntRxBytes + quint64(wire.size());
        return device.write(wire) &&
               QTest::qWaitFor([&] { return counters().cntRxBytes >= expected; }, 5000);
    }

    TestWorkDir workDir; // first: the window reads its settings from here
    PseudoTerminal device;
    MainWindow window{{device.slavePath()}};
};
