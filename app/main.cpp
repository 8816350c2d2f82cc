#include "headless/commandline.h"
#include "mainwindow.h"
#include "shell/filenames.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before the application exists: help, version and usage errors need
    // no display, and a headless run picks its platform first.
    keepFileNameBytes();
    const QStringList arguments = argumentsOf(argc, argv);
    const CommandLine commandLine = readCommandLine(arguments);
    if (commandLine.exitStatus) {
        QTextStream(*commandLine.exitStatus == 0 ? stdout : stderr) << commandLine.message;
        return *commandLine.exitStatus;
    }
    if (commandLine.headless && !hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgumentCount = 1; // the command line is ours alone: Qt reads none of it
    QApplication app(qtArgumentCount, argv);
    if (commandLine.headless)
        return runHeadless(*commandLine.headless, commandLine.window, arguments);
    MainWindow window(nullptr, commandLine.window);
    window.show();
    return app.exec();
}
