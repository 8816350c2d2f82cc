// The advert strip: which picture shows at each ten-second tick, and where a
// click leads.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTimerEvent>
#include <QUrl>
#include <QtTest>

namespace {

const QString BACKGROUND = QStringLiteral("background-image: url(./dravo/banner-bk.png);");

QString advert(const QString &picture)
{
    return QStringLiteral("background-image: url(./dravo/%1);").arg(picture);
}

bool writeBannerConfig(const QString &maxIndex)
{
    QFile file(QStringLiteral("dravo/dravo.ini"));
    return QDir().mkdir(QStringLiteral("dravo")) && file.open(QIODevice::WriteOnly) &&
           file.write("[system]\nmax-adv-index=" + maxIndex.toUtf8() + "\n") > 0;
}

void storeEnglish()
{
    QSettings(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat)
        .setValue(QStringLiteral("show/english"), true);
}

void bannerTick(MainWindow &window)
{
    QTimerEvent tick(MainWindowProbe::timerBanner(window));
    QCoreApplication::sendEvent(&window, &tick);
}

QString shownAdvert(MainWindow &window)
{
    return MainWindowProbe::ui(window)->btn_adv->styleSheet();
}

// Stands in for the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class BannerTest : public QObject
{
    Q_OBJECT

private slots:
    void picturesCycle_data();
    void picturesCycle();
    void switchShowsNextPictureInEnglishAtNextTick();
    void advertClickOpensVendorPage_data();
    void advertClickOpensVendorPage();
};

// The picture at start-up, then after each tick.
void BannerTest::picturesCycle_data()
{
    QTest::addColumn<QString>("maxIndex"); // empty: no dravo.ini at all
    QTest::addColumn<bool>("english");
    QTest::addColumn<QStringList>("pictures");

    QTest::newRow("no config, chinese")
        << QString() << false
        << QStringList{"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "0.jpg", "1.jpg"};
    QTest::newRow("highest 2, english")
        << "2" << true << QStringList{"0_en.jpg", "1_en.jpg", "2_en.jpg", "0_en.jpg", "1_en.jpg"};
    QTest::newRow("highest 0") << "0" << false << QStringList{"0.jpg", "0.jpg", "0.jpg"};
    QTest::newRow("not a number") << "x" << false << QStringList{"0.jpg", "0.jpg", "0.jpg"};
    QTest::newRow("negative") << "-4" << true << QStringList{"0_en.jpg", "0_en.jpg"};
}

void BannerTest::picturesCycle()
{
    QFETCH(QString, maxIndex);
    QFETCH(bool, english);
    QFETCH(QStringList, pictures);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    if (!maxIndex.isEmpty())
        QVERIFY(writeBannerConfig(maxIndex));
    if (english)
        storeEnglish();

    WarningCatcher warnings;
    MainWindow window;
    QStringList shown{shownAdvert(window)};
    while (shown.size() < pictures.size()) {
        bannerTick(window);
        shown << shownAdvert(window);
    }
    QStringList expected;
    for (const QString &picture : pictures)
        expected << advert(picture);
    QCOMPARE(shown, expected);
    QCOMPARE(MainWindowProbe::ui(window)->widget_banner->styleSheet(), BACKGROUND);
}

void BannerTest::switchShowsNextPictureInEnglishAtNextTick()
{
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    WarningCatcher warnings;
    MainWindow window;
    for (int tick = 0; tick < 3; ++tick)
        bannerTick(window);
    QCOMPARE(shownAdvert(window), advert(QStringLiteral("3.jpg")));

    MainWindowProbe::ui(window)->btn_language->click();
    QCOMPARE(shownAdvert(window), advert(QStringLiteral("3.jpg")));
    bannerTick(window);
    QCOMPARE(shownAdvert(window), advert(QStringLiteral("4_en.jpg")));
}

void BannerTest::advertClickOpensVendorPage_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QUrl>("page");

    QTest::newRow("chinese") << false << QUrl(QStringLiteral("https://www.example.com/pakto"));
    QTest::newRow("english") << true << QUrl(QStringLiteral("https://en.example.com/pakto"));
}

void BannerTest::advertClickOpensVendorPage()
{
    QFETCH(bool, english);
    QFETCH(QUrl, page);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    if (english)
        storeEnglish();
    UrlCatcher browser;
    WarningCatcher warnings;
    MainWindow window;
    MainWindowProbe::ui(window)->btn_adv->click();
    QCOMPARE(browser.opened, QList<QUrl>{page});
    if (!english) // the Chinese advert leads where the title points
        QVERIFY(window.windowTitle().endsWith(page.toString()));
}

QTEST_MAIN(BannerTest)
#include "tst_banner.moc"
