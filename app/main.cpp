#include "commandline.h"
#include "headlessrun.h"
#include "mainwindow.h"
#include "runreport.h"
#include "runsettings.h"

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

// Every finding on stderr; false when the run cannot go on.
bool settingsUsable(const SettingsCheck &check)
{
    QTextStream err(stderr);
    for (const QString &problem : check.problems)
        err << "pakto: " << problem << '\n';
    for (const QString &warning : check.warnings)
        err << "pakto: warning: " << warning << '\n';
    return check.problems.isEmpty();
}

// Looked at before the window is built, which reads the file as it stands.
int runHeadless(const CommandLine &commandLine, const QStringList &arguments)
{
    const HeadlessPlan &plan = *commandLine.headless;
    RunReport report(arguments, plan);
    const SettingsCheck check = checkRunSettings(QStringLiteral("./dv-ppp.ini"), plan);
    if (!settingsUsable(check))
        return report.finish({{QStringLiteral("settings_refused")}, check.warnings, 0}, EXIT_USAGE);
    MainWindow window(nullptr, commandLine.window);
    return HeadlessRun(window, plan, check.warnings, report).exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before the application exists: help, version and usage errors need
    // no display, and a headless run picks its platform first.
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
        return runHeadless(commandLine, arguments);
    MainWindow window(nullptr, commandLine.window);
    window.show();
    return app.exec();
}
