// The program's headless path: the application object a run needs, the
// signal watch first, then the checks that may refuse a run before its port opens.
#include "headlessrun.h"
#include "runmessages.h"
#include "runoutputs.h"
#include "runreport.h"
#include "shell/language.h"
#include "shell/settingsschema.h"
#include "shell/signalwatch.h"

#include <QApplication>
#include <QTextStream>

namespace {

// Every finding on stderr; false when the run cannot go on.
bool settingsUsable(const RunSettings &settings)
{
    for (const QString &problem : settings.problems)
        printMessage(problem);
    for (const QString &warning : settings.warnings)
        printWarning(warning);
    return settings.problems.isEmpty();
}

// An output that clashes with another file, or could never be written, is
// refused before anything is opened; the report is then written only when
// it is not one of them.
int runHeadless(const HeadlessPlan &plan, const QStringList &extraPorts,
                const QStringList &arguments)
{
    SignalWatch watch(SignalWatch::Second::EndsProcess);
    QString noWatch;
    watch.install(noWatch); // without it the signals keep their default: the run simply dies
    RunReport report(arguments, plan);
    const QString settingsPath = QStringLiteral("./") + SETTINGS_FILE_NAME;
    InterfaceLanguage language; // the panel's, as the window's, and every message's
    language.apply(settingsSayEnglish(settingsPath));
    for (const OutputClash &refusal :
         {findOutputClash(plan, settingsPath), findUnwritableOutput(plan)}) {
        if (refusal) {
            printMessage(refusal.message);
            report.withhold(refusal.paths);
            return report.finish({{QStringLiteral("output_refused")}, {}, 0}, EXIT_USAGE);
        }
    }
    const RunSettings settings = readRunSettings(settingsPath, plan);
    if (!settingsUsable(settings))
        return report.finish({{QStringLiteral("settings_refused")}, settings.warnings, 0},
                             EXIT_USAGE);
    return HeadlessRun(plan, settings, watch, report).exec(extraPorts);
}

} // namespace

// A plot is drawn by a widget, which needs a platform: offscreen unless one
// is named. A run without a plot needs none.
int runHeadlessProgram(const HeadlessPlan &plan, const QStringList &extraPorts,
                       const QStringList &arguments, char *programName)
{
    int count = 1; // the command line is ours alone: Qt reads none of it
    char *qtArguments[] = {programName, nullptr};
    if (plan.plotPath.isEmpty()) {
        QCoreApplication application(count, qtArguments);
        return runHeadless(plan, extraPorts, arguments);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(count, qtArguments);
    return runHeadless(plan, extraPorts, arguments);
}
