// pakto-peer: the simulated device behind a serial link. See --help.
#include "link_outages.h"
#include "peer.h"
#include "peer_options.h"
#include "pty_link.h"
#include "scoped_symlink.h"
#include "serial_link.h"
#include "shell/signalwatch.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>

namespace {

constexpr int EXIT_LINK_LOST = 1;
constexpr int EXIT_USAGE = 2;

void complain(const QString &why)
{
    std::fprintf(stderr, "pakto-peer: %s\n", qPrintable(why));
}

int refuse(const QString &why)
{
    complain(why);
    return EXIT_USAGE;
}

// Flushed at once: scripts wait for these lines while the peer runs on.
void printOut(const QString &text)
{
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
}

// Prints the path only once the link to it exists.
std::unique_ptr<PtyLink> openPty(const PeerOptions &options, ScopedSymlink &symlink, QString &error)
{
    auto pty = std::make_unique<PtyLink>();
    if (!pty->open(error))
        return nullptr;
    if (options.lineCharBits != 0)
        pty->paceAtLineRate(options.lineCharBits);
    if (!options.linkPath.isEmpty() && !symlink.create(options.linkPath, pty->slavePath(), error))
        return nullptr;
    printOut(pty->slavePath() + '\n');
    return pty;
}

std::unique_ptr<SerialLink> openSerial(const PeerOptions &options, QString &error)
{
    auto serial = std::make_unique<SerialLink>();
    if (!serial->open(options.portPath, options.baud, error))
        return nullptr;
    return serial;
}

void exitOnFailure(QCoreApplication &app, const QString &why)
{
    complain(why);
    app.exit(EXIT_LINK_LOST);
}

// Runs until a signal, the frame limit or a failing link; the report goes out
// in every case.
int serve(QCoreApplication &app, const Peer &peer, PeerLink &link, SignalWatch &signalWatch)
{
    QObject::connect(&peer, &Peer::finished, &app, &QCoreApplication::quit);
    QObject::connect(&signalWatch, &SignalWatch::caught, &app, &QCoreApplication::quit);
    QObject::connect(&link, &PeerLink::failed, &app,
                     [&app](const QString &why) { exitOnFailure(app, why); });
    const int exitCode = app.exec();
    printOut(peer.counters().report());
    return exitCode;
}

// The outages count from the printed path, when the tool can first open it.
int servePty(QCoreApplication &app, const PeerOptions &options, QIODevice *record,
             SignalWatch &signalWatch)
{
    QString error;
    ScopedSymlink symlink;
    const std::unique_ptr<PtyLink> pty = openPty(options, symlink, error);
    if (!pty)
        return refuse(error);
    Peer peer(options, *pty, record);
    LinkOutages outages(options.outages, *pty, symlink, options.linkPath);
    QObject::connect(&outages, &LinkOutages::failed, &app,
                     [&app](const QString &why) { exitOnFailure(app, why); });
    outages.start();
    return serve(app, peer, *pty, signalWatch);
}

int serveSerial(QCoreApplication &app, const PeerOptions &options, QIODevice *record,
                SignalWatch &signalWatch)
{
    QString error;
    const std::unique_ptr<SerialLink> serial = openSerial(options, error);
    if (!serial)
        return refuse(error);
    Peer peer(options, *serial, record);
    return serve(app, peer, *serial, signalWatch);
}

int run(QCoreApplication &app, const PeerOptions &options)
{
    QFile record(options.recordPath);
    if (!options.recordPath.isEmpty() && !record.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return refuse(QString("cannot write %1: %2").arg(options.recordPath, record.errorString()));
    QString error;
    SignalWatch signalWatch;
    if (!signalWatch.install(error))
        return refuse(error);
    QIODevice *recording = record.isOpen() ? &record : nullptr;
    return options.pty ? servePty(app, options, recording, signalWatch)
                       : serveSerial(app, options, recording, signalWatch);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ParsedCommandLine parsed = parsePeerCommandLine(app.arguments());
    switch (parsed.outcome) {
    case ParsedCommandLine::Help:
        printOut(parsed.text);
        return 0;
    case ParsedCommandLine::Error:
        return refuse(parsed.text + "\nTry 'pakto-peer --help'.");
    case ParsedCommandLine::Run:
        break;
    }
    return run(app, parsed.options);
}
