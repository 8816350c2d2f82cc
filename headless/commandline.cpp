#include "commandline.h"
#include "codec/prbs.h"
#include "runplot.h"
#include "usage.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <climits>
#include <iterator>
#include <optional>

namespace {

constexpr int LONGEST_RUN_S = INT_MAX / 1000; // a whole number, printed as one
constexpr quint64 MOST_BAUD = INT_MAX;
constexpr quint64 LONGEST_PERIOD_MS = INT_MAX;
constexpr double SHORTEST_RUN_S = 0.001; // the run counts whole milliseconds
// Any other option given twice would silently take its last value.
const QStringList REPEATABLE{QStringLiteral("port")};

class CommandLineReader
{
public:
    CommandLineReader();
    CommandLine read(const QStringList &arguments);

private:
    void refuseRepeats();
    bool asksForHeadlessRun() const;
    HeadlessPlan readPlan();
    void requireRunOptions();
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
    const QCommandLineOption port{
        "port", "List PATH as a serial port (pseudo-terminals, symlinks); may be repeated.",
        "PATH"};
    const QCommandLineOption open{"open", "Run: open PORT, a listed name or a --port path.",
                                  "PORT"};
    const QCommandLineOption send{"send",
                                  "Run: answer (answer-driven), timed, once, stream (at full "
                                  "speed) or prbs (bit error test).",
                                  "MODE"};
    const QCommandLineOption duration{"duration", "Run: send for S seconds (fractions allowed).",
                                      "S"};
    const QCommandLineOption baud{"baud", "Run: line speed (default: as last used).", "N"};
    // In the order of lineChoices().
    const QCommandLineOption lineOptions[LINE_CHOICES]{
        {"data-bits", "Run: data bits, 5 to 8; below 8 frames are cut (default: as last used).",
         "N"},
        {"parity", "Run: parity none, even, odd, mark or space (default: as last used).", "P"},
        {"stop-bits", "Run: stop bits, 1 or 2 (default: as last used).", "N"},
        {"flow",
         "Run: flow control none, rtscts or xonxoff; xonxoff loses binary frames "
         "(default: as last used).",
         "F"}};
    const QCommandLineOption tag{"tag", "Run: put the tag and sequence number before the payload."};
    const QCommandLineOption compare{"compare", "Run: compare replies with the frames sent."};
    const QCommandLineOption show{
        "show", "Run: print every frame sent and received on stdout, as the capture has it."};
    const QCommandLineOption capture{"capture", "Run: capture the traffic to FILE.", "FILE"};
    const QCommandLineOption pcap{
        "pcap", "Run: capture every frame, and every frame refused, as pcapng to FILE.", "FILE"};
    const QCommandLineOption period{"period",
                                    "Run: period of timed sending (default: as last used).", "MS"};
    const QCommandLineOption frames{
        "frames",
        "Run: answer-driven, timed or full-speed sending stops after N frames, even before the "
        "time is up.",
        "N"};
    const QCommandLineOption replyTimeout{
        "reply-timeout",
        "Run: a frame unanswered MS after it left counts as no reply (0: waits forever); "
        "answer-driven sending then sends on.",
        "MS"};
    const QCommandLineOption reconnect{
        "reconnect", "Run: a port lost during the run is waited for and opened again; the "
                     "counts go on, and each outage is on the record."};
    const QCommandLineOption oneWay{
        "one-way", "Run: the device answers nothing; received frames are only counted."};
    const QCommandLineOption reportMemory{
        "report-memory",
        "Run: print the memory in use to stderr after 10000 frames, every 100000 and at the end."};
    const QCommandLineOption report{"report", "Run: write the run as JSON to FILE (-: stdout).",
                                    "FILE"};
    const QCommandLineOption plot{
        "plot", "Run: draw the run's chart to FILE, SVG or PNG (1200 x 600) by its ending.",
        "FILE"};
    const QCommandLineOption junit{"junit", "Run: write the run's checks as JUnit XML to FILE.",
                                   "FILE"};
    const QCommandLineOption prbs{"prbs",
                                  "Run: the bit error test's sequence, prbs7, prbs9, prbs15, "
                                  "prbs23 or prbs31 (default: as last used).",
                                  "SEQ"};
    const QCommandLineOption maxBer{"max-ber",
                                    "Run: the bit error test passes while its ratio at 95% "
                                    "confidence is at most X (default: no bit error at all).",
                                    "X"};
};

CommandLineReader::CommandLineReader()
{
    parser.setApplicationDescription(runDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({port, open, send, duration, baud, tag, compare, show, capture, period,
                       frames, replyTimeout, oneWay, reportMemory, report});
    for (const QCommandLineOption &option : lineOptions)
        parser.addOption(option);
    parser.addOptions({pcap, plot, junit, prbs, maxBer, reconnect});
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
    const QList<const QCommandLineOption *> runOptions{
        &open,    &send,   &duration, &baud,         &tag,    &compare,      &show,
        &capture, &period, &frames,   &replyTimeout, &oneWay, &reportMemory, &report,
        &plot,    &junit,  &prbs,     &maxBer,       &pcap,   &reconnect};
    for (const QCommandLineOption *option : runOptions) {
        if (parser.isSet(*option))
            return true;
    }
    return std::any_of(std::begin(lineOptions), std::end(lineOptions),
                       [this](const QCommandLineOption &option) { return parser.isSet(option); });
}

HeadlessPlan CommandLineReader::readPlan()
{
    requireRunOptions();
    HeadlessPlan plan;
    plan.port = parser.value(open);
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
    if (parser.isSet(open) && parser.value(open).isEmpty())
        fail(QStringLiteral("--open needs a port name"));
    for (const QCommandLineOption *option : {&capture, &pcap, &report, &plot, &junit}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            fail(QStringLiteral("--%1 needs a file name").arg(option->names().first()));
    }
    if (parser.isSet(plot) && !isPlotFileName(parser.value(plot)))
        fail(QStringLiteral("--plot needs a name ending in .svg or .png, not '%1'")
                 .arg(parser.value(plot)));
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
