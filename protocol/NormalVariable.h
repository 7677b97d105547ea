#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// Running statistics of a stream of samples: count, sum, sum of squares, minimum and
// maximum, with mean, sample variance, sigma and the furthest excursion from the mean.
// A value type: copied into signals and kept in lists with one element per wire.
//
// Results are always finite: with no sample the mean is 0, and with fewer than two
// samples the variance (and sigma) is 0, so statistics files and wire-out decisions
// never carry NaN or infinity. Rounding can make the textbook formula slightly negative
// for equal samples; the variance is clamped to 0 then.
class NormalVariable {
public:
    NormalVariable();

    // Forgets every sample: all fields 0.
    void clear();
    void add(double x);

    int count() const { return m_count; }
    double sum() const { return m_sum; }
    double sumOfSquares() const { return m_sumOfSquares; }
    // Smallest and largest sample; 0 while there is no sample.
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

    double mean() const;
    double variance() const;
    double sigma() const;
    // Distance of the farther extreme (minimum or maximum) from the mean, >= 0.
    double furthest() const;

    // One comma-separated line without line end. header true: the column titles;
    // header false: count (width 7), mean, variance, sigma, minimum (width 15 each, 'G'
    // format), each followed by ", ", then the maximum in 'G' format.
    QString toString(bool header) const;

private:
    double m_sum;
    double m_sumOfSquares;
    qint32 m_count;
    double m_minimum;
    double m_maximum;
};

Q_DECLARE_METATYPE(NormalVariable)
