#include "commandline.h"
#include "headlessrun.h"
#include "mainwindow.h"

#include <QApplication>

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
    const CommandLine commandLine = readCommandLine(argumentsOf(argc, argv));
    if (commandLine.headless && !hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgumentCount = 1; // the command line is ours alone: Qt reads none of it
    QApplication app(qtArgumentCount, argv);
    MainWindow window(nullptr, commandLine.window);
    if (commandLine.headless)
        return HeadlessRun(window, *commandLine.headless).exec();
    window.show();
    return app.exec();
}
