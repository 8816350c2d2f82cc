// The statistics panel: its exact text, the send rate and the run time.
#include "enginelink.h"

using namespace enginetest;

Q_DECLARE_METATYPE(TrafficCounters)

namespace {

const QString ZERO_COUNTS = QStringLiteral("发送包数 = 0\n接收包数 = 0\n\n发送速率 = 0 bps\n发送字节 = 0\n接收字节 = 0");

QString renderedPanel(EngineLink &link)
{
    MainWindowProbe::refreshStats(link.window);
    return link.ui->txt_info->toPlainText();
}

QString rateLine(EngineLink &link)
{
    const QStringList lines = renderedPanel(link).split('\n');
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("发送速率 = ")))
            return line.mid(7);
    }
    return QString();
}

void sendPackets(EngineLink &link, int count)
{
    for (int i = 0; i < count; ++i)
        link.ui->btn_txOne->click();
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void panelText_data();
    void panelText();
    void capturePathShownAsTyped();
    void rateText_data();
    void rateText();
    void clearKeepsTheRateUntilTheNextTick();
    void runTimeCountsOnlyWhileAModeRuns_data();
    void runTimeCountsOnlyWhileAModeRuns();
};

void TestStatistics::panelText_data()
{
    QTest::addColumn<TrafficCounters>("counters");
    QTest::addColumn<bool>("compare");
    QTest::addColumn<QString>("expected");

    TrafficCounters sendErrors;
    sendErrors.cntTxPackets = 5;
    sendErrors.cntTxErrors = 2;
    TrafficCounters allReceiveErrors;
    allReceiveErrors.cnt7dErrors = 1;
    allReceiveErrors.cntCrcErrors = 2;
    allReceiveErrors.cntLongErrors = 3;
    allReceiveErrors.cntShortErrors = 4;
    TrafficCounters shortOnly;
    shortOnly.cntRxPackets = 9;
    shortOnly.cntShortErrors = 1;
    TrafficCounters running;
    running.cntRunSeconds = 42;
    TrafficCounters compared;
    compared.cntCmpOk = 7;
    compared.cntCmpFail = 1;
    TrafficCounters huge;
    huge.cntRxBytes = ~quint64(0);

    const QString zeroReceive = QStringLiteral("接收包数 = 0\n");
    const QString zeroTail = QStringLiteral("\n发送速率 = 0 bps\n发送字节 = 0\n接收字节 = 0");
    QTest::newRow("all zero: six paragraphs") << TrafficCounters{} << false << ZERO_COUNTS;
    QTest::newRow("send errors under sent packets") << sendErrors << false
        << QStringLiteral("发送包数 = 5\n  发送错误 = 2\n") + zeroReceive + zeroTail;
    QTest::newRow("receive errors in their order") << allReceiveErrors << false
        << QStringLiteral("发送包数 = 0\n") + zeroReceive
               + QStringLiteral("  7D错误 = 1\n  CRC错误 = 2\n  超长 = 3\n  超短 = 4\n") + zeroTail;
    QTest::newRow("one receive error alone") << shortOnly << false
        << QStringLiteral("发送包数 = 0\n接收包数 = 9\n  超短 = 1\n") + zeroTail;
    QTest::newRow("run time first, no blank line above") << running << false
        << QStringLiteral("计时 = 42 秒\n\n") + ZERO_COUNTS;
    QTest::newRow("comparison on") << compared << true << ZERO_COUNTS + QStringLiteral("\n\n比较成功 = 7\n比较失败 = 1");
    QTest::newRow("comparison off hides kept counts") << compared << false << ZERO_COUNTS;
    QTest::newRow("no digit grouping") << huge << false
        << QStringLiteral("发送包数 = 0\n") + zeroReceive
               + QStringLiteral("\n发送速率 = 0 bps\n发送字节 = 0\n接收字节 = 18446744073709551615");
}

void TestStatistics::panelText()
{
    QFETCH(TrafficCounters, counters);
    QFETCH(bool, compare);
    QFETCH(QString, expected);
    EngineLink link;
    link.counters() = counters;
    link.ui->cb_trxCmp->setChecked(compare);

    QCOMPARE(renderedPanel(link), expected);
}

void TestStatistics::capturePathShownAsTyped()
{
    EngineLink link;
    const QString path = link.workDir.filePath(QStringLiteral("cap  <b>x.txt"));
    SaveDialogFiller dialog(path);
    link.ui->cb_rx2file->click();
    QVERIFY(MainWindowProbe::captureFile(link.window));

    QCOMPARE(renderedPanel(link), ZERO_COUNTS + QStringLiteral("\n\n保存至文件: ") + path);

    link.ui->cb_rx2file->click();
    QCOMPARE(renderedPanel(link), ZERO_COUNTS);
}

void TestStatistics::rateText_data()
{
    QTest::addColumn<quint64>("bitsPerSecond");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << quint64(0) << QStringLiteral("0 bps");
    QTest::newRow("999") << quint64(999) << QStringLiteral("999 bps");
    QTest::newRow("1000") << quint64(1000) << QStringLiteral("1 Kbps");
    QTest::newRow("9600") << quint64(9600) << QStringLiteral("9.6 Kbps");
    QTest::newRow("115200") << quint64(115200) << QStringLiteral("115.2 Kbps");
    QTest::newRow("999999") << quint64(999999) << QStringLiteral("999.999 Kbps");
    QTest::newRow("1000000") << quint64(1000000) << QStringLiteral("1 Mbps");
    QTest::newRow("1500000") << quint64(1500000) << QStringLiteral("1.5 Mbps");
    QTest::newRow("1234567: six digits") << quint64(1234567) << QStringLiteral("1.23457 Mbps");
}

void TestStatistics::rateText()
{
    QFETCH(quint64, bitsPerSecond);
    QFETCH(QString, text);
    EngineLink link;
    MainWindowProbe::txRateBps(link.window) = bitsPerSecond;

    QCOMPARE(rateLine(link), text);
}

void TestStatistics::clearKeepsTheRateUntilTheNextTick()
{
    EngineLink link;
    QVERIFY(link.open());
    link.setPayload(QByteArray::fromHex("7e7d7e0001")); // 5 packet bytes, 12 on the line
    sendPackets(link, 25);
    MainWindowProbe::onSecondTick(link.window);
    QCOMPARE(rateLine(link), QStringLiteral("1 Kbps"));

    link.ui->btn_cntClear->click();
    QCOMPARE(rateLine(link), QStringLiteral("1 Kbps"));
    QVERIFY(renderedPanel(link).startsWith(QStringLiteral("发送包数 = 0\n")));

    sendPackets(link, 1);
    MainWindowProbe::onSecondTick(link.window);
    QCOMPARE(rateLine(link), QStringLiteral("40 bps"));
}

void TestStatistics::runTimeCountsOnlyWhileAModeRuns_data()
{
    QTest::addColumn<bool>("answerDriven");
    QTest::addColumn<bool>("timed");
    QTest::addColumn<int>("seconds");
    QTest::newRow("no mode") << false << false << 0;
    QTest::newRow("answer-driven") << true << false << 3;
    QTest::newRow("timed") << false << true << 3;
}

void TestStatistics::runTimeCountsOnlyWhileAModeRuns()
{
    QFETCH(bool, answerDriven);
    QFETCH(bool, timed);
    QFETCH(int, seconds);
    EngineLink link;
    link.ui->btn_txAck->setChecked(answerDriven);
    link.ui->btn_txAuto->setChecked(timed);

    for (int tick = 0; tick < 3; ++tick)
        MainWindowProbe::onSecondTick(link.window);

    QCOMPARE(link.counters().cntRunSeconds, quint64(seconds));
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
