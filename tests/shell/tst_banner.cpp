// The advert strip: the picture at start-up, at each ten-second tick and at a language switch,
// how it fills its button, where a click leads.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QtTest>

class BannerTest : public QObject
{
    Q_OBJECT
    QList<QUrl> opened;

public slots:
    void openInBrowser(const QUrl &url) { opened << url; }

private slots:
    // The picture at start-up, then one per tick: "~" the window's own ten-second timer, else a
    // tick sent at once; "lang:" after a language switch. Then the page a click opens.
    void picturesCycleAndClickOpensPage_data()
    {
        QTest::addColumn<QString>("maxIndex"); // empty: no dravo.ini at all
        QTest::addColumn<QString>("pictures");
        QTest::newRow("no config, chinese; the first tick on the timer")
            << QString() << "0 ~1 2 3 4 5 0";
        QTest::newRow("highest 2, english; a switch shows at once")
            << QString("2") << "0_en 1_en 2_en 0_en lang:0 1 lang:1_en 2_en";
        QTest::newRow("not a number: highest 0") << QString("x") << "0 0";
    }
    void picturesCycleAndClickOpensPage()
    {
        QFETCH(QString, maxIndex);
        QFETCH(QString, pictures);
        TestWorkDir dir;
        QCOMPARE(QProcess::execute("sh", {"-c", "mkdir dravo && cp " PAKTO_RUNTIME_DIR
                                                "/dravo/*.[jp][pn]g dravo"}),
                 0);
        if (!maxIndex.isEmpty())
            QSettings("dravo/dravo.ini", QSettings::IniFormat)
                .setValue("system/max-adv-index", maxIndex);
        QSettings("dv-ppp.ini", QSettings::IniFormat)
            .setValue("show/english", pictures.startsWith("0_en"));
        MainWindow window;
        window.resize(1600, 800);
        window.show();
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        QTimerEvent tick(MainWindowProbe::timerBanner(window));
        int steps = 0;
        for (const QString &step : pictures.split(' ')) {
            const QString picture = step.section(':', -1).remove('~');
            const QString sheet =
                "border: none; background-image: url(./dravo/" + picture + ".jpg);";
            if (step.startsWith("lang:"))
                ui->btn_language->click();
            else if (steps++ > 0 && !step.startsWith('~')) // none before the start-up picture
                QCoreApplication::sendEvent(&window, &tick);
            const int wait = step.startsWith('~') ? 12000 : 0; // for the window's own tick
            QTRY_COMPARE_WITH_TIMEOUT(ui->btn_adv->styleSheet(), sheet, wait);
        }
        QCOMPARE(ui->widget_banner->styleSheet(),
                 "border: none; background-image: url(./dravo/banner-bk.png);");
        // At 1600 px the picture fills its button from the corner: no column of the strip
        // beside it (a one-pixel seam), none of the picture cut off.
        QCOMPARE(ui->btn_adv->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 QImage("dravo/" + pictures.section(' ', -1).section(':', -1) + ".jpg")
                     .convertToFormat(QImage::Format_RGB32));
        QDesktopServices::setUrlHandler("https", this, "openInBrowser");
        ui->btn_adv->click();
        const QUrl page(pictures.endsWith("_en") ? "https://en.example.com/pakto"
                                                 : "https://www.example.com/pakto");
        QCOMPARE(std::exchange(opened, {}), QList<QUrl>{page});
    }
};

QTEST_MAIN(BannerTest)
#include "tst_banner.moc"
