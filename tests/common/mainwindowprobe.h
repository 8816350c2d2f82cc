// Test access to the window's private state. MainWindow names this class a
// friend; add an accessor here when a test needs another member.
#pragma once

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

class MainWindowProbe
{
public:
    static Ui::MainWindow *ui(MainWindow &w) { return w.ui; }

    static QString &baseTitle(MainWindow &w) { return w.baseTitle; }
    static bool &isEnglish(MainWindow &w) { return w.isEnglish; }
    static QTranslator &translator(MainWindow &w) { return w.translator; }

    static int &timerStats(MainWindow &w) { return w.timerStats; }
    static int &timerSecond(MainWindow &w) { return w.timerSecond; }
    static int &timerBanner(MainWindow &w) { return w.timerBanner; }
    static int &timerSend(MainWindow &w) { return w.timerSend; }

    static int &maxAdvIndex(MainWindow &w) { return w.maxAdvIndex; }
    static int &advIndex(MainWindow &w) { return w.advIndex; }

    static bool &portOpen(MainWindow &w) { return w.portOpen; }
    static QList<QSerialPortInfo> &portInfos(MainWindow &w) { return w.portInfos; }
    static QSerialPort &serialPort(MainWindow &w) { return w.serialPort; }

    static Packet &txPattern(MainWindow &w) { return w.txPattern; }
    static int &txLenMin(MainWindow &w) { return w.txLenMin; }
    static int &txLenMax(MainWindow &w) { return w.txLenMax; }
    static quint64 &txRateBps(MainWindow &w) { return w.txRateBps; }
    static quint8 *txFrameBuf(MainWindow &w) { return w.txFrameBuf; }
    static quint8 *rxFrameBuf(MainWindow &w) { return w.rxFrameBuf; }

    static Packet **txRing(MainWindow &w) { return w.txRing; }
    static int &txRingTail(MainWindow &w) { return w.txRingTail; }
    static int &txRingHead(MainWindow &w) { return w.txRingHead; }

    static QString &capturePath(MainWindow &w) { return w.capturePath; }
    static QFile *&captureFile(MainWindow &w) { return w.captureFile; }
    static QTextStream *&captureStream(MainWindow &w) { return w.captureStream; }

    static TrafficCounters &counters(MainWindow &w) { return w.counters; }
    static quint64 &stampOrigin(MainWindow &w) { return w.stampOrigin; }
    static quint64 &perfFrequency(MainWindow &w) { return w.perfFrequency; }

    static WindowOptions &options(MainWindow &w) { return w.options; }
    static QVector<TrafficLine> &pendingTraffic(MainWindow &w) { return w.pendingTraffic; }

    // The timer handlers, run at once instead of waiting for their ticks.
    static void refreshStats(MainWindow &w) { w.refreshStats(); }
    static void onSecondTick(MainWindow &w) { w.onSecondTick(); }

    // The packet builder and the traffic formatter, called as the send and
    // receive paths call them; the queued view lines are flushed on demand.
    static Packet *buildPacket(MainWindow &w) { return w.buildPacket(); }
    static void showTraffic(MainWindow &w, const QByteArray &bytes, TrafficDirection direction,
                            bool compareFailed, double stampMs)
    {
        w.showTraffic(reinterpret_cast<const quint8 *>(bytes.constData()), quint16(bytes.size()),
                      direction, compareFailed, stampMs);
    }
    static void flushTraffic(MainWindow &w) { w.flushTraffic(); }
};
