// pakto-artwork: draws the application icon and the banner pictures.
#include "artwork.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace {

bool writeImage(const QImage &image, const QString &path, const char *format)
{
    if (image.save(path, format))
        return true;
    QTextStream(stderr) << "cannot write " << path << '\n';
    return false;
}

// The banner strip's background and every advert in both languages, under
// the names the window looks for.
bool writeBanners(const QDir &dir)
{
    bool written =
        writeImage(drawBannerBackground(), dir.filePath(QStringLiteral("banner-bk.png")), "png");
    for (int index = 0; index < ADVERT_COUNT; ++index) {
        const QString number = QString::number(index);
        written &= writeImage(drawAdvert(index, false),
                              dir.filePath(number + QStringLiteral(".jpg")), "jpg");
        written &= writeImage(drawAdvert(index, true),
                              dir.filePath(number + QStringLiteral("_en.jpg")), "jpg");
    }
    return written;
}

// The icon at every size a desktop menu asks for, in the icon-theme layout
// <dir>/<N>x<N>/apps/pakto.png.
bool writeThemeIcons(const QDir &dir)
{
    bool written = true;
    for (int size : {48, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        written &=
            dir.mkpath(folder) &&
            writeImage(drawIcon(size), dir.filePath(folder + QStringLiteral("/pakto.png")), "png");
    }
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the pictures Pakto ships."));
    parser.addHelpOption();
    const QCommandLineOption icon(QStringLiteral("icon"),
                                  QStringLiteral("Write the 128x128 icon to <file>."),
                                  QStringLiteral("file"));
    const QCommandLineOption banners(QStringLiteral("banners"),
                                     QStringLiteral("Write the banner pictures into <dir>."),
                                     QStringLiteral("dir"));
    const QCommandLineOption themeIcons(
        QStringLiteral("theme-icons"),
        QStringLiteral("Write the icon at 48, 128 and 256 pixels into <dir>/NxN/apps/pakto.png."),
        QStringLiteral("dir"));
    parser.addOption(icon);
    parser.addOption(banners);
    parser.addOption(themeIcons);
    parser.process(app);
    if (parser.isSet(icon) && !writeImage(drawIcon(), parser.value(icon), "ico"))
        return 1;
    if (parser.isSet(banners) && !writeBanners(QDir(parser.value(banners))))
        return 1;
    if (parser.isSet(themeIcons) && !writeThemeIcons(QDir(parser.value(themeIcons))))
        return 1;
    return 0;
}
