// Every text the program looks up has an English translation: lupdate lists
// what the sources and the form look up, en.ts and the compiled en.qm must
// answer each of them.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const char CONTEXT[] = "MainWindow";

struct Message {
    QString context;
    QString source;
    QString translation;
    bool finished = true;
};

// The messages of a .ts file, in file order.
QList<Message> readTs(const QString &path)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            messages << Message{context, {}, {}};
        } else if (xml.name() == QLatin1String("source") && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation") && !messages.isEmpty()) {
            messages.last().finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            messages.last().translation = xml.readElementText();
        }
    }
    return messages;
}

const Message *find(const QList<Message> &messages, const QString &context, const QString &source)
{
    for (const Message &message : messages)
        if (message.context == context && message.source == source)
            return &message;
    return nullptr;
}

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyLookedUpTextIsTranslated_data();
    void everyLookedUpTextIsTranslated();
    void chineseFileLoads();

private:
    QTemporaryDir scratch;
    QList<Message> lookedUp;
    QList<Message> english;
    QTranslator compiledEnglish;
};

void TranslationsTest::initTestCase()
{
    const QString source = QStringLiteral(PAKTO_SOURCE_DIR);
    const QString extracted = scratch.filePath(QStringLiteral("extracted.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(PAKTO_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("-I"), source, source + QStringLiteral("/app"),
                   source + QStringLiteral("/engine"), source + QStringLiteral("/serial"),
                   source + QStringLiteral("/shell"), QStringLiteral("-ts"), extracted});
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);
    lookedUp = readTs(extracted);
    // The form alone looks up some forty texts; fewer means lupdate saw nothing.
    QVERIFY2(lookedUp.size() > 40, qPrintable(QString::number(lookedUp.size())));
    english = readTs(source + QStringLiteral("/translations/en.ts"));
    QVERIFY(compiledEnglish.load(QStringLiteral(PAKTO_RUNTIME_DIR "/en.qm")));
}

void TranslationsTest::everyLookedUpTextIsTranslated_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    for (const Message &message : qAsConst(lookedUp))
        QTest::newRow(qPrintable(message.source.left(40))) << message.context << message.source;
}

void TranslationsTest::everyLookedUpTextIsTranslated()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QCOMPARE(context, QString::fromLatin1(CONTEXT));
    const Message *entry = find(english, context, source);
    QVERIFY2(entry, "missing from translations/en.ts");
    QVERIFY2(entry->finished, "unfinished in translations/en.ts");
    QVERIFY(!entry->translation.isEmpty());
    if (hasChinese(source))
        QVERIFY2(!hasChinese(entry->translation), qPrintable(entry->translation));
    QCOMPARE(compiledEnglish.translate(CONTEXT, source.toUtf8().constData()), entry->translation);
}

// Switching back from English re-runs the text routine only when cn.qm loads.
void TranslationsTest::chineseFileLoads()
{
    QTranslator chinese;
    QVERIFY(chinese.load(QStringLiteral(PAKTO_RUNTIME_DIR "/cn.qm")));
    QCOMPARE(chinese.translate(CONTEXT, "发送操作"), QStringLiteral("发送操作"));
}

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
