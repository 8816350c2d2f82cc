#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

WindowOptions parseCommandLine(const QStringList &arguments)
{
    QCoreApplication::setApplicationName(QStringLiteral("pakto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAKTO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serial-link frame test tool."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("List PATH as a serial port (pseudo-terminals, symlinks); may be repeated."),
        QStringLiteral("PATH"));
    parser.addOption(port);
    parser.process(arguments);

    WindowOptions options;
    options.extraPorts = parser.values(port);
    return options;
}
