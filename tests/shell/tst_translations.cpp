// Every text the program looks up has an English translation: lupdate lists what the sources
// and the form look up, and the compiled en.qm beside the program must answer each of them.
#include <QtTest>

class TranslationsTest : public QObject
{
    Q_OBJECT
    QTranslator english;

private slots:
    void everyLookedUpTextIsTranslated_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTemporaryDir scratch;
        const QString root = PAKTO_SOURCE_DIR, extracted = scratch.filePath("extracted.ts");
        QCOMPARE(
            QProcess::execute(PAKTO_LUPDATE, {"-silent", "-locations", "none", "-I", root,
                                              root + "/app", root + "/engine", root + "/serial",
                                              root + "/shell", "-ts", extracted}),
            0);
        QVERIFY(english.load(PAKTO_RUNTIME_DIR "/en.qm"));
        QFile file(extracted);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString context;
        int rows = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == "name")
                context = xml.readElementText();
            else if (xml.name() == "source" && ++rows) {
                const QString source = xml.readElementText();
                QTest::newRow(qPrintable(source.left(40))) << context << source;
            }
        }
        QVERIFY2(!xml.hasError() && rows > 40, "fewer texts than the form alone looks up");
    }

    void everyLookedUpTextIsTranslated()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        const QString translation = english.translate(qPrintable(context), source.toUtf8());
        QVERIFY2(!translation.isEmpty(), "no translation in en.qm for this context");
        const QRegularExpression han("\\p{Han}");
        QVERIFY2(!source.contains(han) || !translation.contains(han),
                 qPrintable("still Chinese: " + translation));
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
