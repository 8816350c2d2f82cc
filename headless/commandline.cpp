#include "commandline.h"
#include "codec/prbs.h"
#include "commandlineoptions.h"
#include "runplot.h"
#include "serial/portaccess.h"
#include "usage.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

constexpr int LONGEST_RUN_S = INT_MAX / 1000; // a whole number, printed as one
constexpr quint64 MOST_BAUD = INT_MAX;
constexpr quint64 LONGEST_PERIOD_MS = INT_MAX;
constexpr double SHORTEST_RUN_S = 0.001; // the run counts whole milliseconds
// Any other option given twice would silently take its last value.
const QStringList REPEATABLE{QStringLiteral("port"), QStringLiteral("open")};

class CommandLineReader : private CommandLineOptions
{
public:
    CommandLineReader();
    CommandLine read(const QStringList &arguments);

private:
    void refuseRepeats();
    bool asksForHeadlessRun() const;
    HeadlessPlan readPlan();
    void requireRunOptions();
    void refuseSamePortTwice();
    HeadlessSend readSendMode();
    void readBitErrorTest(HeadlessPlan &plan);
    void readLine(HeadlessPlan &plan);
    int readDurationMs();
    quint64 readWhole(const QCommandLineOption &option, quint64 smallest, quint64 largest);
    CommandLine helpOrVersion();
    CommandLine refusal() const;
    void fail(const QString &why);

    QCommandLineParser parser;
    QString firstError; // the rest of the line is read on, but only this is told
};

CommandLineReader::CommandLineReader()
{
    parser.setApplicationDescription(runDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(port);
    for (const QCommandLineOption *option : runOptions())
        parser.addOption(*option);
}

CommandLine CommandLineReader::read(const QStringList &arguments)
{
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return refusal();
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
        parser.isSet(QStringLiteral("version")))
        return helpOrVersion();
    refuseRepeats();
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    CommandLine commandLine;
    commandLine.extraPorts = parser.values(port);
    if (commandLine.extraPorts.contains(QString()))
        fail(QStringLiteral("--port needs a path"));
    if (asksForHeadlessRun())
        commandLine.headless = readPlan();
    return firstError.isEmpty() ? commandLine : refusal();
}

void CommandLineReader::refuseRepeats()
{
    const QStringList given = parser.optionNames();
    for (const QString &name : given) {
        if (given.count(name) > 1 && !REPEATABLE.contains(name))
            return fail(QStringLiteral("--%1 is given more than once").arg(name));
    }
}

bool CommandLineReader::asksForHeadlessRun() const
{
    const QList<const QCommandLineOption *> options = runOptions();
    return std::any_of(options.begin(), options.end(),
                       [this](const QCommandLineOption *option) { return parser.isSet(*option); });
}

HeadlessPlan CommandLineReader::readPlan()
{
    requireRunOptions();
    HeadlessPlan plan;
    plan.ports = parser.values(open);
    plan.send = readSendMode();
    plan.durationMs = readDurationMs();
    if (parser.isSet(baud))
        plan.baud = QString::number(readWhole(baud, 1, MOST_BAUD));
    readLine(plan);
    if (parser.isSet(period))
        plan.periodMs = int(readWhole(period, 1, LONGEST_PERIOD_MS));
    if (parser.isSet(frames))
        plan.frameLimit = readWhole(frames, 1, ULLONG_MAX);
    if (parser.isSet(replyTimeout))
        plan.replyTimeoutMs = int(readWhole(replyTimeout, 0, LONGEST_PERIOD_MS));
    plan.oneWay = parser.isSet(oneWay);
    plan.reconnect = parser.isSet(reconnect);
    plan.tag = parser.isSet(tag);
    plan.compare = parser.isSet(compare);
    plan.show = parser.isSet(show);
    plan.capturePath = parser.value(capture);
    plan.pcapPath = parser.value(pcap);
    plan.reportMemory = parser.isSet(reportMemory);
    plan.reportPath = parser.value(report);
    plan.plotPath = parser.value(plot);
    plan.junitPath = parser.value(junit);
    plan.metricsPath = parser.value(metrics);
    readBitErrorTest(plan);
    return plan;
}

void CommandLineReader::requireRunOptions()
{
    for (const QCommandLineOption *option : {&open, &send, &duration}) {
        if (!parser.isSet(*option))
            fail(QStringLiteral("a run needs --open, --send and --duration; --%1 is missing")
                     .arg(option->names().first()));
    }
    refuseSamePortTwice();
    for (const QCommandLineOption *option : {&capture, &pcap, &report, &plot, &junit, &metrics}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            fail(QStringLiteral("--%1 needs a file name").arg(option->names().first()));
    }
    // The textfile collector reads only these.
    if (parser.isSet(metrics) && !parser.value(metrics).endsWith(QLatin1String(".prom")))
        fail(QStringLiteral("--metrics needs a name ending in .prom, not '%1'")
                 .arg(parser.value(metrics)));
    if (parser.isSet(plot) && !isPlotFileName(parser.value(plot)))
        fail(QStringLiteral("--plot needs a name ending in .svg or .png, not '%1'")
                 .arg(parser.value(plot)));
}

// One port is one link: a second link on it could only fight the first.
void CommandLineReader::refuseSamePortTwice()
{
    QStringList devices;
    for (const QString &portName : parser.values(open)) {
        if (portName.isEmpty())
            return fail(QStringLiteral("--open needs a port name"));
        if (devices.contains(devicePath(portName)))
            return fail(QStringLiteral("--open %1 names a port already opened").arg(portName));
        devices << devicePath(portName);
    }
}

HeadlessSend CommandLineReader::readSendMode()
{
    const QString mode = parser.value(send);
    if (mode == QLatin1String("prbs"))
        return HeadlessSend::BitErrorTest;
    const bool timed = mode == QLatin1String("timed");
    if (parser.isSet(period) && !timed)
        fail(QStringLiteral("--period goes with --send timed"));
    if (parser.isSet(frames) && mode == QLatin1String("once"))
        fail(QStringLiteral("--frames goes with --send answer, timed or stream"));
    if (parser.isSet(oneWay) && (parser.isSet(compare) || mode == QLatin1String("answer")))
        fail(QStringLiteral("--one-way goes with neither --compare nor --send answer"));
    if (timed)
        return HeadlessSend::Timed;
    if (mode == QLatin1String("answer"))
        return HeadlessSend::Answer;
    if (mode == QLatin1String("once"))
        return HeadlessSend::Once;
    if (mode == QLatin1String("stream"))
        return HeadlessSend::Stream;
    fail(QStringLiteral("unknown send mode '%1' (answer, timed, once, stream or prbs)").arg(mode));
    return HeadlessSend::Answer;
}

// A stream of bits has no frames to compare, tag, count, time or capture; the
// sequence and the limit mean nothing to a framed mode.
void CommandLineReader::readBitErrorTest(HeadlessPlan &plan)
{
    const bool bitTest = plan.send == HeadlessSend::BitErrorTest;
    for (const QCommandLineOption *option :
         {&compare, &tag, &frames, &period, &pcap, &prbs, &maxBer}) {
        const bool framed = option != &prbs && option != &maxBer;
        if (parser.isSet(*option) && framed == bitTest)
            fail(QString::fromLatin1(framed ? "--%1 means nothing to --send prbs"
                                            : "--%1 goes with --send prbs")
                     .arg(option->names().first()));
    }
    plan.prbs = parser.value(prbs);
    if (parser.isSet(prbs) && !prbsFromName(plan.prbs.toStdString()))
        fail(QStringLiteral("--prbs needs one of prbs7, prbs9, prbs15, prbs23, prbs31, not '%1'")
                 .arg(plan.prbs));
    bool number = true;
    if (parser.isSet(maxBer))
        plan.maxBer = parser.value(maxBer).toDouble(&number);
    if (!number || (parser.isSet(maxBer) && !(plan.maxBer > 0 && plan.maxBer < 1)))
        fail(QStringLiteral("--max-ber needs a ratio above 0 and below 1, not '%1'")
                 .arg(parser.value(maxBer)));
}

void CommandLineReader::readLine(HeadlessPlan &plan)
{
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        const QCommandLineOption &option = lineOptions[choice];
        const QStringList &words = lineChoices()[choice].words;
        if (!parser.isSet(option))
            continue;
        plan.line[choice] = parser.value(option);
        if (!words.contains(plan.line[choice]))
            fail(QStringLiteral("--%1 needs one of %2, not '%3'")
                     .arg(option.names().first(), words.join(QStringLiteral(", ")),
                          plan.line[choice]));
    }
}

int CommandLineReader::readDurationMs()
{
    bool number = false;
    const double seconds = parser.value(duration).toDouble(&number);
    if (!number || !(seconds >= SHORTEST_RUN_S) || seconds > LONGEST_RUN_S) {
        fail(QStringLiteral("--duration needs a number of seconds from %1 to %2, not '%3'")
                 .arg(SHORTEST_RUN_S)
                 .arg(LONGEST_RUN_S)
                 .arg(parser.value(duration)));
        return 0;
    }
    return qRound(seconds * 1000);
}

quint64 CommandLineReader::readWhole(const QCommandLineOption &option, quint64 smallest,
                                     quint64 largest)
{
    bool number = false;
    const quint64 value = parser.value(option).toULongLong(&number);
    if (!number || value < smallest || value > largest) {
        fail(QStringLiteral("--%1 needs a whole number from %2 to %3, not '%4'")
                 .arg(option.names().first())
                 .arg(smallest)
                 .arg(largest)
                 .arg(parser.value(option)));
        return 0;
    }
    return value;
}

// Qt's help names the program from the application's arguments, which need
// an application object, and the window's is not built yet.
CommandLine CommandLineReader::helpOrVersion()
{
    char programName[] = "pakto";
    char *arguments[] = {programName, nullptr};
    int count = 1;
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(count, arguments);
    CommandLine commandLine;
    commandLine.exitStatus = EXIT_CLEAN_RUN;
    // Qt's own options are not taken, so --help-all shows no more.
    commandLine.message = parser.isSet(QStringLiteral("version"))
                              ? QStringLiteral("pakto %1\n").arg(QStringLiteral(PAKTO_VERSION))
                              : parser.helpText();
    return commandLine;
}

CommandLine CommandLineReader::refusal() const
{
    CommandLine commandLine;
    commandLine.exitStatus = EXIT_USAGE;
    commandLine.message =
        QStringLiteral("pakto: %1\nTry 'pakto --help' for the options.\n").arg(firstError);
    return commandLine;
}

void CommandLineReader::fail(const QString &why)
{
    if (firstError.isEmpty())
        firstError = why;
}

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    QCoreApplication::setApplicationName(QStringLiteral("pakto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAKTO_VERSION));
    return CommandLineReader().read(arguments);
}
