#include "SimFingerScript.h"

#include <QRegularExpression>
#include <QStringList>

#include "sim/SimSensorModel.h"

namespace {
constexpr int kLongestDelayMs = 24 * 3600 * 1000;
constexpr int kSensorPositionMax = 4095;
constexpr int kMostSamples = 100000;
constexpr int kFields = 4;

bool parseInt(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (!ok || parsed < low || parsed > high) {
        return false;
    }
    *value = parsed;
    return true;
}

bool parseTap(const QString& entry, SimFingerScript::Tap* tap) {
    const QStringList parts = entry.split(QLatin1Char(':'));
    if (parts.size() != kFields) {
        return false;
    }
    SimFingerScript::Tap parsed;
    if (!parseInt(parts.at(0), 0, kLongestDelayMs, &parsed.delayMs) ||
        !parseInt(parts.at(1), 0, kSensorPositionMax, &parsed.a) ||
        !parseInt(parts.at(2), 0, kSensorPositionMax, &parsed.b) ||
        !parseInt(parts.at(3), -1, kMostSamples, &parsed.samples) || parsed.samples == 0) {
        return false;
    }
    *tap = parsed;
    return true;
}
}  // namespace

bool SimFingerScript::parse(const QString& text, QList<Tap>* taps, QString* error) {
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    QList<Tap> parsed;
    for (const QString& entry : text.split(separators, Qt::SkipEmptyParts)) {
        Tap tap;
        if (!parseTap(entry, &tap)) {
            if (error) {
                *error = QStringLiteral("Bad scripted tap: %1").arg(entry);
            }
            return false;
        }
        parsed << tap;
    }
    *taps = parsed;
    return true;
}

void SimFingerScript::setTaps(const QList<Tap>& taps) {
    m_taps = taps;
    m_touching = false;
    m_lastLiftMs = -1;
}

void SimFingerScript::beforeReport(qint64 nowMs, SimSensorModel& sensor) {
    if (m_touching) {
        if (m_remaining == 0) {
            sensor.setContact(false, 0, 0);
            m_touching = false;
            m_lastLiftMs = nowMs;
        } else if (m_remaining > 0) {
            --m_remaining;
        }
        return;
    }
    if (m_taps.isEmpty()) {
        return;
    }
    if (m_lastLiftMs < 0) {
        m_lastLiftMs = nowMs;
    }
    const Tap tap = m_taps.first();
    if (nowMs - m_lastLiftMs < tap.delayMs) {
        return;
    }
    m_taps.removeFirst();
    sensor.setContact(true, tap.a, tap.b);
    m_touching = true;
    // This report is the first contact; a tap that never lifts keeps counting below 0.
    m_remaining = tap.samples > 0 ? tap.samples - 1 : -1;
}
