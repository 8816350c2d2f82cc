// Percentiles of the round-trip histogram against the exact ones of the sorted samples.
#include "engine/latencyhistogram.h"

#include <QtTest>

#include <random>

class TestLatencyHistogram : public QObject
{
    Q_OBJECT

private slots:
    void percentiles_data()
    {
        // count samples, each e to the power of a normal draw of this spread (0: all e)
        QTest::addColumn<double>("spread");
        QTest::addColumn<int>("count");
        QTest::newRow("one sample") << 1.0 << 1;
        QTest::newRow("all equal") << 0.0 << 500;
        QTest::newRow("around 1 ms") << 0.5 << 10000;
        QTest::newRow("microseconds to seconds") << 2.0 << 3001;
    }
    void percentiles()
    {
        QFETCH(double, spread);
        QFETCH(int, count);
        std::mt19937 random(7);
        std::lognormal_distribution<> draw(1, spread);
        LatencyHistogram histogram;
        std::vector<double> samples;
        for (int i = 0; i < count; ++i) {
            samples.push_back(spread > 0 ? draw(random) : M_E);
            histogram.add(samples.back());
        }
        std::sort(samples.begin(), samples.end());
        for (const double p : {0.0, 50.0, 90.0, 99.0, 99.9, 100.0}) {
            const double exact = samples[size_t(qMax(1.0, std::ceil(p * count / 100)) - 1)];
            QVERIFY2(std::abs(histogram.percentile(p) - exact) <= 0.01 * exact,
                     qPrintable(QString::number(p)));
        }
    }
};

QTEST_APPLESS_MAIN(TestLatencyHistogram)
#include "tst_latencyhistogram.moc"
