// A text of the settings file read by the headless run and by the window: both refuse it (the
// window with a warning, its mode unticked first), or both take it and send the same body.
#include "app/mainwindow.h"
#include "headless/commandline.h"
#include "headless/runsettings.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

class TestReadAlike : public QObject
{
    Q_OBJECT

private slots:
    void bothPathsReadFieldsAlike_data()
    {
        QTest::addColumn<QString>("send"); // the mode, and --tag
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("body"); // hex; "refused"
        // clang-format off
        const char *const rows[][4] = {
            {"SID above a byte", "once --tag", "[control]\nsid-min=300\nsid-max=300", "refused"},
            {"SID with spaces", "once --tag", "[control]\nsid-min=\" 7 \"\nsid-max=+7", "5a07"},
            {"payload group above FF", "answer", "[send]\ntx-data=01 AABB", "refused"},
            {"payload group of three digits", "once", "[send]\ntx-data=100", "refused"},
            {"payload padded, either case", "once", "[send]\ntx-data=\" 0a fF \"", "0aff"},
            {"baud rate no number", "once", "[control]\nser-baudrate=fast", "refused"},
            {"baud rate beyond 32 bits", "once", "[control]\nser-baudrate=4294977296", "refused"},
            {"period 0", "timed", "[send]\ntx-time=0", "refused"},
            {"reply timeout below 0", "answer", "[send]\nreply-timeout=-5", "refused"},
            {"random length no number", "once", "[send]\ntx-rand-data=true\ntx-len-max=8x", "refused"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void bothPathsReadFieldsAlike()
    {
        QFETCH(QString, send);
        QFETCH(QString, ini);
        QFETCH(QString, body);
        TestWorkDir dir;
        PseudoTerminal device;
        QFile file(dir.filePath("dv-ppp.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ini.toUtf8()) > 0);
        file.close();
        const CommandLine line =
            readCommandLine(("pakto --open p --duration 1 --send " + send).split(' '));
        const RunSettings check = readRunSettings(file.fileName(), *line.headless);
        int warnings = 0;
        bool modeOnUnderBox = false; // the one-second tick would count run time
        MainWindow *shown = nullptr;
        const auto button = [&](const char *name) { return shown->findChild<QPushButton *>(name); };
        const ModalAnswerer<QMessageBox> answer([&](QMessageBox *box) {
            ++warnings;
            modeOnUnderBox |=
                shown && (button("btn_txAck")->isChecked() || button("btn_txAuto")->isChecked());
            box->done(QMessageBox::Close);
        });
        MainWindow window({device.slavePath()});
        shown = &window;
        window.findChild<QCheckBox *>("cb_tag")->setChecked(line.headless->tag);
        button("btn_ser_conn")->click();
        const char *press[] = {"btn_txAck", "btn_txAuto", "btn_txOne"}; // answer, timed, once
        button(press[int(line.headless->send)])->click();
        const QString sent = device.readAll(100).mid(1).toHex();
        QCOMPARE(check.problems.isEmpty(), body != "refused"); // taken, or refused
        QVERIFY2(warnings > 0 ? body == "refused" : sent.startsWith(body), qPrintable(sent));
        QVERIFY(!modeOnUnderBox);
        if (check.problems.isEmpty()) { // the run would send the same
            const std::unique_ptr<Packet> packet = PayloadBuilder().build(check.session);
            QVERIFY(QByteArray(reinterpret_cast<const char *>(packet->bytes), packet->length)
                        .toHex()
                        .startsWith(body.toLatin1()));
        }
    }
};

QTEST_MAIN(TestReadAlike)
#include "tst_readalike.moc"
