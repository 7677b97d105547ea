#include "SimSensorModel.h"

#include <QtMath>

#include <algorithm>

#include "logging/LogMacros.h"

namespace {

// Width of the finger's footprint, in wire pitches (one sigma).
constexpr double kFingerSpreadPitches = 0.8;
// A weak wire sees this share of the finger's signal.
constexpr double kWeakWireShare = 0.25;
// Raw wire level in the diagnostics stream; a weak wire reads a quarter of it.
constexpr double kDiagNominalLevel = 128.0;
constexpr double kDiagWeakLevel = kDiagNominalLevel * kWeakWireShare;
// Measured finger positions jitter by this many sensor units per count of noise.
constexpr double kFingerJitterPerNoise = 4.0;
constexpr int kByteMax = 255;
// Sensors have 24 or 40 wires per array; other counts are kept within what a report and
// the host's 40 x 40 grids can carry.
constexpr int kMinWires = 2;
constexpr int kMaxWires = 40;

}  // namespace

SimSensorModel::SimSensorModel() : m_random(1u) {}

void SimSensorModel::configure(const SimScenario& scenario) {
    m_random.seed(scenario.seed);
    auto wiresOf = [](int wires, const char* name) {
        const int bounded = qBound(kMinWires, wires, kMaxWires);
        if (bounded != wires) {
            TLOG_WARNING(QStringLiteral("Simulated array %1 cannot have %2 wires, using %3")
                             .arg(QLatin1String(name))
                             .arg(wires)
                             .arg(bounded));
        }
        return bounded;
    };
    m_wiresA = wiresOf(scenario.wiresA, "A");
    m_wiresB = wiresOf(scenario.wiresB, "B");
    m_noise = scenario.noise;
    m_touchStrength = scenario.touchStrength;
    auto wireOrNone = [](int wire, int wires, const char* name) {
        if (wire >= wires) {
            TLOG_WARNING(QStringLiteral("Simulated %1 %2 does not exist on a %3-wire array")
                             .arg(QLatin1String(name))
                             .arg(wire)
                             .arg(wires));
            return -1;
        }
        return wire;
    };
    m_brokenA = wireOrNone(scenario.brokenWireA, m_wiresA, "broken wire A");
    m_brokenB = wireOrNone(scenario.brokenWireB, m_wiresB, "broken wire B");
    m_weakA = wireOrNone(scenario.weakWireA, m_wiresA, "weak wire A");
    m_weakB = wireOrNone(scenario.weakWireB, m_wiresB, "weak wire B");
    m_touched = false;
    m_pressed = false;
}

int SimSensorModel::wireCount(Array array) const {
    return array == Array::A ? m_wiresA : m_wiresB;
}

bool SimSensorModel::hasBrokenWire(Array array) const {
    return (array == Array::A ? m_brokenA : m_brokenB) >= 0;
}

void SimSensorModel::setContact(bool down, int a, int b) {
    m_touched = down;
    m_a = qBound(0, a, kPositionRange - 1);
    m_b = qBound(0, b, kPositionRange - 1);
}

SimSensorModel::WireState SimSensorModel::wireState(Array array, int wire) const {
    if (wire == (array == Array::A ? m_brokenA : m_brokenB)) {
        return WireState::Broken;
    }
    if (wire == (array == Array::A ? m_weakA : m_weakB)) {
        return WireState::Weak;
    }
    return WireState::Good;
}

double SimSensorModel::closeness(Array array, int wire) const {
    if (!m_touched) {
        return 0.0;
    }
    const int wires = wireCount(array);
    const double pitch = double(kPositionRange) / wires;
    const double finger = array == Array::A ? m_a : m_b;
    const double distance = (finger - (wire + 0.5) * pitch) / pitch;
    const double share =
        qExp(-distance * distance / (2.0 * kFingerSpreadPitches * kFingerSpreadPitches));
    return wireState(array, wire) == WireState::Weak ? share * kWeakWireShare : share;
}

double SimSensorModel::touchAmplitude(int prescaler) const {
    return m_touchStrength / std::max(prescaler, 1);
}

double SimSensorModel::gaussian() {
    // Box-Muller on the seeded generator, so a seed gives the same noise everywhere.
    const double u1 = 1.0 - m_random.generateDouble();
    const double u2 = m_random.generateDouble();
    return qSqrt(-2.0 * qLn(u1)) * qCos(2.0 * M_PI * u2);
}

quint8 SimSensorModel::toByte(double value) {
    return static_cast<quint8>(qBound(0, qRound(value), kByteMax));
}

void SimSensorModel::setPressedTarget(bool on, int level, int noise) {
    if (on && !m_pressed) {
        m_pressHigh[0] = m_pressHigh[1] = true;
    }
    m_pressed = on;
    m_pressLevel = level;
    m_pressNoise = noise;
}

// The middle wire at the press level, the others at the baseline, all swinging by the
// press noise in turn, so the statistics of an even number of frames are known exactly.
QByteArray SimSensorModel::pressedEdgeFrame(Array array) {
    bool& high = m_pressHigh[array == Array::A ? 0 : 1];
    const int swing = high ? m_pressNoise : -m_pressNoise;
    high = !high;
    const int middle = edgeCount(array) / 2;
    QByteArray frame;
    for (int wire = 0; wire < edgeCount(array); ++wire) {
        const int level = wire == middle ? m_pressLevel : kBaseline;
        frame.append(char(toByte(level + swing)));
    }
    return frame;
}

QByteArray SimSensorModel::edgeFrame(Array array, int prescaler) {
    if (m_pressed) {
        return pressedEdgeFrame(array);
    }
    QByteArray frame;
    for (int wire = 0; wire < edgeCount(array); ++wire) {
        if (wireState(array, wire) == WireState::Broken) {
            frame.append(char(kBaseline));
            continue;
        }
        const double signal = touchAmplitude(prescaler) * closeness(array, wire);
        frame.append(char(toByte(kBaseline + signal + m_noise * gaussian())));
    }
    return frame;
}

QByteArray SimSensorModel::scanLine(Array array, int line, int prescaler) {
    if (line < 0 || line >= wireCount(array)) {
        return QByteArray();
    }
    return scanTile(array, line, 1, 0, wireCount(other(array)), prescaler);
}

QByteArray SimSensorModel::scanTile(Array array, int firstRow, int rows, int firstCol, int cols,
                                    int prescaler) {
    QByteArray tile;
    const Array crossing = other(array);
    for (int row = firstRow; row < firstRow + rows; ++row) {
        for (int col = firstCol; col < firstCol + cols; ++col) {
            const bool inGrid =
                row >= 0 && row < wireCount(array) && col >= 0 && col < wireCount(crossing);
            if (!inGrid || wireState(array, row) == WireState::Broken ||
                wireState(crossing, col) == WireState::Broken) {
                tile.append(char(kBaseline));
                continue;
            }
            const double signal =
                touchAmplitude(prescaler) * closeness(array, row) * closeness(crossing, col);
            tile.append(char(toByte(kBaseline + signal + m_noise * gaussian())));
        }
    }
    return tile;
}

QByteArray SimSensorModel::diagnostics(Array array) {
    QByteArray levels;
    for (int wire = 0; wire < wireCount(array); ++wire) {
        switch (wireState(array, wire)) {
            case WireState::Broken:
                levels.append('\0');
                break;
            case WireState::Weak:
                levels.append(char(toByte(kDiagWeakLevel + m_noise * gaussian())));
                break;
            case WireState::Good:
                levels.append(char(toByte(kDiagNominalLevel + m_noise * gaussian())));
                break;
        }
    }
    return levels;
}

quint16 SimSensorModel::fingerPosition(Array array) {
    if (!m_touched) {
        return 0;
    }
    const double finger = array == Array::A ? m_a : m_b;
    const double measured = finger + kFingerJitterPerNoise * m_noise * gaussian();
    return static_cast<quint16>(qBound(0, qRound(measured), kPositionRange - 1));
}
