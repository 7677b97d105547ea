#pragma once

#include <QByteArray>
#include <QList>

#include "protocol/NormalVariable.h"

// What an equalizer shows, apart from how it is drawn: the frame on display (one
// unsigned level per wire), a scan profile over it, the press level, and the short
// statistics that look for wires out: the first two frames are accumulated per wire, the
// third evaluates them once (noise level and wire-out list) until the statistics are
// cleared again.
class EqualizerStatistics {
public:
    // Frames accumulated before the evaluation.
    static constexpr int kFramesToAccumulate = 2;
    // The edge baseline without touch, subtracted by the readout when asked.
    static constexpr int kBaseline = 16;

    // Adds the frame to the statistics (first two frames) or evaluates them (third frame).
    // Returns true exactly when this frame evaluated. Wires beyond those of the first
    // frame are not counted; an empty frame counts for nothing.
    bool accumulate(const QByteArray& frame);
    // Forgets the statistics and the evaluation; wire-out marks stay until the next
    // evaluation replaces them.
    void clearStatistics();
    // Forgets the wire-out marks only.
    void clearWireOut() { m_wireOut.clear(); }

    int framesAccumulated() const { return m_frames; }
    bool isEvaluated() const { return m_evaluated; }
    const QList<NormalVariable>& statistics() const { return m_statistics; }
    // Largest mean + sqrt(3 variance) over the wires at the evaluation; 0 before it.
    double noiseLevel() const { return m_noiseLevel; }
    const QList<int>& wireOut() const { return m_wireOut; }
    bool isWireOut(int wire) const { return m_wireOut.contains(wire); }
    // When on, every evaluation writes the statistics to "BrokenWireData_<time>.log".
    void setLogWireOut(bool on) { m_logWireOut = on; }

    void setFrame(const QByteArray& frame) { m_frame = frame; }
    const QByteArray& frame() const { return m_frame; }
    int wireCount() const { return m_frame.size(); }
    // The level of a wire of the frame on display (0 beyond it), less the baseline when
    // subtractBaseline is on (may then be negative).
    int readout(int wire, bool subtractBaseline) const;

    // A scan line laid over the frame: each wire keeps the largest level seen.
    void addScanLine(const QByteArray& line);
    // Replaces the scan profile.
    void setScanProfile(const QByteArray& profile) { m_scan = profile; }
    const QByteArray& scanProfile() const { return m_scan; }
    void clearScan() { m_scan.clear(); }

    void setPress(int press) { m_press = press; }
    int press() const { return m_press; }

private:
    void evaluate();

    QList<NormalVariable> m_statistics;
    QList<int> m_wireOut;
    QByteArray m_frame;
    QByteArray m_scan;
    double m_noiseLevel = 0.0;
    int m_frames = 0;
    int m_press = 0;
    bool m_evaluated = false;
    bool m_logWireOut = false;
};
