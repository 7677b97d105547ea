#include "SensitivityAnalysis.h"

#include <QSaveFile>
#include <QSettings>
#include <QTextStream>

#include <algorithm>
#include <cmath>

#include "logging/LogMacros.h"
#include "protocol/SettingsKeys.h"
#include "operations/InternalNormVarOperations.h"

namespace {
const char kReportFileName[] = "%1_%2.log";
const char kTimeStampFormat[] = "yyyyMMdd-HHmmss";
// No guard band below the touch level.
constexpr double kTouchGuardSigmas = 0.0;
// A wire's noise bound in the threshold: mean + 6 sigma.
constexpr double kThresholdSigmas = 6.0;
constexpr double kThresholdUpperCut = 21.12;
constexpr double kThresholdLowerCut = 10.56;
constexpr double kZonalUnitsPerCount = 32.0;
constexpr int kMaximumByte = 255;
constexpr double kHealthFactor = 3.0;

int truncated(double value) {
    return static_cast<int>(std::trunc(value));
}

double noiseBound(const NormalVariable& wire) {
    return wire.mean() + kThresholdSigmas * wire.sigma();
}

// The larger of mean + 6 sigma over the wire with the largest mean and the wire with the
// largest spread. The list must not be empty.
double arrayNoiseBound(const QList<NormalVariable>& wires) {
    const InternalNormVarOperations operations;
    const int byMean = operations.findIndexOfMaximumAverage(wires);
    const int bySigma = operations.findIndexOfMaximumSigma(wires);
    return std::max(noiseBound(wires.at(byMean)), noiseBound(wires.at(bySigma)));
}

void writeList(QTextStream& out, const QList<NormalVariable>& wires) {
    out << "Index, " << NormalVariable().toString(true) << '\n';
    for (int i = 0; i < wires.size(); ++i) {
        out << i << wires.at(i).toString(false) << '\n';
    }
}
}  // namespace

SensitivityAnalysis::SensitivityAnalysis(int framesPerArray) : m_framesPerArray(framesPerArray) {}

void SensitivityAnalysis::clear() {
    m_a = ArrayData();
    m_b = ArrayData();
}

bool SensitivityAnalysis::addFrame(Array array, const QByteArray& frame) {
    ArrayData& d = data(array);
    if (frame.isEmpty() || d.frames >= m_framesPerArray) {
        return false;
    }
    if (d.wires.isEmpty()) {
        d.wires.reserve(frame.size());
        for (int i = 0; i < frame.size(); ++i) {
            d.wires.append(NormalVariable());
        }
    }
    if (frame.size() > d.wires.size() && !d.warnedLongFrame) {
        d.warnedLongFrame = true;
        TLOG_WARNING(QStringLiteral("Frame of %1 wires, statistics of %2: extra wires ignored")
                         .arg(frame.size())
                         .arg(d.wires.size()));
    }
    const int wires = std::min(frame.size(), d.wires.size());
    for (int i = 0; i < wires; ++i) {
        d.wires[i].add(static_cast<quint8>(frame.at(i)));
    }
    d.lastFrame = frame;
    ++d.frames;
    return true;
}

int SensitivityAnalysis::frameCount(Array array) const {
    return data(array).frames;
}

int SensitivityAnalysis::commonFrameCount() const {
    return std::min(m_a.frames, m_b.frames);
}

const QList<NormalVariable>& SensitivityAnalysis::statistics(Array array) const {
    return data(array).wires;
}

QByteArray SensitivityAnalysis::lastFrame(Array array) const {
    return data(array).lastFrame;
}

bool SensitivityAnalysis::hasStatistics() const {
    return !m_a.wires.isEmpty() && !m_b.wires.isEmpty();
}

std::optional<int> SensitivityAnalysis::computePrescaler(int acquisitionPrescaler) const {
    return computePrescaler(m_a.wires, m_b.wires, acquisitionPrescaler);
}

std::optional<int> SensitivityAnalysis::computeThreshold() const {
    return computeThreshold(m_a.wires, m_b.wires);
}

std::optional<double> SensitivityAnalysis::signalToNoiseRatio() const {
    if (!hasStatistics()) {
        return std::nullopt;
    }
    return std::min(analyzeTouchSignal(m_a.wires).ratio, analyzeTouchSignal(m_b.wires).ratio);
}

std::optional<double> SensitivityAnalysis::noiseFigure() const {
    if (!hasStatistics()) {
        return std::nullopt;
    }
    return std::max(analyzeTouchSignal(m_a.wires).outer, analyzeTouchSignal(m_b.wires).outer);
}

QStringList SensitivityAnalysis::lineHealthReport() const {
    return groupLineHealthReport(QStringLiteral("Group A:"), m_a.wires) +
           groupLineHealthReport(QStringLiteral("Group B:"), m_b.wires);
}

bool SensitivityAnalysis::logStatisticData(const QString& tag, const QString& stamp) const {
    return logStatisticData(tag, stamp, m_a.wires, m_b.wires);
}

std::optional<int> SensitivityAnalysis::computePrescaler(const QList<NormalVariable>& a,
                                                         const QList<NormalVariable>& b,
                                                         int acquisitionPrescaler) {
    if (a.isEmpty() || b.isEmpty()) {
        TLOG_WARNING(QStringLiteral("No statistics of array %1: no prescaler")
                         .arg(a.isEmpty() ? QLatin1Char('A') : QLatin1Char('B')));
        return std::nullopt;
    }
    const InternalNormVarOperations operations;
    const int indexA = operations.findIndexOfMaximumAverage(a);
    const int indexB = operations.findIndexOfMaximumAverage(b);
    const bool useA = b.at(indexB).mean() > a.at(indexA).mean();
    const int index = useA ? indexA : indexB;
    const NormalVariable& weaker = useA ? a.at(indexA) : b.at(indexB);
    TLOG_INFO(QStringLiteral("Smaller of A or B Maximum Index: %1, Average: %2, Sigma: %3")
                  .arg(index)
                  .arg(weaker.mean())
                  .arg(weaker.sigma()));
    TLOG_INFO(QStringLiteral("Using TOUCHGUARDSIGMAS = %1").arg(kTouchGuardSigmas));
    double level = weaker.mean() - kBaseline - kTouchGuardSigmas * weaker.sigma();
    TLOG_INFO(QStringLiteral("Calculated effective touchLevel = %1").arg(level));
    if (level < kMinimumTouchLevel) {
        level = kMinimumTouchLevel;
        TLOG_INFO(QStringLiteral("Calculated touchLevel corrected to minimum %1").arg(level));
    }
    int prescaler = truncated(acquisitionPrescaler * kTargetSensLevel / level + 0.5);
    TLOG_INFO(QStringLiteral("Prescaler = %1 (SIGACQPRES=%2, TARGET_SENSLEVEL=%3")
                  .arg(prescaler)
                  .arg(acquisitionPrescaler)
                  .arg(kTargetSensLevel));
    if (prescaler < kMinimumPrescaler) {
        prescaler = kMinimumPrescaler;
        TLOG_INFO(QStringLiteral("Calculated Prescaler corrected to minimum %1").arg(prescaler));
    }
    return prescaler;
}

std::optional<int> SensitivityAnalysis::computeThreshold(const QList<NormalVariable>& a,
                                                         const QList<NormalVariable>& b) {
    if (a.isEmpty() || b.isEmpty()) {
        TLOG_WARNING(QStringLiteral("No statistics of array %1: no threshold")
                         .arg(a.isEmpty() ? QLatin1Char('A') : QLatin1Char('B')));
        return std::nullopt;
    }
    const int threshold =
        truncated(std::max(arrayNoiseBound(a), arrayNoiseBound(b)) - kBaseline + 0.5);
    if (threshold > kThresholdUpperCut) {
        return kMaximumThreshold;
    }
    if (threshold < kThresholdLowerCut) {
        return kMinimumThreshold;
    }
    return threshold;
}

QByteArray SensitivityAnalysis::computeZonalFilterSigmas(const QList<NormalVariable>& wires) {
    QByteArray bytes;
    bytes.reserve(wires.size());
    for (const NormalVariable& wire : wires) {
        const double sigma = std::min(wire.sigma(), kMaximumZonalSigma);
        const int units = std::min(truncated(sigma * kZonalUnitsPerCount), kMaximumByte);
        bytes.append(static_cast<char>(static_cast<quint8>(units)));
    }
    return bytes;
}

QStringList SensitivityAnalysis::produceLineHealthReport(const QList<NormalVariable>& wires) {
    NormalVariable sigmas;
    for (const NormalVariable& wire : wires) {
        sigmas.add(wire.sigma());
    }
    const double average = sigmas.mean();
    QStringList report;
    for (int i = 0; i < wires.size(); ++i) {
        const double sigma = wires.at(i).sigma();
        if (average / kHealthFactor > sigma) {
            report << QStringLiteral(
                          "Issue at Line %1: It seems to have a broken wire or solder point.")
                          .arg(i);
        } else if (sigma > kHealthFactor * average) {
            report << QStringLiteral("Issue at Line %1: Possible intermittent contact.").arg(i);
        }
    }
    return report;
}

QStringList SensitivityAnalysis::groupLineHealthReport(const QString& group,
                                                       const QList<NormalVariable>& wires) {
    const QStringList lines = produceLineHealthReport(wires);
    if (lines.isEmpty()) {
        return {};
    }
    return QStringList(group) + lines;
}

SensitivityAnalysis::TouchSignal SensitivityAnalysis::analyzeTouchSignal(
    const QList<NormalVariable>& wires) {
    TouchSignal signal;
    const int count = static_cast<int>(wires.size());
    for (int i = 0; i < count; ++i) {
        const NormalVariable& wire = wires.at(i);
        if (isInnerWire(i, count)) {
            signal.inner = std::max(signal.inner, wire.mean());
        } else {
            signal.outer = std::max(signal.outer, wire.mean() + std::sqrt(3.0 * wire.variance()));
        }
    }
    signal.inner -= kBaseline;
    signal.outer -= kBaseline;
    signal.ratio = signal.outer == 0.0 ? 0.0 : signal.inner / signal.outer;
    return signal;
}

int SensitivityAnalysis::outerWireMargin(int wireCount) {
    return truncated(wireCount * kOuterWirePercent / 100.0);
}

bool SensitivityAnalysis::isInnerWire(int index, int wireCount) {
    const int margin = outerWireMargin(wireCount);
    return index >= margin && index <= wireCount - margin;
}

bool SensitivityAnalysis::logStatisticData(const QString& tag, const QString& stamp,
                                           const QList<NormalVariable>& a,
                                           const QList<NormalVariable>& b) {
    if (!QSettings().value(SettingsKeys::Sensitivity::kProduceReport, false).toBool()) {
        return false;
    }
    const QString fileName = QString::fromLatin1(kReportFileName).arg(tag, stamp);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        TLOG_WARNING(QStringLiteral("Can't open %1 for writing.").arg(fileName));
        return false;
    }
    QTextStream out(&file);
    writeList(out, a);
    out << "\n\n";
    writeList(out, b);
    out.flush();
    if (!file.commit()) {
        TLOG_WARNING(QStringLiteral("Can't write %1.").arg(fileName));
        return false;
    }
    return true;
}

QString SensitivityAnalysis::timeStamp(const QDateTime& time) {
    return time.toString(QLatin1String(kTimeStampFormat));
}
