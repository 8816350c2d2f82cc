// The installed program: an install into a temporary DESTDIR puts every file
// in place and nothing beside the prefix; then the program runs headless from
// an unrelated folder and finds its translations and pictures.
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
    void initTestCase()
    {
        QVERIFY(destDir.isValid());
        qputenv("DESTDIR", QFile::encodeName(destDir.path()));
        QProcess install;
        install.start(PAKTO_CMAKE_COMMAND, {"--install", PAKTO_BUILD_DIR, "--prefix", "/usr"});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError());
    }

    void everyFileUnderThePrefix()
    {
        QFile list(PAKTO_INSTALLED_FILES);
        QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
        for (const QString &file : QString(list.readAll()).split('\n', Qt::SkipEmptyParts)) {
            QVERIFY2(QFile::exists(prefix + '/' + file), qPrintable(file));
            const int iconSize = file.section('/', 3, 3).section('x', 0, 0).toInt(); // NxN folder
            if (file.startsWith("share/icons/"))
                QCOMPARE(QImage(prefix + '/' + file).size(), QSize(iconSize, iconSize));
        }
        QCOMPARE(QDir(destDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList("usr"));
    }

    // An English run from another folder: the panel's language, and no picture missing.
    void runsFromAnotherFolder_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<bool>("chineseAsLocalEnglish"); // cn.qm copied to ./en.qm
        QTest::addColumn<QString>("panelLine");
        QTest::newRow("data beside the program") << PAKTO_RUNTIME_DIR << false << "Packets sent";
        QTest::newRow("data in the installed share folder")
            << prefix + "/bin" << false << "Packets sent";
        QTest::newRow("the working folder's file comes first")
            << prefix + "/bin" << true << "发送包数";
    }
    void runsFromAnotherFolder()
    {
        QFETCH(QString, programDir);
        QFETCH(bool, chineseAsLocalEnglish);
        QFETCH(QString, panelLine);
        TestWorkDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!chineseAsLocalEnglish || QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "en.qm"));
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
