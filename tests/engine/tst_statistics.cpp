// The statistics panel: its exact text, the send rate and the run time.
#include "enginelink.h"

Q_DECLARE_METATYPE(TrafficCounters)

const QString ZERO =
    QStringLiteral("发送包数 = 0\n接收包数 = 0\n\n发送速率 = 0 bps\n发送字节 = 0\n接收字节 = 0");

QString panel(EngineLink &link)
{
    Probe::refreshStats(link.window);
    return link.ui->txt_info->toPlainText();
}

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void panelText_data()
    {
        QTest::addColumn<TrafficCounters>("counters");
        QTest::addColumn<quint64>("rate");
        QTest::addColumn<QVector<double>>("roundTrips");
        QTest::addColumn<QString>("expected"); // with comparison on if it shows the comparison
        const TrafficCounters all{.cntTxPackets = 1,
                                  .cntTxBytes = 8,
                                  .txBytesAtLastTick = 8,
                                  .cntTxErrors = 2,
                                  .cntRxPackets = 3,
                                  .cntRxBytes = ~quint64(0),
                                  .cnt7dErrors = 4,
                                  .cntCrcErrors = 5,
                                  .cntLongErrors = 6,
                                  .cntShortErrors = 7,
                                  .cntCmpOk = 10,
                                  .cntCmpFail = 11,
                                  .cntNoReply = 13,
                                  .cntRunSeconds = 12};
        QTest::newRow("all zero: six paragraphs")
            << TrafficCounters{} << 0ull << QVector<double>{} << ZERO;
        QTest::newRow("every counter, comparison on")
            << all << 0ull << QVector<double>{0.512, 2.0041, 0.6771}
            << "计时 = 12 秒\n\n发送包数 = 1\n  发送错误 = 2\n接收包数 = 3\n  7D错误 = 4\n  "
               "CRC错误 = 5\n  超长 = 6\n"
               "  超短 = 7\n\n发送速率 = 0 bps\n发送字节 = 8\n接收字节 = "
               "18446744073709551615\n\n比较成功 = 10\n比较失败 = 11\n"
               "未应答 = 13\n往返时延 = 0.512 / 1.064 / 2.004 ms";
        QTest::newRow("one error line alone")
            << TrafficCounters{.cntShortErrors = 1} << 0ull << QVector<double>{}
            << QString(ZERO).replace("= 0\n\n", "= 0\n  超短 = 1\n\n");
        QTest::newRow("comparison on, nothing unanswered or timed")
            << TrafficCounters{} << 0ull << QVector<double>{}
            << ZERO + "\n\n比较成功 = 0\n比较失败 = 0";
        for (const auto &[bps, text] : {std::pair<quint64, const char *>{999, "999 bps"},
                                        {1000, "1 Kbps"},
                                        {9600, "9.6 Kbps"},
                                        {115200, "115.2 Kbps"},
                                        {999999, "999.999 Kbps"},
                                        {1000000, "1 Mbps"},
                                        {1500000, "1.5 Mbps"}})
            QTest::newRow(text) << TrafficCounters{} << bps << QVector<double>{}
                                << QString(ZERO).replace("0 bps", text);
    }
    void panelText()
    {
        QFETCH(TrafficCounters, counters);
        QFETCH(quint64, rate);
        QFETCH(QVector<double>, roundTrips);
        QFETCH(QString, expected);
        EngineLink link;
        link.counters() = counters;
        for (const double ms : roundTrips)
            Probe::roundTrips(link.window).add(ms);
        Probe::txRateBps(link.window) = rate;
        link.ui->cb_trxCmp->setChecked(expected.contains("比较成功"));
        QCOMPARE(panel(link), expected);
    }

    // Rate from packet bytes, not framed ones, kept by a clear until the next tick; run time while
    // a mode runs.
    void secondTicks()
    {
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(QByteArray::fromHex("7e7d7e0001")); // 5 packet bytes, 12 on the line
        for (int i = 0; i < 25; ++i)
            link.ui->btn_txOne->click();
        Probe::onSecondTick(link.window);
        Probe::roundTrips(link.window).add(1);
        link.ui->btn_cntClear->click();
        QCOMPARE(Probe::roundTrips(link.window).count(), 0u); // cleared with the counters
        QCOMPARE(panel(link), QString(ZERO).replace("0 bps", "1 Kbps"));
        link.ui->btn_txOne->click();
        Probe::onSecondTick(link.window);
        QCOMPARE(panel(link).section('\n', 3, 3), QStringLiteral("发送速率 = 40 bps"));
        for (QAbstractButton *mode : {link.ui->btn_txAck, link.ui->btn_txAuto}) {
            mode->setChecked(true);
            Probe::onSecondTick(link.window);
            mode->setChecked(false);
        }
        const QString stats = QStringLiteral("计时 = 2 秒\n\n发送包数 = 1\n接收包数 = "
                                             "0\n\n发送速率 = 0 bps\n发送字节 = 5\n接收字节 = 0");
        const QString path =
            link.workDir.filePath(QStringLiteral("cap  <b>x.txt")); // shown as typed
        SaveDialogFiller dialog(path);
        link.ui->cb_rx2file->click();
        QCOMPARE(panel(link), stats + "\n\n保存至文件: " + path);
        link.ui->cb_rx2file->click();
        QCOMPARE(panel(link), stats);
    }
};

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
