#pragma once

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

#include "sim/SimScenario.h"

// The malformed input reports a noisy board slips between its real ones: while the
// scenario's window (malformedAt, malformedFor) is open, one report every malformedEvery
// ms through report(). Kinds, drawn in turn from a generator seeded by the scenario:
//
//   RandomBytes   1..4096 random bytes (any first byte)
//   RandomBody    a known response code after report id 1, then 58 random bytes
//   CutBody       a known response code after report id 1, cut to 1..59 bytes
//   HugeCounts    a known stream code, and 0xF0..0xFF in header bytes 2..5 (counts,
//                 rows, columns) with a random body
//   WrongReportId a real-looking report (61 bytes) under a report id other than 1
//
// Report layout as in SimReport: wire byte 0 the report id, 1 the frame byte, 2 the code.
class SimMalformedReports : public QObject {
    Q_OBJECT
public:
    enum class Kind { RandomBytes, RandomBody, CutBody, HugeCounts, WrongReportId };
    static constexpr int kKindCount = 5;
    static constexpr int kLongestReport = 4096;

    explicit SimMalformedReports(QObject* parent = nullptr);

    // Restarts the window of the scenario (its clock starts now) and reseeds.
    void start(const SimScenario& scenario);
    void stop();
    bool isActive() const { return m_every.isActive(); }
    int sentCount() const { return m_sent; }

    // One malformed report of the given kind.
    QByteArray make(Kind kind);

signals:
    void report(const QByteArray& report);

private:
    void sendOne();
    QByteArray randomBytes(int length);
    quint8 knownCode();

    QRandomGenerator m_random;
    QTimer m_begin;
    QTimer m_end;
    QTimer m_every;
    int m_next = 0;
    int m_sent = 0;
};
