#include "statisticspanel.h"
#include "clock.h"
#include "linksession.h"
#include "shell/texts.h"

namespace {

constexpr quint64 KILO = 1000;
constexpr quint64 MEGA = 1000000;
constexpr int RATE_DIGITS = 6;
constexpr int LATENCY_DECIMALS = 3;

QString counterLine(const QString &label, quint64 value)
{
    return label + QStringLiteral(" = ") + QString::number(value);
}

void addCounterLine(QStringList &paragraphs, const QString &label, quint64 value)
{
    if (value != 0)
        paragraphs << counterLine(label, value);
}

void addErrorLine(QStringList &paragraphs, const QString &label, quint64 value)
{
    addCounterLine(paragraphs, QStringLiteral("  ") + label, value);
}

QString rateText(quint64 bitsPerSecond)
{
    if (bitsPerSecond < KILO)
        return QString::number(bitsPerSecond) + QStringLiteral(" bps");
    if (bitsPerSecond < MEGA)
        return QString::number(bitsPerSecond / double(KILO), 'g', RATE_DIGITS) +
               QStringLiteral(" Kbps");
    return QString::number(bitsPerSecond / double(MEGA), 'g', RATE_DIGITS) +
           QStringLiteral(" Mbps");
}

// A run that measured its own time says it to a tenth of a second.
QStringList runTimeParagraphs(const PanelFacts &facts)
{
    if (facts.runS < 0 && facts.counters.cntRunSeconds == 0)
        return {};
    const QString seconds = facts.runS < 0 ? QString::number(facts.counters.cntRunSeconds)
                                           : QString::number(facts.runS, 'f', 1);
    return {Texts::tr("计时") + QStringLiteral(" = ") + seconds + QStringLiteral(" ") +
                Texts::tr("秒"),
            QString()};
}

// The share of the line's capacity each way in the last second: every byte
// costs the bits of one character of the port's setting.
// More than the line can carry is no share of it: the port is not paced.
QString lineUseLine(const PanelFacts &facts)
{
    const auto share = [&](quint64 bytes) {
        return lineShare(bytes, facts.bitsPerCharacter, facts.baud, facts.lastSecond.ms);
    };
    const double tx = share(facts.lastSecond.txLineBytes), rx = share(facts.lastSecond.rxBytes);
    if (tx > PACED_SLACK || rx > PACED_SLACK)
        return Texts::tr("线路利用率：串口未按 %1 波特限速").arg(facts.baud);
    const auto percent = [](double value) {
        return QString::number(100 * value, 'f', 1) + QLatin1Char('%');
    };
    return Texts::tr("线路利用率 发 %1 收 %2").arg(percent(tx), percent(rx));
}

QStringList countParagraphs(const PanelFacts &facts)
{
    const TrafficCounters &c = facts.counters;
    QStringList paragraphs{counterLine(Texts::tr("发送包数"), c.cntTxPackets)};
    addErrorLine(paragraphs, Texts::tr("发送错误"), c.cntTxErrors);
    paragraphs << counterLine(Texts::tr("接收包数"), c.cntRxPackets);
    addErrorLine(paragraphs, Texts::tr("7D错误"), c.cnt7dErrors);
    addErrorLine(paragraphs, Texts::tr("CRC错误"), c.cntCrcErrors);
    addErrorLine(paragraphs, Texts::tr("超长"), c.cntLongErrors);
    addErrorLine(paragraphs, Texts::tr("超短"), c.cntShortErrors);
    paragraphs << QString()
               << Texts::tr("发送速率") + QStringLiteral(" = ") + rateText(facts.sendRateBps)
               << counterLine(Texts::tr("发送字节"), c.cntTxBytes)
               << counterLine(Texts::tr("发送线路字节"), c.cntTxLineBytes)
               << counterLine(Texts::tr("接收字节"), c.cntRxBytes);
    if (facts.portOpen && facts.lastSecond.ms > 0)
        paragraphs << lineUseLine(facts);
    return paragraphs;
}

QStringList comparisonParagraphs(const PanelFacts &facts)
{
    if (!facts.comparing)
        return {};
    return {QString(), counterLine(Texts::tr("比较成功"), facts.counters.cntCmpOk),
            counterLine(Texts::tr("比较失败"), facts.counters.cntCmpFail)};
}

// The ratio of bit errors and the ratio not exceeded at 95% confidence.
QStringList bitTestParagraphs(const PanelFacts &facts)
{
    if (!facts.bitTest)
        return {};
    const TrafficCounters &c = facts.counters;
    const auto ratio = [&c](double value) {
        return c.cntBits ? QString::number(value, 'e', 2) : QStringLiteral("-");
    };
    QStringList paragraphs{QString(),
                           Texts::tr("误码测试 比特 %1 误码 %2 误码率 %3 (95% 上限 %4)")
                               .arg(c.cntBits)
                               .arg(c.cntBitErrors)
                               .arg(ratio(double(c.cntBitErrors) / qMax<quint64>(1, c.cntBits)),
                                    ratio(berUpper95(c.cntBitErrors, c.cntBits)))};
    addCounterLine(paragraphs, Texts::tr("失步"), c.cntSyncLosses);
    return paragraphs;
}

// Answers that could belong to more than one frame give no round trip.
QString roundTripLine(const PanelFacts &facts)
{
    const LatencyHistogram &trips = facts.roundTrips;
    const auto ms = [&trips](double value) {
        return trips.count() ? QString::number(value, 'f', LATENCY_DECIMALS) : QStringLiteral("-");
    };
    QString line = Texts::tr("往返时延 最小 %1 / 平均 %2 / 最大 %3 ms")
                       .arg(ms(trips.min()), ms(trips.mean()), ms(trips.max()));
    if (const quint64 ambiguous = facts.counters.cntAmbiguous)
        line += QStringLiteral(" (") + Texts::tr("%1 个无法确定").arg(ambiguous) + QLatin1Char(')');
    return line;
}

// What became of the replies, where anything is worth saying; after the
// comparison, or on a paragraph of their own. Only compared replies give
// round trips.
QStringList replyParagraphs(const PanelFacts &facts)
{
    const TrafficCounters &c = facts.counters;
    QStringList paragraphs;
    addCounterLine(paragraphs, Texts::tr("未应答"), c.cntNoReply);
    addCounterLine(paragraphs, Texts::tr("迟到应答"), c.cntLate);
    addCounterLine(paragraphs, Texts::tr("多余帧"), c.cntUnexpected);
    addCounterLine(paragraphs, Texts::tr("清零前所发帧的应答"), c.cntBeforeCleanStart);
    if (facts.comparing && facts.roundTrips.count() + c.cntAmbiguous != 0)
        paragraphs << roundTripLine(facts);
    if (!paragraphs.isEmpty() && !facts.comparing)
        paragraphs.prepend(QString());
    return paragraphs;
}

// The UART's own errors since the clean start, where the port keeps them.
QStringList uartParagraphs(const PanelFacts &facts)
{
    if (!facts.uart || !facts.uart->any())
        return {};
    QStringList paragraphs{QString()};
    addCounterLine(paragraphs, Texts::tr("UART 帧错误"), facts.uart->frame);
    addCounterLine(paragraphs, Texts::tr("UART 溢出"), facts.uart->overrun);
    addCounterLine(paragraphs, Texts::tr("UART 校验错误"), facts.uart->parity);
    addCounterLine(paragraphs, Texts::tr("UART 中断"), facts.uart->brk);
    addCounterLine(paragraphs, Texts::tr("UART 缓冲区溢出"), facts.uart->bufOverrun);
    return paragraphs;
}

QStringList noteParagraphs(const PanelFacts &facts)
{
    QStringList notes = facts.portNotes;
    if (!facts.payloadNote.isEmpty())
        notes << facts.payloadNote;
    if (!notes.isEmpty())
        notes.prepend(QString());
    if (!facts.capturePath.isEmpty())
        notes << QString() << Texts::tr("保存至文件") + QStringLiteral(": ") + facts.capturePath;
    return notes;
}

// A typed payload beyond what a packet holds after the tag is cut.
QString cutPayloadNote(const SessionSettings &settings)
{
    const int room = PACKET_CAPACITY - (settings.tag ? PACKET_TAG_LENGTH : 0);
    if (settings.random || settings.payload.size() <= room)
        return QString();
    return Texts::tr("载荷 %1 字节，只发送前 %2 字节").arg(settings.payload.size()).arg(room);
}

// The wait comes first: it is why nothing moves.
QStringList outageParagraphs(const PanelFacts &facts)
{
    QStringList paragraphs;
    if (!facts.awayPort.isEmpty())
        paragraphs << Texts::tr("串口已断开，等待重连：%1").arg(facts.awayPort) << QString();
    if (facts.counters.cntOutages != 0)
        paragraphs << Texts::tr("断线 %1 次，共 %2 秒")
                          .arg(facts.counters.cntOutages)
                          .arg(facts.outageS, 0, 'f', 1)
                   << QString();
    return paragraphs;
}

} // namespace

PanelFacts panelFacts(const LinkSession &session)
{
    const Ledger &ledger = session.ledger();
    PanelFacts facts;
    facts.counters = ledger.counters();
    facts.roundTrips = ledger.roundTrips();
    facts.sendRateBps = ledger.sendRateBps();
    facts.lastSecond = ledger.lastSecond();
    facts.uart = ledger.uartErrors();
    facts.comparing = session.settings().compare && !session.checksStream();
    facts.bitTest = session.checksStream();
    facts.portOpen = session.isOpen();
    facts.bitsPerCharacter = bitsPerCharacter(session.portLine());
    facts.baud = session.portLine().baud;
    facts.portNotes = session.lineWarnings();
    if (session.ctsOff())
        facts.portNotes << Texts::tr("CTS 关闭：设备暂停了接收");
    if (session.capturing())
        facts.capturePath = session.capturePath();
    if (session.waitingForPort())
        facts.awayPort = session.portPath();
    facts.outageS = ledger.outageMs(clockMs()) / 1000;
    facts.payloadNote = cutPayloadNote(session.settings());
    return facts;
}

QString statisticsPanel(const PanelFacts &facts)
{
    const QStringList paragraphs = outageParagraphs(facts) + runTimeParagraphs(facts) +
                                   countParagraphs(facts) + comparisonParagraphs(facts) +
                                   bitTestParagraphs(facts) + replyParagraphs(facts) +
                                   uartParagraphs(facts) + noteParagraphs(facts);
    return paragraphs.join(QLatin1Char('\n'));
}
