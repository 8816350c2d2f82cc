// Percentiles of the round-trip histogram against the exact ones of the sorted samples.
#include "engine/latencyhistogram.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <random>

class TestLatencyHistogram : public QObject
{
    Q_OBJECT

private slots:
    void percentiles_data()
    {
        QTest::addColumn<QVector<double>>("samples");
        std::mt19937 random(7);
        const auto draw = [&random](auto distribution, int count) {
            QVector<double> samples;
            while (samples.size() < count)
                samples << distribution(random);
            return samples;
        };
        QTest::newRow("one sample") << QVector<double>{0.731};
        QTest::newRow("all equal") << QVector<double>(500, 20.25);
        QTest::newRow("two far apart") << QVector<double>{0.05, 40000};
        QTest::newRow("uniform 0.1 to 50 ms")
            << draw(std::uniform_real_distribution<>(0.1, 50), 10000);
        QTest::newRow("log-normal around 1 ms")
            << draw(std::lognormal_distribution<>(0, 1.5), 20000);
        QTest::newRow("exponential tail") << draw(std::exponential_distribution<>(0.2), 3001);
        QTest::newRow("microseconds to seconds") << draw(std::lognormal_distribution<>(0, 2), 5000);
    }
    void percentiles()
    {
        QFETCH(QVector<double>, samples);
        LatencyHistogram histogram;
        histogram.add(1e9); // forgotten by the clear
        histogram.clear();
        for (const double ms : samples)
            histogram.add(ms);
        const double sum =
            std::accumulate(samples.begin(), samples.end(), 0.0); // in the order added
        std::sort(samples.begin(), samples.end());
        QCOMPARE(histogram.count(), quint64(samples.size()));
        QCOMPARE(QList<double>({histogram.min(), histogram.max(), histogram.mean()}),
                 QList<double>({samples.first(), samples.last(), sum / samples.size()}));
        for (const double p : {0.0, 50.0, 90.0, 99.0, 99.9, 100.0}) {
            const int rank = qMax(1, int(std::ceil(p * samples.size() / 100)));
            const double exact = samples[rank - 1], estimate = histogram.percentile(p);
            QVERIFY2(std::abs(estimate - exact) <= 0.01 * exact,
                     qPrintable(QString("p%1: %2 for %3").arg(p).arg(estimate).arg(exact)));
        }
    }
};

QTEST_APPLESS_MAIN(TestLatencyHistogram)
#include "tst_latencyhistogram.moc"
