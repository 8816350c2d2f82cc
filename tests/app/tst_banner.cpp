// The advert strip: the picture at start-up, at each of the window's own ten-second ticks and
// at a language switch, how it fills its button, where a click leads.
#include "windowface.h"

#include <QDesktopServices>

struct Strip {
    const char *maxIndex; // nullptr: no dravo.ini at all
    // At start-up, then one per tick, as many ticks each; "lang:" right after a language switch.
    const char *pictures;
};
const Strip STRIPS[] = {{nullptr, "0 1 2 3 4 5 0"}, // the shipped highest, chinese
                        {"2", "0_en 1_en 2_en 0_en lang:0 1 lang:1_en 2_en 0_en"},
                        {"x", "0 0 0 0 0 0 0"}}; // not a number: highest 0

static QString sheetOf(const QString &picture)
{
    return "border: none; background-image: url(./dravo/" + picture + ");";
}

class BannerTest : public QObject
{
    Q_OBJECT
    QList<QUrl> opened;

public slots:
    void openInBrowser(const QUrl &url) { opened << url; }

private slots:
    // One window per strip, built together so that their timers tick together: a minute of
    // ticks for all. Then the page a click opens.
    void picturesCycleAndClickOpensPage()
    {
        TestWorkDir dir;
        QCOMPARE(QProcess::execute("sh", {"-c", "mkdir dravo && cp " PAKTO_RUNTIME_DIR
                                                "/dravo/*.[jp][pn]g dravo"}),
                 0);
        std::vector<std::unique_ptr<MainWindow>> windows;
        std::vector<QStringList> steps;
        for (const Strip &strip : STRIPS) { // each reads both files as it is built
            QFile::remove("dravo/dravo.ini");
            if (strip.maxIndex)
                QSettings("dravo/dravo.ini", QSettings::IniFormat)
                    .setValue("system/max-adv-index", strip.maxIndex);
            steps.push_back(QString(strip.pictures).split(' '));
            QSettings("dv-ppp.ini", QSettings::IniFormat)
                .setValue("show/english", steps.back().first().endsWith("_en"));
            windows.push_back(std::make_unique<MainWindow>());
            windows.back()->resize(1600, 800);
            windows.back()->show();
        }
        for (bool picturesLeft = true; picturesLeft;) { // one round per tick
            picturesLeft = false;
            for (size_t i = 0; i < windows.size(); ++i) {
                if (steps[i].isEmpty())
                    continue;
                QAbstractButton *advert = child(*windows[i], "btn_adv");
                const QString picture = sheetOf(steps[i].takeFirst() + ".jpg");
                QTRY_COMPARE_WITH_TIMEOUT(advert->styleSheet(), picture, 12000);
                while (!steps[i].isEmpty() && steps[i].first().startsWith("lang:")) {
                    child(*windows[i], "btn_language")->click();
                    QCOMPARE(advert->styleSheet(), sheetOf(steps[i].takeFirst().mid(5) + ".jpg"));
                }
                picturesLeft |= !steps[i].isEmpty();
            }
        }
        QDesktopServices::setUrlHandler("https", this, "openInBrowser");
        for (size_t i = 0; i < windows.size(); ++i) {
            QCOMPARE(child<QWidget>(*windows[i], "widget_banner")->styleSheet(),
                     sheetOf("banner-bk.png"));
            // At 1600 px the picture fills its button from the corner: no column of the strip
            // beside it (a one-pixel seam), none of the picture cut off.
            QAbstractButton *advert = child(*windows[i], "btn_adv");
            const QString last = QString(STRIPS[i].pictures).section(' ', -1).section(':', -1);
            QCOMPARE(advert->grab().toImage().convertToFormat(QImage::Format_RGB32),
                     QImage("dravo/" + last + ".jpg").convertToFormat(QImage::Format_RGB32));
            advert->click();
            const QUrl page(last.endsWith("_en") ? "https://en.example.com/pakto"
                                                 : "https://www.example.com/pakto");
            QCOMPARE(std::exchange(opened, {}), QList<QUrl>{page});
        }
    }
};

QTEST_MAIN(BannerTest)
#include "tst_banner.moc"
