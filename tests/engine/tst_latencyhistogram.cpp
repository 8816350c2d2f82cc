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
        QTest::addColumn<double>("spread"); // samples e to the power of a normal draw (0: all e)
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
        std::vector<double> samples(size_t(count), M_E);
        for (double &sample : samples)
            histogram.add(sample = spread > 0 ? draw(random) : M_E);
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
