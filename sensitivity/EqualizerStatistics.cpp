#include "EqualizerStatistics.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

#include "logging/LogMacros.h"
#include "operations/InternalNormVarOperations.h"

namespace {
int level(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes.at(index));
}
}  // namespace

bool EqualizerStatistics::accumulate(const QByteArray& frame) {
    if (m_evaluated || frame.isEmpty()) {
        return false;
    }
    if (m_frames >= kFramesToAccumulate) {
        evaluate();
        return true;
    }
    if (m_statistics.isEmpty()) {
        m_statistics.reserve(frame.size());
        for (int i = 0; i < frame.size(); ++i) {
            m_statistics.append(NormalVariable());
        }
    }
    const int wires = std::min(frame.size(), m_statistics.size());
    for (int i = 0; i < wires; ++i) {
        m_statistics[i].add(level(frame, i));
    }
    ++m_frames;
    return false;
}

void EqualizerStatistics::evaluate() {
    m_evaluated = true;
    m_noiseLevel = 0.0;
    for (const NormalVariable& wire : m_statistics) {
        m_noiseLevel = std::max(m_noiseLevel, wire.mean() + std::sqrt(3.0 * wire.variance()));
    }
    const InternalNormVarOperations operations;
    m_wireOut = operations.computeWireoutList(m_statistics);
    if (m_logWireOut) {
        operations.logStatisticData(QStringLiteral("BrokenWireData"), m_statistics);
    }
    if (!m_wireOut.isEmpty()) {
        QStringList wires;
        for (int wire : m_wireOut) {
            wires << QString::number(wire);
        }
        TLOG_INFO(QStringLiteral("Wires out: %1").arg(wires.join(QStringLiteral(", "))));
    }
}

void EqualizerStatistics::clearStatistics() {
    m_statistics.clear();
    m_frames = 0;
    m_evaluated = false;
    m_noiseLevel = 0.0;
}

int EqualizerStatistics::readout(int wire, bool subtractBaseline) const {
    if (wire < 0 || wire >= m_frame.size()) {
        return 0;
    }
    return level(m_frame, wire) - (subtractBaseline ? kBaseline : 0);
}

void EqualizerStatistics::addScanLine(const QByteArray& line) {
    if (m_scan.size() < line.size()) {
        m_scan.append(QByteArray(line.size() - m_scan.size(), '\0'));
    }
    for (int i = 0; i < line.size(); ++i) {
        if (level(line, i) > level(m_scan, i)) {
            m_scan[i] = line.at(i);
        }
    }
}
