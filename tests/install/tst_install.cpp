// The program installed into a temporary DESTDIR: its icons, and headless runs from elsewhere.
#include "testsupport.h"

#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QtTest>

class InstallTest : public QObject
{
    Q_OBJECT
    QTemporaryDir destDir;
    const QString prefix = destDir.path() + "/usr";

private slots:
    // Every file in place is the package check's; here, nothing beside the prefix.
    void initTestCase()
    {
        QVERIFY(destDir.isValid());
        qputenv("DESTDIR", QFile::encodeName(destDir.path()));
        const QStringList install{"--install", PAKTO_BUILD_DIR, "--prefix", "/usr"};
        QCOMPARE(QProcess::execute(PAKTO_CMAKE_COMMAND, install), 0);
        QCOMPARE(QDir(destDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList("usr"));
    }

    void iconsAtTheirSizes()
    {
        for (int size : {48, 128, 256}) {
            const QString icon = QString("/share/icons/hicolor/%1x%1/apps/pakto.png").arg(size);
            QCOMPARE(QImage(prefix + icon).size(), QSize(size, size));
        }
    }

    // An English run from another folder: the panel's language, and no picture missing.
    void runsFromAnotherFolder_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("panelLine"); // Chinese: cn.qm copied to ./en.qm
        QTest::newRow("data beside the program") << PAKTO_RUNTIME_DIR << "Packets sent";
        QTest::newRow("data in the installed share folder") << prefix + "/bin"
                                                            << "Packets sent";
        QTest::newRow("the working folder's file comes first") << prefix + "/bin"
                                                               << "发送包数";
    }
    void runsFromAnotherFolder()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, panelLine);
        TestWorkDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(panelLine.startsWith('P') || QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "en.qm"));
        QSettings("dv-ppp.ini", QSettings::IniFormat).setValue("show/english", true);
        QProcess peer, window; // the simulated device prints its pseudo-terminal first
        peer.start(programDir + "/pakto-peer", {"--pty", "--mode", "echo"});
        QVERIFY(peer.waitForReadyRead(10000));
        const QString path = peer.readLine().trimmed();
        window.start(programDir + "/pakto", {"--port", path, "--open", path, "--send", "answer",
                                             "--compare", "--duration", "1"});
        QVERIFY(window.waitForFinished(60000));
        const QString out = window.readAllStandardOutput(), err = window.readAllStandardError();
        QVERIFY2(window.exitCode() == 0, qPrintable(err));
        QVERIFY2(out.contains(panelLine), qPrintable(out));
        QVERIFY2(!err.contains("Could not create pixmap"), qPrintable(err));
    }
};

QTEST_MAIN(InstallTest)
#include "tst_install.moc"
