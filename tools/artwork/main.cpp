// pakto-artwork: draws the application icon and the banner pictures.
#include "artwork.h"

#include <QCommandLineParser>
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

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the pictures Pakto ships."));
    parser.addHelpOption();
    const QCommandLineOption icon(QStringLiteral("icon"), QStringLiteral("Write the 128x128 icon to <file>."),
                                  QStringLiteral("file"));
    parser.addOption(icon);
    parser.process(app);
    if (parser.isSet(icon) && !writeImage(drawIcon(), parser.value(icon), "ico"))
        return 1;
    return 0;
}
