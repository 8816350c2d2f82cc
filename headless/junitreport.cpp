#include "junitreport.h"
#include "runplan.h"

#include <QJsonArray>
#include <QVariant>
#include <QVector>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

struct TestCase {
    QString name;
    QString outcome; // empty: passed; else the element: failure, error or skipped
    QString type;    // the report's reason
    QString message;
};

// A check on counts: its test case, the reason that fails it, the counters it
// adds up and what they count.
struct CountCheck {
    const char *name;
    const char *reason;
    QStringList counters;
    const char *counted;
};

const CountCheck COUNT_CHECKS[] = {
    {"framing errors",
     "framing_errors",
     {"escape_errors", "crc_errors", "long_errors", "short_errors"},
     "framing errors"},
    {"comparison", "compare_failed", {"compare_failed"}, "comparison failures"},
    {"replies", "no_reply", {"no_reply"}, "frames unanswered"},
    {"send errors", "tx_errors", {"tx_errors"}, "send errors"},
    {"unexpected frames", "unexpected_frames", {"unexpected"}, "unexpected frames"}};

const QString NEVER_STARTED = QStringLiteral("the run never started");

// Every value of the object when keys is empty.
qint64 sumOf(const QJsonObject &object, const QStringList &keys)
{
    qint64 sum = 0;
    for (const QString &key : keys.isEmpty() ? object.keys() : keys)
        sum += object.value(key).toVariant().toLongLong();
    return sum;
}

TestCase countCase(const QString &name, const QString &reason, qint64 count, const QString &counted,
                   const QStringList &reasons)
{
    if (!reasons.contains(reason))
        return {name, {}, {}, {}};
    return {name, QStringLiteral("failure"), reason,
            QStringLiteral("%1: %2").arg(counted).arg(count)};
}

// The run itself: refused at setup, or ended by a signal.
TestCase runCase(const QJsonObject &report, const QStringList &reasons)
{
    const int exitCode = report.value(QLatin1String("exit_code")).toInt();
    const QString name = QStringLiteral("run");
    if (exitCode == EXIT_USAGE)
        return {name, QStringLiteral("error"), reasons.join(QLatin1Char(' ')),
                QStringLiteral("refused at setup: ") + reasons.join(QStringLiteral(", "))};
    if (reasons.contains(QLatin1String("interrupted")))
        return {name, QStringLiteral("error"), QStringLiteral("interrupted"),
                QStringLiteral("interrupted by signal %1").arg(exitCode - EXIT_SIGNAL_BASE)};
    return {name, {}, {}, {}};
}

// The capture during the run, and the plot written at its end before this file.
TestCase filesCase(const QStringList &reasons)
{
    QStringList lost;
    if (reasons.contains(QLatin1String("capture_failed")))
        lost << QStringLiteral("the capture failed");
    if (reasons.contains(QLatin1String("plot_failed")))
        lost << QStringLiteral("the plot could not be written");
    if (lost.isEmpty())
        return {QStringLiteral("files"), {}, {}, {}};
    return {QStringLiteral("files"), QStringLiteral("error"), QStringLiteral("files_failed"),
            lost.join(QStringLiteral("; "))};
}

// The bit error test's own check, its reasons the ways it fails.
TestCase bitTestCase(const QJsonObject &ber, const QStringList &reasons)
{
    QStringList failed;
    for (const char *reason : {"no_sync", "bit_errors", "sync_lost", "ber_above_limit"}) {
        if (reasons.contains(QLatin1String(reason)))
            failed << QLatin1String(reason);
    }
    const QString name = QStringLiteral("bit error ratio");
    if (failed.isEmpty())
        return {name, {}, {}, {}};
    return {name, QStringLiteral("failure"), failed.join(QLatin1Char(' ')),
            QStringLiteral("bit errors: %1 in %2 bits, upper bound at 95%: %3; sync losses: %4")
                .arg(sumOf(ber, {QStringLiteral("errors")}))
                .arg(sumOf(ber, {QStringLiteral("bits")}))
                .arg(ber.value(QLatin1String("upper_95")).toDouble())
                .arg(sumOf(ber, {QStringLiteral("sync_losses")}))};
}

TestCase portCase(const QStringList &reasons)
{
    const bool lost = reasons.contains(QLatin1String("port_lost"));
    return {QStringLiteral("port stays open"), lost ? QStringLiteral("error") : QString(),
            QStringLiteral("port_lost"), QStringLiteral("the port went away")};
}

// Only a port that keeps the UART's own error counts has the UART's check. A
// run refused at setup never made its checks.
QVector<TestCase> checkCases(const QJsonObject &report, const QJsonObject &link,
                             const QStringList &reasons)
{
    const QJsonObject counters = link.value(QLatin1String("counters")).toObject();
    QVector<TestCase> cases;
    for (const CountCheck &check : COUNT_CHECKS)
        cases << countCase(QLatin1String(check.name), QLatin1String(check.reason),
                           sumOf(counters, check.counters), QLatin1String(check.counted), reasons);
    if (const QJsonValue uart = link.value(QLatin1String("uart")); uart.isObject())
        cases << countCase(QStringLiteral("UART errors"), QStringLiteral("uart_errors"),
                           sumOf(uart.toObject(), {}), QStringLiteral("UART errors"), reasons);
    if (const QJsonValue ber = link.value(QLatin1String("ber")); ber.isObject())
        cases << bitTestCase(ber.toObject(), reasons);
    cases << portCase(reasons);
    if (report.value(QLatin1String("exit_code")).toInt() == EXIT_USAGE) {
        for (TestCase &unmade : cases)
            unmade = {unmade.name, QStringLiteral("skipped"), {}, NEVER_STARTED};
    }
    return cases;
}

int countOf(const QVector<TestCase> &cases, const char *outcome)
{
    return int(std::count_if(cases.begin(), cases.end(),
                             [outcome](const TestCase &c) { return c.outcome == outcome; }));
}

void writeProperties(QXmlStreamWriter &xml, const QJsonObject &counters)
{
    xml.writeStartElement(QStringLiteral("properties"));
    for (auto counter = counters.begin(); counter != counters.end(); ++counter) {
        xml.writeEmptyElement(QStringLiteral("property"));
        xml.writeAttribute(QStringLiteral("name"), counter.key());
        xml.writeAttribute(QStringLiteral("value"), counter.value().toVariant().toString());
    }
    xml.writeEndElement();
}

void writeCase(QXmlStreamWriter &xml, const TestCase &test, const QString &suite)
{
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("name"), test.name);
    xml.writeAttribute(QStringLiteral("classname"), suite);
    if (!test.outcome.isEmpty()) {
        xml.writeStartElement(test.outcome);
        xml.writeAttribute(QStringLiteral("message"), test.message);
        if (!test.type.isEmpty())
            xml.writeAttribute(QStringLiteral("type"), test.type);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeTotals(QXmlStreamWriter &xml, const QVector<TestCase> &cases, const QString &seconds)
{
    xml.writeAttribute(QStringLiteral("tests"), QString::number(cases.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(countOf(cases, "failure")));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(countOf(cases, "error")));
    xml.writeAttribute(QStringLiteral("skipped"), QString::number(countOf(cases, "skipped")));
    xml.writeAttribute(QStringLiteral("time"), seconds);
}

// A link's checks from its own counts and reasons; how the run went is the run's.
QVector<TestCase> testCases(const QJsonObject &report, const QJsonObject &link)
{
    QStringList reasons;
    for (const QJsonValue reason : link.value(QLatin1String("reasons")).toArray())
        reasons << reason.toString();
    return QVector<TestCase>{runCase(report, reasons)} + checkCases(report, link, reasons) +
           QVector<TestCase>{filesCase(reasons)};
}

// Named after the link's port and the mode; its counters as its properties.
void writeSuite(QXmlStreamWriter &xml, const QJsonObject &report, const QJsonObject &link,
                const QVector<TestCase> &cases, const QString &seconds)
{
    const QString suite = link.value(QLatin1String("port")).toString() + QLatin1Char(' ') +
                          report.value(QLatin1String("mode")).toString();
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite);
    writeTotals(xml, cases, seconds);
    writeProperties(xml, link.value(QLatin1String("counters")).toObject());
    for (const TestCase &test : cases)
        writeCase(xml, test, suite);
    xml.writeEndElement();
}

} // namespace

// One suite for each link.
QByteArray junitOf(const QJsonObject &report)
{
    const QJsonArray links = report.value(QLatin1String("links")).toArray();
    QVector<QVector<TestCase>> suites;
    QVector<TestCase> every;
    for (const QJsonValue link : links) {
        suites << testCases(report, link.toObject());
        every += suites.last();
    }
    const double runS = report.value(QLatin1String("duration_s"))[QLatin1String("run")].toDouble();
    const QString seconds = QString::number(runS, 'f', 3);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("pakto"));
    writeTotals(xml, every, seconds);
    for (int link = 0; link < links.size(); ++link)
        writeSuite(xml, report, links[link].toObject(), suites[link], seconds);
    xml.writeEndDocument();
    return bytes;
}
