// Test access to the window's private state. MainWindow names this class a
// friend; add an accessor here when a test needs another member.
#pragma once

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

class MainWindowProbe
{
public:
    static Ui::MainWindow *ui(MainWindow &w) { return w.ui; }
    static int &timerBanner(MainWindow &w) { return w.timerBanner; }
    static int &timerSend(MainWindow &w) { return w.timerSend; }
    static bool &portOpen(MainWindow &w) { return w.portOpen; }
    static QSerialPort &serialPort(MainWindow &w) { return w.serialPort; }
    static int outstanding(MainWindow &w) { return w.ledger.outstanding(); }
    static Ledger &ledger(MainWindow &w) { return w.ledger; }
    static bool capturing(MainWindow &w) { return w.captureStream != nullptr; }
    static TrafficCounters &counters(MainWindow &w) { return w.ledger.counts; }
    static LatencyHistogram &roundTrips(MainWindow &w) { return w.ledger.trips; }
    static quint64 &sendRate(MainWindow &w) { return w.ledger.rateBps; }
    static qint64 transmitQueueLimit(MainWindow &w) { return w.transmitQueueLimit(); }
    static QString panel(MainWindow &w) // the statistics panel, refreshed now
    {
        w.refreshStats();
        return w.ui->txt_info->toPlainText();
    }

    // The packet builder and the traffic formatter as the send and receive paths call them.
    static Packet *buildPacket(MainWindow &w) { return w.buildPacket(); }
    static void showTraffic(MainWindow &w, const QByteArray &bytes, TrafficDirection direction,
                            bool compareFailed, double stampMs)
    {
        w.showTraffic(reinterpret_cast<const quint8 *>(bytes.constData()), quint16(bytes.size()),
                      direction, compareFailed, stampMs);
    }
    static void flushTraffic(MainWindow &w) { w.flushTraffic(); }
};
