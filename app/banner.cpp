// The advert strip along the bottom: a fixed background and a picture that
// changes every ten seconds, follows the language at once, and links to the
// vendor's page.
#include "mainwindow.h"
#include "shell/datafiles.h"
#include "shell/vendor.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QSettings>
#include <QUrl>

namespace {

// Without a border of its own the picture starts at the widget's corner: a
// styled button's default frame would shift it by a pixel, cutting off its
// last column and leaving a seam of the strip's colour at its first.
QString backgroundImage(const QString &picture)
{
    return QStringLiteral("border: none; background-image: url(%1);")
        .arg(findDataFile(QStringLiteral("dravo/") + picture));
}

} // namespace

void MainWindow::readBannerConfig()
{
    QSettings config(findDataFile(QStringLiteral("dravo/dravo.ini")), QSettings::IniFormat);
    config.beginGroup(QStringLiteral("system"));
    // Text that is not a number reads as 0: picture 0 on every refresh.
    const QString shipped = QString::number(vendor::MAX_ADVERT_INDEX);
    maxAdvIndex = config.value(QStringLiteral("max-adv-index"), shipped).toInt();
}

// Shows picture advIndex in the current language.
void MainWindow::refreshBanner()
{
    ui->widget_banner->setStyleSheet(backgroundImage(QStringLiteral("banner-bk.png")));
    const QString picture = QString::number(advIndex) +
                            (isEnglish ? QStringLiteral("_en.jpg") : QStringLiteral(".jpg"));
    ui->btn_adv->setStyleSheet(backgroundImage(picture));
}

void MainWindow::showNextAdvert()
{
    advIndex = advIndex < maxAdvIndex ? advIndex + 1 : 0;
    refreshBanner();
}

void MainWindow::on_btn_adv_clicked()
{
    const char *address = isEnglish ? vendor::SECOND_ADDRESS : vendor::MAIN_ADDRESS;
    QDesktopServices::openUrl(QUrl(QLatin1String(address), QUrl::TolerantMode));
}
