#include "headless/commandline.h"
#include "headless/headlessrun.h"
#include "mainwindow.h"
#include "shell/filenames.h"
#include "shell/signalwatch.h"

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
    // Before all else: a signal while a headless run is still being set up
    // ends it as an interrupted run, with its report. The window keeps the
    // default actions.
    SignalWatch::catchSignals(SignalWatch::Second::EndsProcess);
    // Read before the application exists: help, version and usage errors need
    // no display, and a headless run makes the application object it needs.
    keepFileNameBytes();
    const QStringList arguments = argumentsOf(argc, argv);
    const CommandLine commandLine = readCommandLine(arguments);
    if (!commandLine.headless)
        SignalWatch::releaseSignals();
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
