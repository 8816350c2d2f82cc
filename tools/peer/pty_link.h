// A pseudo-terminal the peer makes itself: the tool opens the slave side by
// its path, the peer reads and writes the master side.
//
// The peer keeps a slave descriptor open as long as the terminal. Without one the
// master reads EIO until the tool opens the slave, and what was written while
// no slave was open is lost. The slave starts raw, so bytes pass unchanged
// even before the tool sets its own line settings.
//
// It can vanish, closing both sides so that the tool's open port sees the far
// end go, and come back as a new pseudo-terminal under a new path.
#pragma once

#include "line_pace.h"
#include "peer_link.h"

#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <optional>

class PtyLink : public PeerLink
{
    Q_OBJECT
public:
    PtyLink();
    ~PtyLink() override;

    // False with a message in error when no pseudo-terminal can be made.
    bool open(QString &error);
    // What is still unwritten is lost; nothing is read or written until the
    // link reappears.
    void vanish();
    // A new pseudo-terminal, as open makes it.
    bool reappear(QString &error);
    // What the tool should open, such as /dev/pts/3.
    QString slavePath() const { return path; }
    // From now on read and write no faster than the baud rate the tool set on
    // the terminal allows, at charBits a byte.
    void paceAtLineRate(int charBits);

    void send(const QByteArray &bytes) override;
    // Nothing left to write, and the tool has read everything written.
    bool drained() const override;

private:
    bool makeSlaveRaw();
    void closeTerminal();
    void readAvailable();
    void writePending();
    qint64 allowance(std::optional<LinePace> &pace, qint64 wanted);
    void resumeLater(const std::optional<LinePace> &pace);
    qint64 lineBaud() const;

    int master = -1;
    int slave = -1;
    QString path;
    QByteArray pending; // written once the master takes more
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
    std::optional<LinePace> readPace, writePace;
    QTimer resume; // a paced direction waits for the line
};
