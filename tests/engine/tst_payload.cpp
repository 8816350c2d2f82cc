// The transmit payload: tag and SID sequence, the hex parser, the random
// payload and its length range, and the capacity of a packet.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(QVector<int>)

namespace {

const QString INVALID_HEX = QStringLiteral("数据输入错误，请输入合法的十六进制数据");

// A window as after opening a port: the send controls can be used.
class PayloadWindow
{
public:
    PayloadWindow() : ui(MainWindowProbe::ui(window)) { ui->gb_send->setEnabled(true); }

    QByteArray buildPacket()
    {
        const std::unique_ptr<Packet> packet(MainWindowProbe::buildPacket(window));
        return packet ? QByteArray(reinterpret_cast<const char *>(packet->bytes), packet->length)
                      : QByteArray();
    }

    QByteArray pattern()
    {
        const Packet &pattern = MainWindowProbe::txPattern(window);
        return QByteArray(reinterpret_cast<const char *>(pattern.bytes), pattern.length);
    }

    void setSidRange(const QString &sidMin, const QString &sidMax)
    {
        ui->le_sid_min->setText(sidMin);
        ui->le_sid_max->setText(sidMax);
    }

    // As the settings loader sets them: no validator stands in the way.
    void setLengthRange(const QString &shortest, const QString &longest)
    {
        ui->le_txLenMin->setText(shortest);
        ui->le_txLenMax->setText(longest);
    }

    TestWorkDir workDir;
    MainWindow window;
    Ui::MainWindow *ui;
};

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

QByteArray countingBytes(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

} // namespace

class TestPayload : public QObject
{
    Q_OBJECT

private slots:
    void sidSequence_data();
    void sidSequence();
    void packetLayout_data();
    void packetLayout();
    void parseHexText_data();
    void parseHexText();
    void normalizeLengths_data();
    void normalizeLengths();
    void randomPayloadLength_data();
    void randomPayloadLength();
    void generatedText_data();
    void generatedText();
    void randomDataSwitch();
};

void TestPayload::sidSequence_data()
{
    QTest::addColumn<QString>("sidMin");
    QTest::addColumn<QString>("sidMax");
    QTest::addColumn<QVector<int>>("sids");

    QTest::newRow("range 1 to 2 alternates") << "1" << "2" << QVector<int>{1, 2, 1, 2, 1};
    QTest::newRow("range 7 to 7 repeats") << "7" << "7" << QVector<int>{7, 7, 7};
    QTest::newRow("crossed range 5 to 3 gives the maximum") << "5" << "3" << QVector<int>{3, 3, 3};
    QTest::newRow("past 255 back to the minimum") << "253" << "255"
                                                  << QVector<int>{253, 254, 255, 253, 254};
    QTest::newRow("invalid minimum reads as 0") << "x" << "1" << QVector<int>{0, 1, 0, 1};
    QTest::newRow("only the low byte counts") << "257" << "258" << QVector<int>{1, 2, 1};
}

// The SID counter lives for the whole process; one packet with the range
// min..min first brings it to the minimum whatever the rows before left.
void TestPayload::sidSequence()
{
    QFETCH(QString, sidMin);
    QFETCH(QString, sidMax);
    QFETCH(QVector<int>, sids);
    PayloadWindow w;
    w.ui->cb_tag->setChecked(true);
    w.setSidRange(sidMin, sidMin);
    w.buildPacket();
    w.setSidRange(sidMin, sidMax);

    QVector<int> built;
    for (int i = 0; i < sids.size(); ++i) {
        const QByteArray packet = w.buildPacket();
        QCOMPARE(packet.at(0), char(PACKET_TAG));
        built << quint8(packet.at(1));
    }
    QCOMPARE(built, sids);
}

void TestPayload::packetLayout_data()
{
    QTest::addColumn<bool>("tag");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("packet");

    const QByteArray full = countingBytes(PACKET_CAPACITY);
    QTest::newRow("tag off") << false << QByteArray::fromHex("010203")
                             << QByteArray::fromHex("010203");
    QTest::newRow("tag on") << true << QByteArray::fromHex("010203")
                            << QByteArray::fromHex("5a07010203");
    QTest::newRow("tag on, empty payload") << true << QByteArray() << QByteArray::fromHex("5a07");
    QTest::newRow("tag off, full payload") << false << full << full;
    QTest::newRow("tag on, full payload is cut to fit")
        << true << full << QByteArray::fromHex("5a07") + full.left(PACKET_CAPACITY - 2);
}

void TestPayload::packetLayout()
{
    QFETCH(bool, tag);
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, packet);
    PayloadWindow w;
    w.ui->cb_tag->setChecked(tag);
    w.setSidRange(QStringLiteral("7"), QStringLiteral("7"));
    w.ui->te_txData->setPlainText(hexText(typed));

    QCOMPARE(w.buildPacket(), packet);
}

void TestPayload::parseHexText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("warned");

    // Before each row the pattern holds EE EE EE EE: bytes after a bad part keep it.
    QTest::newRow("single spaces") << "01 02 03" << QByteArray::fromHex("010203") << false;
    QTest::newRow("padding spaces at both ends") << "  0a 0B  " << QByteArray::fromHex("0a0b")
                                                 << false;
    QTest::newRow("upper and lower case") << "1f 1F aB" << QByteArray::fromHex("1f1fab") << false;
    QTest::newRow("low byte of wider values") << "1FF 100" << QByteArray::fromHex("ff00") << false;
    QTest::newRow("empty text") << "" << QByteArray() << false;
    QTest::newRow("only spaces") << "   " << QByteArray() << false;
    QTest::newRow("double space in the middle") << "01  02" << QByteArray::fromHex("0100ee")
                                                << true;
    QTest::newRow("invalid part in the middle") << "01 XY 03" << QByteArray::fromHex("0100ee")
                                                << true;
    QTest::newRow("value above 16 bits") << "01 10000 03" << QByteArray::fromHex("0100ee") << true;
    QTest::newRow("line break belongs to its part") << "01 02\n03 04"
                                                    << QByteArray::fromHex("0100ee") << true;

    const QByteArray many = countingBytes(5000);
    QTest::newRow("5000 parts keep the first 4096")
        << hexText(many) << many.left(PACKET_CAPACITY) << false;
    QTest::newRow("bad part beyond 4096 still warns")
        << hexText(many.left(4097)) + QStringLiteral(" ZZ") << many.left(PACKET_CAPACITY) << true;
}

void TestPayload::parseHexText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, warned);
    PayloadWindow w;
    w.ui->te_txData->setPlainText(QStringLiteral("EE EE EE EE"));
    WarningCatcher warnings;

    w.ui->te_txData->setPlainText(text);

    QCOMPARE(w.pattern(), pattern);
    QCOMPARE(warnings.count(), warned ? 1 : 0);
    if (warned)
        QCOMPARE(warnings.messages().first().text, INVALID_HEX);
}

void TestPayload::normalizeLengths_data()
{
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<QString>("longest");
    QTest::addColumn<int>("txLenMin");
    QTest::addColumn<int>("txLenMax");

    QTest::newRow("maximum below minimum") << "10" << "5" << 10 << 10;
    QTest::newRow("out of range both ways") << "-3" << "9000" << 0 << 4096;
    QTest::newRow("empty and letters read as 0") << "" << "ab" << 0 << 0;
    QTest::newRow("minimum above capacity is kept") << "9000" << "100" << 9000 << 9000;
}

void TestPayload::normalizeLengths()
{
    QFETCH(QString, shortest);
    QFETCH(QString, longest);
    QFETCH(int, txLenMin);
    QFETCH(int, txLenMax);
    PayloadWindow w;
    w.setLengthRange(shortest, longest);

    w.ui->cb_randData->click();

    QCOMPARE(w.ui->le_txLenMin->text(), QString::number(txLenMin));
    QCOMPARE(w.ui->le_txLenMax->text(), QString::number(txLenMax));
    QCOMPARE(MainWindowProbe::txLenMin(w.window), txLenMin);
    QCOMPARE(MainWindowProbe::txLenMax(w.window), txLenMax);
}

void TestPayload::randomPayloadLength_data()
{
    QTest::addColumn<bool>("tag");
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<QString>("longest");
    QTest::addColumn<int>("expectedMin");
    QTest::addColumn<int>("expectedMax");

    QTest::newRow("fixed length") << false << "8" << "8" << 8 << 8;
    QTest::newRow("range 3 to 6") << false << "3" << "6" << 3 << 6;
    QTest::newRow("empty payloads allowed") << false << "0" << "1" << 0 << 1;
    QTest::newRow("up to capacity without tag") << false << "4093" << "4096" << 4093 << 4096;
    QTest::newRow("up to capacity with tag") << true << "4090" << "4096" << 4090 << 4094;
    QTest::newRow("minimum above capacity with tag") << true << "9000" << "9000" << 4094 << 4094;
}

// Over 400 draws every length of a small range turns up, so an end of the
// range that is never drawn shows as well as one that is overshot.
void TestPayload::randomPayloadLength()
{
    QFETCH(bool, tag);
    QFETCH(QString, shortest);
    QFETCH(QString, longest);
    QFETCH(int, expectedMin);
    QFETCH(int, expectedMax);
    PayloadWindow w;
    w.ui->cb_tag->setChecked(tag);
    w.setLengthRange(shortest, longest);
    w.ui->cb_randData->click();
    const int tagLength = tag ? PACKET_TAG_LENGTH : 0;

    QSet<int> lengths;
    for (int i = 0; i < 400; ++i)
        lengths << w.buildPacket().size() - tagLength;

    QList<int> drawn = lengths.values();
    std::sort(drawn.begin(), drawn.end());
    QList<int> expected;
    for (int length = expectedMin; length <= expectedMax; ++length)
        expected << length;
    QCOMPARE(drawn, expected);
}

void TestPayload::generatedText_data()
{
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<QString>("longest");

    QTest::newRow("three bytes") << "3" << "3";
    QTest::newRow("range 1 to 20") << "1" << "20";
    QTest::newRow("no bytes") << "0" << "0";
}

void TestPayload::generatedText()
{
    QFETCH(QString, shortest);
    QFETCH(QString, longest);
    PayloadWindow w;
    w.setLengthRange(shortest, longest);
    const int minBytes = shortest.toInt();
    const int maxBytes = longest.toInt();
    static const QRegularExpression form(QStringLiteral("^([0-9A-F]{2})( [0-9A-F]{2})*$"));

    for (int i = 0; i < 20; ++i) {
        w.ui->btn_newData->click();
        const QString text = w.ui->te_txData->toPlainText();
        const int bytes = (text.size() + 1) / 3;
        QVERIFY2(text.isEmpty() || form.match(text).hasMatch(), qPrintable(text));
        QVERIFY2(bytes >= minBytes && bytes <= maxBytes, qPrintable(text));
        QCOMPARE(hexText(w.pattern()).toUpper(), text);
    }
}

void TestPayload::randomDataSwitch()
{
    PayloadWindow w;
    w.ui->btn_txOne->setText(QString());

    w.ui->cb_randData->click();
    QVERIFY(w.ui->te_txData->isHidden());
    QVERIFY(!w.ui->le_txLenMin->isEnabled());
    QVERIFY(!w.ui->le_txLenMax->isEnabled());
    QCOMPARE(w.ui->btn_txOne->text(), QStringLiteral("手动发送"));

    w.ui->cb_randData->click();
    QVERIFY(!w.ui->te_txData->isHidden());
    QVERIFY(w.ui->le_txLenMin->isEnabled());
    QVERIFY(w.ui->le_txLenMax->isEnabled());
}

QTEST_MAIN(TestPayload)
#include "tst_payload.moc"
