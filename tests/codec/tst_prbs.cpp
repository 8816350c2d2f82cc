// The bit-error test sequences against their recurrences, the checker's counts on
// clean, spoilt and slipped streams, and the upper bound of the bit error ratio.
#include "codec/prbs.h"

#include <QtTest>

#include <random>

Q_DECLARE_METATYPE(PrbsSequence)

static QByteArray stream(PrbsSequence sequence, int bytes)
{
    QByteArray line(bytes, '\0');
    PrbsGenerator generator(sequence);
    for (int at = 0, chunk = 1; at < bytes; at += chunk, chunk = chunk % 13 + 1)
        generator.fill(reinterpret_cast<uint8_t *>(line.data()) + at, qMin(chunk, bytes - at));
    return line;
}

static int bitAt(const QByteArray &line, int k)
{
    return uint8_t(line[k / 8]) >> (k % 8) & 1;
}

static QByteArray flipped(QByteArray line, int firstBit, int step, int count)
{
    for (int bit = firstBit; count-- > 0; bit += step)
        line[bit / 8] = char(line[bit / 8] ^ 1 << bit % 8);
    return line;
}

static QByteArray noise(int bytes)
{
    QByteArray line(bytes, '\0');
    std::mt19937 random(7);
    for (char &byte : line)
        byte = char(random());
    return line;
}

constexpr int BYTES = 8000, WINDOW = 1000;
const PrbsSequence P7 = PrbsSequence::Prbs7, P9 = PrbsSequence::Prbs9, P15 = PrbsSequence::Prbs15,
                   P23 = PrbsSequence::Prbs23, P31 = PrbsSequence::Prbs31;

class TstPrbs : public QObject
{
    Q_OBJECT

private slots:
    // Filled in chunks of 1 to 13 bytes, against a shift register stepped bit by bit.
    // A period holds 2^(n-1) ones, one less inverted, and the next one repeats it;
    // the two longest are too long to walk under the sanitizers.
    void sequences_data()
    {
        QTest::addColumn<PrbsSequence>("sequence");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("stages");
        QTest::addColumn<int>("tap");
        QTest::addColumn<int>("inverted");
        QTest::addColumn<int>("period");
        QTest::newRow("x^7+x^6+1") << P7 << "prbs7" << 7 << 6 << 0 << 127;
        QTest::newRow("x^9+x^5+1") << P9 << "prbs9" << 9 << 5 << 0 << 511;
        QTest::newRow("x^15+x^14+1 inverted") << P15 << "prbs15" << 15 << 14 << 1 << 32767;
        QTest::newRow("x^23+x^18+1 inverted") << P23 << "prbs23" << 23 << 18 << 1 << 0;
        QTest::newRow("x^31+x^28+1 inverted") << P31 << "prbs31" << 31 << 28 << 1 << 0;
    }
    void sequences()
    {
        QFETCH(PrbsSequence, sequence);
        QFETCH(QString, word);
        QFETCH(int, stages);
        QFETCH(int, tap);
        QFETCH(int, inverted);
        QFETCH(int, period);
        QCOMPARE(prbsFromName(word.toStdString()), std::optional<PrbsSequence>(sequence));
        QCOMPARE(QString(prbsName(sequence)), word);
        QVERIFY(!prbsFromName(word.chopped(1).toStdString()));
        const QByteArray line = stream(sequence, qMax(4000, period / 4 + 1));
        QVector<int> reference;
        for (int k = 0; k < stages; ++k)
            reference << bitAt(line, k);
        for (int k = stages; k < 8 * line.size(); ++k)
            reference << (reference[k - stages] ^ reference[k - tap] ^ inverted);
        for (int k = 0; k < 8 * line.size(); ++k)
            QCOMPARE(bitAt(line, k), reference[k]);
        QVERIFY(qAbs(reference.count(1) - reference.size() / 2) < reference.size() / 20);
        if (period > 0) {
            QCOMPARE(reference.mid(period, period), reference.mid(0, period));
            QCOMPARE(reference.mid(0, period).count(1), (period + 1) / 2 - inverted);
        }
    }

    // A stream of BYTES bytes, fed in chunks; n bits seed, a loss takes WINDOW bits out.
    // Noise at the end never stays synchronised: every loss there takes out all since
    // the sync, and the bits compared stay within a window of those before it.
    void checker_data()
    {
        QTest::addColumn<PrbsSequence>("sequence");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<int>("compared");
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("losses");
        QTest::addColumn<bool>("endsInNoise");
        const auto row = [](const char *name, PrbsSequence s, const QByteArray &line, int chunk,
                            int compared, int errors = 0, int losses = 0, bool noisy = false) {
            QTest::newRow(name) << s << line << chunk << compared << errors << losses << noisy;
        };
        const int all = 8 * BYTES, once = 8 * BYTES - WINDOW;
        // clang-format off
        row("prbs7 clean, byte by byte", P7, stream(P7, BYTES), 1, all - 7);
        row("prbs9 clean, 13 at a time", P9, stream(P9, BYTES), 13, all - 9);
        row("prbs15 clean, at once", P15, stream(P15, BYTES), BYTES, all - 15);
        row("prbs23 clean, 5 at a time", P23, stream(P23, BYTES), 5, all - 23);
        row("prbs31, 3 bytes: still seeding", P31, stream(P31, 3), 1, 0);
        row("prbs31, 4 bytes: one bit compared", P31, stream(P31, 4), 4, 1);
        row("prbs7, one bit wrong", P7, flipped(stream(P7, BYTES), 512, 1, 1), 64, all - 7, 1);
        row("prbs31, 60 bits wrong", P31, flipped(stream(P31, BYTES), 515, 1001, 60), 7, all - 31, 60);
        row("prbs9, 250 errors 3 bits apart", P9, flipped(stream(P9, BYTES), 1600, 3, 250), 64, all - 9, 250);
        row("prbs15, 251 errors 4 bits apart", P15, flipped(stream(P15, BYTES), 1600, 4, 251), 64, all - 15, 251);
        row("prbs15, 251 errors 3 bits apart: one loss", P15, flipped(stream(P15, BYTES), 1600, 3, 251), 64, once - 30, 0, 1);
        row("prbs7, a byte dropped", P7, stream(P7, BYTES + 1).remove(3000, 1), 8, once - 14, 0, 1);
        row("prbs23, a byte dropped", P23, stream(P23, BYTES + 1).remove(3000, 1), 64, once - 46, 0, 1);
        row("prbs31, a byte added, then 5 bits wrong", P31, flipped(stream(P31, BYTES - 1).insert(2000, 'Z'), 40000, 2001, 5), 3, once - 62, 5, 1);
        row("prbs31 on noise", P31, noise(BYTES), 64, 0, 0, 0, true);
        row("prbs15 not inverted", P15, flipped(stream(P15, BYTES), 0, 1, all), 64, 0, 0, 0, true);
        row("prbs9 inverted", P9, flipped(stream(P9, BYTES), 0, 1, all), 64, 0, 0, 0, true);
        row("prbs7, then noise", P7, stream(P7, BYTES / 2) + noise(BYTES / 2), 64, all / 2 - 7, 0, 0, true);
        // clang-format on
    }
    void checker()
    {
        QFETCH(PrbsSequence, sequence);
        QFETCH(QByteArray, line);
        QFETCH(int, chunk);
        QFETCH(int, compared);
        QFETCH(int, errors);
        QFETCH(int, losses);
        QFETCH(bool, endsInNoise);
        PrbsChecker checker(sequence);
        for (int at = 0; at < line.size(); at += chunk)
            checker.feed(reinterpret_cast<const uint8_t *>(line.data()) + at,
                         size_t(qMin(chunk, int(line.size()) - at)));
        if (endsInNoise) {
            QVERIFY(checker.syncLosses() > uint64_t(4 * BYTES / WINDOW));
            QVERIFY(qAbs(qint64(checker.bitsCompared()) - compared) < WINDOW);
            QVERIFY(checker.bitErrors() <= uint64_t(WINDOW / 4));
            return;
        }
        QCOMPARE(checker.bitsCompared(), uint64_t(compared));
        QCOMPARE(checker.bitErrors(), uint64_t(errors));
        QCOMPARE(checker.syncLosses(), uint64_t(losses));
        QCOMPARE(checker.synchronised(), compared > 0);
    }

    void bound_data()
    {
        QTest::addColumn<qint64>("errors");
        QTest::addColumn<qint64>("bits");
        QTest::addColumn<double>("bound");
        QTest::newRow("no error: 2.996/N") << 0LL << 1000000LL << 2.9957e-6;
        QTest::newRow("1 error: 4.744/N") << 1LL << 1000000LL << 4.7439e-6;
        QTest::newRow("10 errors: 16.96/N") << 10LL << 1000000000LL << 16.962e-9;
        QTest::newRow("100 errors: 118.1/N") << 100LL << 1000000LL << 118.08e-6;
        QTest::newRow("10^7 errors") << 10000000LL << 1000000000LL << 10005203e-9;
        QTest::newRow("at most 1") << 3LL << 2LL << 1.0;
        QTest::newRow("nothing compared") << 0LL << 0LL << 1.0;
    }
    void bound()
    {
        QFETCH(qint64, errors);
        QFETCH(qint64, bits);
        QFETCH(double, bound);
        const double got = berUpper95(uint64_t(errors), uint64_t(bits));
        QVERIFY2(qAbs(got / bound - 1) < 1e-4, qPrintable(QString::number(got)));
    }
};

QTEST_APPLESS_MAIN(TstPrbs)
#include "tst_prbs.moc"
