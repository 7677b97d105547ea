#include "NormalVariable.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kCountWidth = 7;
constexpr int kValueWidth = 15;
constexpr char kFormat = 'G';
const char kSeparator[] = ", ";

QString paddedValue(double value) {
    return QStringLiteral("%1").arg(value, kValueWidth, kFormat) + QLatin1String(kSeparator);
}
}  // namespace

NormalVariable::NormalVariable() {
    clear();
}

void NormalVariable::clear() {
    m_sum = 0.0;
    m_sumOfSquares = 0.0;
    m_count = 0;
    m_minimum = 0.0;
    m_maximum = 0.0;
}

void NormalVariable::add(double x) {
    m_sum += x;
    m_sumOfSquares += x * x;
    if (m_count < 1) {
        m_minimum = x;
        m_maximum = x;
    } else {
        m_minimum = std::min(m_minimum, x);
        m_maximum = std::max(m_maximum, x);
    }
    ++m_count;
}

double NormalVariable::mean() const {
    if (m_count < 1) {
        return 0.0;
    }
    return m_sum / m_count;
}

double NormalVariable::variance() const {
    if (m_count < 2) {
        return 0.0;
    }
    const double n = m_count;
    const double value = m_sumOfSquares / (n - 1.0) - (m_sum * m_sum) / ((n - 1.0) * n);
    return std::max(value, 0.0);
}

double NormalVariable::sigma() const {
    return std::sqrt(variance());
}

double NormalVariable::furthest() const {
    const double belowMean = mean() - m_minimum;
    const double aboveMean = mean() - m_maximum;
    const double farther = belowMean * belowMean > aboveMean * aboveMean ? belowMean : aboveMean;
    return std::fabs(farther);
}

QString NormalVariable::toString(bool header) const {
    if (header) {
        return QStringLiteral("Number of Samples, Average, Variance, Sigma, Minimum, Maximum");
    }
    return QStringLiteral("%1").arg(m_count, kCountWidth) + QLatin1String(kSeparator) +
           paddedValue(mean()) + paddedValue(variance()) + paddedValue(sigma()) +
           paddedValue(m_minimum) + QString::number(m_maximum, kFormat);
}
