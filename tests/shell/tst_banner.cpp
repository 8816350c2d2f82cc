// The advert strip: which picture shows at each ten-second tick, and where a click leads.
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
    // The picture at start-up, after each tick or ("lang:") language switch; the click's page.
    void picturesCycleAndClickOpensPage_data()
    {
        QTest::addColumn<QString>("maxIndex"); // empty: no dravo.ini at all
        QTest::addColumn<QString>("pictures");
        QTest::newRow("no config, chinese") << QString() << "0 1 2 3 4 5 0";
        QTest::newRow("highest 2, english; a switch shows at the next tick")
            << QString("2") << "0_en 1_en 2_en 0_en lang:0_en 1 lang:1 2_en";
        QTest::newRow("highest 0") << QString("0") << "0 0";
        QTest::newRow("not a number") << QString("x") << "0 0";
    }
    void picturesCycleAndClickOpensPage()
    {
        QFETCH(QString, maxIndex);
        QFETCH(QString, pictures);
        TestWorkDir dir;
        QVERIFY(dir.isValid());
        const auto ini = QSettings::IniFormat;
        if (!maxIndex.isEmpty())
            QSettings("dravo/dravo.ini", ini).setValue("system/max-adv-index", maxIndex);
        QSettings("dv-ppp.ini", ini).setValue("show/english", pictures.startsWith("0_en"));
        MainWindow window;
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        QTimerEvent tick(MainWindowProbe::timerBanner(window));
        int ticks = 0;
        for (const QString &picture : pictures.split(' ')) {
            if (picture.startsWith("lang:"))
                ui->btn_language->click();
            else if (ticks++ > 0) // none before the start-up picture
                QCoreApplication::sendEvent(&window, &tick);
            QCOMPARE(ui->btn_adv->styleSheet(),
                     "background-image: url(./dravo/" + picture.section(':', -1) + ".jpg);");
        }
        QCOMPARE(ui->widget_banner->styleSheet(), "background-image: url(./dravo/banner-bk.png);");
        QDesktopServices::setUrlHandler("https", this, "openInBrowser");
        ui->btn_adv->click();
        const QUrl page(pictures.endsWith("_en") ? "https://en.example.com/pakto"
                                                 : "https://www.example.com/pakto");
        QCOMPARE(std::exchange(opened, {}), QList<QUrl>{page});
    }

    // Screenshots at two sizes: beside the advert and out to the window's edge, one band.
    void stripIsOneBand()
    {
        TestWorkDir dir;
        QVERIFY(dir.isValid() && QDir().mkdir("dravo"));
        for (const QString name : {"banner-bk.png", "0.jpg"})
            QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/dravo/" + name, "dravo/" + name));
        MainWindow window;
        for (const QSize size : {QSize(926, 736), QSize(1600, 1000)}) {
            window.resize(size);
            const QImage strip = MainWindowProbe::ui(window)->widget_banner->grab().toImage();
            const int edge = MainWindowProbe::ui(window)->btn_adv->geometry().right();
            for (const QPoint band : {QPoint(edge + 2, 1), QPoint(edge + 2, 56), QPoint(strip.width() - 2, 100)}) {
                const QColor a = strip.pixelColor(edge - 1, band.y()), b = strip.pixelColor(band);
                const int apart = qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
                QVERIFY2(apart <= 24, qPrintable(QString("%1 wide: %2 beside %3").arg(size.width()).arg(b.name(), a.name())));
            }
        }
    }
};

QTEST_MAIN(BannerTest)
#include "tst_banner.moc"
