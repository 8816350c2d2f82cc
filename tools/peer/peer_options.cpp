#include "peer_options.h"

#include "peer_help.h"

#include <QCommandLineParser>

#include <limits>
#include <type_traits>

namespace {

constexpr int LONGEST_DELAY_MS = 3600 * 1000;
// A start bit, 5 to 8 data bits, perhaps a parity bit, 1 or 2 stop bits.
constexpr int DEFAULT_CHAR_BITS = 10;
constexpr int SHORTEST_CHAR_BITS = 7;
constexpr int LONGEST_CHAR_BITS = 12;

class CommandLineReader
{
public:
    CommandLineReader();
    ParsedCommandLine read(const QStringList &arguments);

private:
    bool readAll(PeerOptions &options);
    bool readLink(PeerOptions &options);
    bool readMode(PeerOptions &options);
    bool readFlags(PeerOptions &options);
    bool readFault(PeerOptions &options);
    bool readFaultTiming(PeerOptions &options);
    bool readNoise(PeerOptions &options);
    bool readOutages(PeerOptions &options);
    bool readRun(PeerOptions &options);
    template <typename T>
    bool readNumber(const QCommandLineOption &option, T minimum, T maximum, T &value);
    bool fail(const QString &why);

    QCommandLineParser parser;
    const QCommandLineOption port{
        "port", "Open the existing serial port <path> (8N1, no flow control).", "path"};
    const QCommandLineOption baud{"baud", "Line speed for --port (default 115200).", "n"};
    const QCommandLineOption pty{
        "pty", "Make a pseudo-terminal and print its path as the first line of output."};
    const QCommandLineOption link{
        "link", "With --pty: also make the symbolic link <path> to it, removed on exit.", "path"};
    const QCommandLineOption mode{"mode", "echo (default), raw or extra; see below.", "mode"};
    const QCommandLineOption flags{"flags", "own (default), shared or idle; see below.", "style"};
    const QCommandLineOption fault{"fault", "Spoil replies with one fault <kind>; see below.",
                                   "kind"};
    const QCommandLineOption every{"every", "Spoil every <n>th reply (default 1: all of them).",
                                   "n"};
    const QCommandLineOption rate{"rate", "Spoil each reply with probability <p>, 0 to 1, instead.",
                                  "p"};
    const QCommandLineOption seed{
        "seed", "Seed for --rate, --bit-errors and noise bytes (default 1).", "s"};
    const QCommandLineOption bitErrors{
        "bit-errors", "Raw mode: flip each bit sent back with probability <p>, 0 to 1.", "p"};
    const QCommandLineOption slipEvery{"slip-every", "Raw mode: drop every <n>th byte sent back.",
                                       "n"};
    const QCommandLineOption vanish{
        "vanish", "With --link: go away at <at> ms for <away> ms (or never); see below.",
        "at:away,..."};
    const QCommandLineOption vanishEvery{
        "vanish-every", "With --link: go away every <period> ms for <away> ms.", "period:away"};
    const QCommandLineOption delay{"delay", "Hold every reply back by <ms> milliseconds.", "ms"};
    const QCommandLineOption frames{
        "frames", "Exit after <n> good frames, once their replies are read.", "n"};
    const QCommandLineOption record{"record", "Write every byte received, raw, to <file>.", "file"};
    const QCommandLineOption lineRate{
        "line-rate", "With --pty: read and answer no faster than the baud rate set on it."};
    const QCommandLineOption charBits{
        "char-bits", "With --line-rate: bits a byte takes on the line (default 10).", "n"};
    QString error;
};

CommandLineReader::CommandLineReader()
{
    parser.setApplicationDescription(
        "Simulated device for pakto: answers test frames on a serial line "
        "and can spoil some of the answers on purpose.");
    parser.addHelpOption();
    parser.addOptions({port, baud, pty, link, mode, flags, fault, every, rate, seed, bitErrors,
                       slipEvery, delay, frames, record, lineRate, charBits, vanish, vanishEvery});
}

ParsedCommandLine CommandLineReader::read(const QStringList &arguments)
{
    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.text = parser.errorText();
        return parsed;
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        parsed.outcome = ParsedCommandLine::Help;
        parsed.text = parser.helpText() + peerHelpDetails();
        return parsed;
    }
    parsed.outcome = readAll(parsed.options) ? ParsedCommandLine::Run : ParsedCommandLine::Error;
    parsed.text = error;
    return parsed;
}

bool CommandLineReader::readAll(PeerOptions &options)
{
    if (!parser.positionalArguments().isEmpty())
        return fail(QString("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    return readLink(options) && readOutages(options) && readMode(options) && readFlags(options) &&
           readFault(options) && readFaultTiming(options) && readNoise(options) && readRun(options);
}

bool CommandLineReader::readLink(PeerOptions &options)
{
    options.pty = parser.isSet(pty);
    options.portPath = parser.value(port);
    options.linkPath = parser.value(link);
    if (options.pty == parser.isSet(port))
        return fail("give either --port <path> or --pty");
    if (parser.isSet(baud) && options.pty)
        return fail("--baud goes with --port, not with --pty");
    if (parser.isSet(link) && !options.pty)
        return fail("--link goes with --pty");
    if (parser.isSet(lineRate) && !options.pty)
        return fail("--line-rate goes with --pty: a serial port keeps its own pace");
    if (parser.isSet(charBits) && !parser.isSet(lineRate))
        return fail("--char-bits goes with --line-rate");
    options.lineCharBits = parser.isSet(lineRate) ? DEFAULT_CHAR_BITS : 0;
    if (!readNumber(charBits, SHORTEST_CHAR_BITS, LONGEST_CHAR_BITS, options.lineCharBits))
        return false;
    return readNumber(baud, 1, std::numeric_limits<qint32>::max(), options.baud);
}

bool CommandLineReader::readMode(PeerOptions &options)
{
    const QString name = parser.value(mode);
    if (name.isEmpty() || name == "echo")
        options.mode = ReplyMode::Echo;
    else if (name == "raw")
        options.mode = ReplyMode::Raw;
    else if (name == "extra")
        options.mode = ReplyMode::Extra;
    else
        return fail(QString("unknown mode '%1' (echo, raw or extra)").arg(name));
    return true;
}

bool CommandLineReader::readFlags(PeerOptions &options)
{
    const QString name = parser.value(flags);
    if (name.isEmpty() || name == "own")
        options.flags = FlagStyle::Own;
    else if (name == "shared")
        options.flags = FlagStyle::Shared;
    else if (name == "idle")
        options.flags = FlagStyle::Idle;
    else
        return fail(QString("unknown flag style '%1' (own, shared or idle)").arg(name));
    if (options.flags != FlagStyle::Own && options.mode == ReplyMode::Raw)
        return fail("--flags needs --mode echo or extra: raw sends bytes back as they came");
    return true;
}

bool CommandLineReader::readFault(PeerOptions &options)
{
    if (!parser.isSet(fault)) {
        if (parser.isSet(every) || parser.isSet(rate))
            return fail("--every and --rate need --fault");
        if (parser.isSet(seed) && !parser.isSet(bitErrors))
            return fail("--seed needs --fault or --bit-errors");
        return true;
    }
    const QString name = parser.value(fault);
    if (name == "delay")
        return fail("a reply delay is --delay <ms>, not a fault");
    if (!faultFromName(name, options.fault))
        return fail(QString("unknown fault '%1'; see --help").arg(name));
    if (options.mode == ReplyMode::Raw)
        return fail("faults need --mode echo or extra: raw sends bytes back as they came");
    return true;
}

bool CommandLineReader::readFaultTiming(PeerOptions &options)
{
    if (parser.isSet(every) && parser.isSet(rate))
        return fail("give --every or --rate, not both");
    options.random = parser.isSet(rate);
    return readNumber(every, 1, std::numeric_limits<int>::max(), options.every) &&
           readNumber(rate, 0.0, 1.0, options.rate) &&
           readNumber(seed, quint32(0), std::numeric_limits<quint32>::max(), options.seed);
}

bool CommandLineReader::readNoise(PeerOptions &options)
{
    if ((parser.isSet(bitErrors) || parser.isSet(slipEvery)) && options.mode != ReplyMode::Raw)
        return fail("--bit-errors and --slip-every need --mode raw");
    return readNumber(bitErrors, 0.0, 1.0, options.bitErrorRate) &&
           readNumber(slipEvery, 1, std::numeric_limits<int>::max(), options.slipEvery);
}

bool CommandLineReader::readOutages(PeerOptions &options)
{
    if (!parser.isSet(vanish) && !parser.isSet(vanishEvery))
        return true;
    if (options.linkPath.isEmpty())
        return fail("--vanish and --vanish-every need --pty and --link");
    if (parser.isSet(vanish) && parser.isSet(vanishEvery))
        return fail("give --vanish or --vanish-every, not both");
    if (parser.isSet(vanish))
        return OutagePlan::parseList(parser.value(vanish), options.outages, error);
    return OutagePlan::parsePeriodic(parser.value(vanishEvery), options.outages, error);
}

bool CommandLineReader::readRun(PeerOptions &options)
{
    options.recordPath = parser.value(record);
    if (parser.isSet(record) && options.recordPath.isEmpty())
        return fail("--record needs a file name");
    return readNumber(delay, 0, LONGEST_DELAY_MS, options.delayMs) &&
           readNumber(frames, quint64(1), quint64(std::numeric_limits<qint64>::max()),
                      options.frameLimit);
}

// Leaves value alone when the option is not given. Whole numbers are read as
// such, so "1.5" is no count; NaN fails the range test.
template <typename T>
bool CommandLineReader::readNumber(const QCommandLineOption &option, T minimum, T maximum, T &value)
{
    if (!parser.isSet(option))
        return true;
    constexpr bool fractional = std::is_floating_point_v<T>;
    using Wide = std::conditional_t<fractional, double, qint64>;
    const QString text = parser.value(option);
    bool ok = false;
    const Wide number = fractional ? Wide(text.toDouble(&ok)) : Wide(text.toLongLong(&ok));
    if (!ok || !(number >= Wide(minimum) && number <= Wide(maximum)))
        return fail(QString("--%1 wants a number from %2 to %3, not '%4'")
                        .arg(option.names().first())
                        .arg(minimum)
                        .arg(maximum)
                        .arg(text));
    value = T(number);
    return true;
}

bool CommandLineReader::fail(const QString &why)
{
    error = why;
    return false;
}

} // namespace

ParsedCommandLine parsePeerCommandLine(const QStringList &arguments)
{
    return CommandLineReader().read(arguments);
}
