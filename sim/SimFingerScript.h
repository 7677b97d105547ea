#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class SimSensorModel;

// A finger that taps the sensor in step with the untracked-finger stream, as an installer
// does on the calibration targets: each tap waits its delay (from the previous lift, the
// first one from the stream's first report), touches at (a, b) for `samples` finger
// reports and lifts. A tap of -1 samples never lifts.
//
// Text form (scenario key "taps"): entries "delayMs:a:b:samples" separated by blanks or
// ';', a and b sensor positions 0..4095, samples -1 or 1..100000.
class SimFingerScript {
public:
    struct Tap {
        int delayMs = 0;
        int a = 0;
        int b = 0;
        int samples = -1;
    };

    static bool parse(const QString& text, QList<Tap>* taps, QString* error);

    void setTaps(const QList<Tap>& taps);
    void append(const Tap& tap) { m_taps << tap; }
    // Taps still to come, the one touching included.
    int pending() const { return m_taps.size() + (m_touching ? 1 : 0); }

    // Called before each finger report: touches or lifts the sensor's finger as the
    // script says.
    void beforeReport(qint64 nowMs, SimSensorModel& sensor);

private:
    QList<Tap> m_taps;
    bool m_touching = false;
    int m_remaining = 0;
    qint64 m_lastLiftMs = -1;
};
