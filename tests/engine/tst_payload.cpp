// The transmit payload: tag and SIDs, the hex parser, random lengths, the 4096-byte cap.
#include "enginelink.h"

const QByteArray MANY = QByteArray("0123456789").repeated(500); // 5000 bytes, no two shifts alike

struct PayloadWindow : EngineLink {
    explicit PayloadWindow(bool tag)
    {
        open();
        ui->cb_tag->setChecked(tag);
    }
    void set(QLineEdit *low, QLineEdit *high, const QString &range)
    {
        low->setText(range.section(' ', 0, 0));
        high->setText(range.section(' ', 1));
    }
    QString packet() // as hex, "none" when refused
    {
        const QScopedPointer<Packet> p(Probe::buildPacket(window));
        return p ? QByteArray(reinterpret_cast<const char *>(p->bytes), p->length).toHex() : "none";
    }
};

class TestPayload : public QObject
{
    Q_OBJECT

private slots:
    void packets_data()
    {
        QTest::addColumn<QString>("sids"); // "min max" with the tag on; empty: tag off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("packets");
        const auto row = [](const char *name, const char *sids, const QString &typed,
                            const QString &packets) {
            QTest::newRow(name) << sids << typed << packets;
        };
        const QString many = MANY.toHex(' '), cut = "5a07" + MANY.left(PACKET_CAPACITY - 2).toHex();
        row("SID 1 to 2 alternates", "1 2", "", "5a01 5a02 5a01 5a02 5a01");
        row("SID 7 to 7, payload cut to fit after the tag", "7 7", many, cut + ' ' + cut);
        row("past 255 back to the minimum", "253 255", "", "5afd 5afe 5aff 5afd");
        row("single spaces, padding, either case", "", "  01 aB 1F  ", "01ab1f");
        row("double space in the middle", "", "01  02", "none");
        row("invalid part in the middle", "", "01 XY 03", "none");
        row("5000 parts: 4096 kept", "", many, MANY.left(PACKET_CAPACITY).toHex());
    }
    void packets()
    {
        QFETCH(QString, sids);
        QFETCH(QString, typed);
        QFETCH(QString, packets);
        PayloadWindow w(!sids.isEmpty());
        w.set(w.ui->le_sid_min, w.ui->le_sid_max, QStringLiteral("0 0"));
        w.packet(); // the SID counter lives for the whole process: back to 0
        w.set(w.ui->le_sid_min, w.ui->le_sid_max, sids);
        WarningCatcher warnings;
        w.ui->te_txData->setPlainText(typed);
        QStringList built;
        while (built.size() <= packets.count(' '))
            built << w.packet();
        QCOMPARE(built.join(' '), packets);
        const bool refused = packets == "none"; // told in place; each send refused with a warning
        QCOMPARE(w.ui->te_txData->toolTip(),
                 refused ? "数据输入错误，请输入合法的十六进制数据" : "");
        for (QPushButton *send : {w.ui->btn_txOne, w.ui->btn_txAck, w.ui->btn_txAuto})
            if (refused)
                send->click();
        QCOMPARE(warnings.count(), refused ? 3 : 0);
        QVERIFY(!w.ui->btn_txAck->isChecked());
        QVERIFY(!w.ui->btn_txAuto->isChecked());
        QCOMPARE(w.sent(1, QUIET_MS), QList<QByteArray>());
    }

    // Random lengths beyond what fits after the tag are drawn as long as fits.
    void randomLengthsFit()
    {
        PayloadWindow w(true);
        w.set(w.ui->le_txLenMin, w.ui->le_txLenMax, QStringLiteral("9000 100"));
        w.ui->cb_randData->click();
        QCOMPARE(w.ui->le_txLenMin->text() + ' ' + w.ui->le_txLenMax->text(), "9000 9000");
        QCOMPARE(w.packet().size() / 2, PACKET_CAPACITY);
    }
};

QTEST_MAIN(TestPayload)
#include "tst_payload.moc"
