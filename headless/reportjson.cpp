#include "reportjson.h"
#include "engine/ledger.h"

#include <QJsonArray>

QJsonValue countValue(quint64 value)
{
    return QJsonValue(qint64(value)); // exact up to 2^53, far beyond any run
}

QJsonObject countersOf(const Ledger &ledger)
{
    const TrafficCounters &c = ledger.counters();
    return {{QStringLiteral("tx_packets"), countValue(c.cntTxPackets)},
            {QStringLiteral("tx_bytes"), countValue(c.cntTxBytes)},
            {QStringLiteral("tx_errors"), countValue(c.cntTxErrors)},
            {QStringLiteral("tx_line_bytes"), countValue(c.cntTxLineBytes)},
            {QStringLiteral("rx_packets"), countValue(c.cntRxPackets)},
            {QStringLiteral("rx_bytes"), countValue(c.cntRxBytes)},
            {QStringLiteral("crc_errors"), countValue(c.cntCrcErrors)},
            {QStringLiteral("escape_errors"), countValue(c.cnt7dErrors)},
            {QStringLiteral("long_errors"), countValue(c.cntLongErrors)},
            {QStringLiteral("short_errors"), countValue(c.cntShortErrors)},
            {QStringLiteral("answered"), countValue(c.cntAnswered)},
            {QStringLiteral("compare_ok"), countValue(c.cntCmpOk)},
            {QStringLiteral("compare_failed"), countValue(c.cntCmpFail)},
            {QStringLiteral("no_reply"), countValue(c.cntNoReply)},
            {QStringLiteral("late"), countValue(c.cntLate)},
            {QStringLiteral("unexpected"), countValue(c.cntUnexpected)},
            {QStringLiteral("before_clean_start"), countValue(c.cntBeforeCleanStart)},
            {QStringLiteral("outages"), countValue(c.cntOutages)},
            {QStringLiteral("send_rate_bps"), countValue(ledger.sendRateBps())}};
}

// Only where a reply matched: the samples taken, the matches that gave none,
// and the statistics, null without samples.
QJsonObject roundTrips(const LatencyHistogram &trips, quint64 ambiguous)
{
    const auto ms = [&trips](double value) {
        return trips.count() ? QJsonValue(value) : QJsonValue();
    };
    return {{QStringLiteral("count"), countValue(trips.count())},
            {QStringLiteral("ambiguous"), countValue(ambiguous)},
            {QStringLiteral("min"), ms(trips.min())},
            {QStringLiteral("mean"), ms(trips.mean())},
            {QStringLiteral("p50"), ms(trips.percentile(50))},
            {QStringLiteral("p90"), ms(trips.percentile(90))},
            {QStringLiteral("p99"), ms(trips.percentile(99))},
            {QStringLiteral("p999"), ms(trips.percentile(99.9))},
            {QStringLiteral("max"), ms(trips.max())}};
}

// The increase of the UART's own counts; null where the port keeps none.
QJsonValue uartErrors(const Ledger &ledger)
{
    const std::optional<UartErrors> uart = ledger.uartErrors();
    if (!uart)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("frame"), countValue(uart->frame)},
                       {QStringLiteral("overrun"), countValue(uart->overrun)},
                       {QStringLiteral("parity"), countValue(uart->parity)},
                       {QStringLiteral("brk"), countValue(uart->brk)},
                       {QStringLiteral("buf_overrun"), countValue(uart->bufOverrun)}};
}

static QJsonValue orNull(double value)
{
    return value < 0 ? QJsonValue() : QJsonValue(value);
}

static QJsonObject entryOf(const TimelineEntry &e, bool bitTest)
{
    QJsonObject entry{{QStringLiteral("t_s"), e.startS},
                      {QStringLiteral("tx_packets"), countValue(e.txPackets)},
                      {QStringLiteral("rx_packets"), countValue(e.rxPackets)},
                      {QStringLiteral("errors"), countValue(e.framingErrors)},
                      {QStringLiteral("compare_failed"), countValue(e.compareFailed)},
                      {QStringLiteral("no_reply"), countValue(e.noReply)},
                      {QStringLiteral("late"), countValue(e.late)},
                      {QStringLiteral("unexpected"), countValue(e.unexpected)},
                      {QStringLiteral("tx_errors"), countValue(e.txErrors)},
                      {QStringLiteral("uart_errors"), orNull(double(e.uartErrors))},
                      {QStringLiteral("tx_line_bytes"), countValue(e.txLineBytes)},
                      {QStringLiteral("rx_bytes"), countValue(e.rxBytes)},
                      {QStringLiteral("rtt_p50_ms"), orNull(e.rttP50Ms)},
                      {QStringLiteral("rtt_p99_ms"), orNull(e.rttP99Ms)},
                      {QStringLiteral("outage_ms"), e.outageMs}};
    const auto bitCount = [bitTest](qint64 value) {
        return bitTest ? QJsonValue(value) : QJsonValue();
    };
    entry[QStringLiteral("bits")] = bitCount(e.bits);
    entry[QStringLiteral("bit_errors")] = bitCount(e.bitErrors);
    entry[QStringLiteral("sync_losses")] = bitCount(e.syncLosses);
    return entry;
}

QJsonArray timelineOf(const Timeline &timeline, bool bitTest)
{
    QJsonArray entries;
    for (const TimelineEntry &entry : timeline.entries())
        entries.append(entryOf(entry, bitTest));
    return entries;
}

QJsonArray outagesOf(const Ledger &ledger)
{
    QJsonArray outages;
    for (const Ledger::Outage &outage : ledger.outages()) {
        const bool back = outage.backS >= 0;
        outages.append(
            QJsonObject{{QStringLiteral("lost_s"), outage.lostS},
                        {QStringLiteral("back_s"), back ? QJsonValue(outage.backS) : QJsonValue()},
                        {QStringLiteral("length_ms"),
                         back ? QJsonValue(1000 * (outage.backS - outage.lostS)) : QJsonValue()},
                        {QStringLiteral("given_up"), countValue(outage.givenUp)},
                        {QStringLiteral("reason"), outage.reason}});
    }
    return outages;
}

QJsonValue bitErrorTestOf(PrbsSequence sequence, const TrafficCounters &c)
{
    const auto ratio = [&c](double value) { return c.cntBits ? QJsonValue(value) : QJsonValue(); };
    return QJsonObject{
        {QStringLiteral("sequence"), QLatin1String(prbsName(sequence))},
        {QStringLiteral("bits"), countValue(c.cntBits)},
        {QStringLiteral("errors"), countValue(c.cntBitErrors)},
        {QStringLiteral("ratio"), ratio(double(c.cntBitErrors) / qMax<quint64>(1, c.cntBits))},
        {QStringLiteral("upper_95"), ratio(berUpper95(c.cntBitErrors, c.cntBits))},
        {QStringLiteral("sync_losses"), countValue(c.cntSyncLosses)}};
}
