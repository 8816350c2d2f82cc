#include "headless/commandline.h"
#include "headless/headlessrun.h"
#include "mainwindow.h"
#include "shell/filenames.h"

#include <QApplication>
#include <QTextStream>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before the application exists: help, version and usage errors need
    // no display, and a headless run makes the application object it needs.
    keepFileNameBytes();
    const QStringList arguments = argumentsOf(argc, argv);
    const CommandLine commandLine = readCommandLine(arguments);
    if (commandLine.exitStatus) {
        QTextStream(*commandLine.exitStatus == 0 ? stdout : stderr) << commandLine.message;
        return *commandLine.exitStatus;
    }
    if (commandLine.headless)
        return runHeadlessProgram(*commandLine.headless, commandLine.extraPorts, arguments,
                                  argv[0]);
    int qtArgumentCount = 1; // the command line is ours alone: Qt reads none of it
    QApplication app(qtArgumentCount, argv);
    MainWindow window(commandLine.extraPorts);
    window.show();
    return app.exec();
}
