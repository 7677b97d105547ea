#pragma once

#include <QList>

#include "protocol/NormalVariable.h"

// One of the calibration window's targets: where the finger was measured on wire arrays A
// and B while it rested on the target, and where the target was on the desktop.
//
// screenPosition is in the calibration coordinate space: 0..4096 on both axes over the
// whole desktop (all screens together), 2048 the centre; (0, 0) until the target is done.
class CalibrationTarget {
public:
    // Values are fixed: the renderers and the window compare against them.
    enum HorizontalPosition { HCenter = 0, Left = 1, Right = 2 };
    enum VerticalPosition { VCenter = 0, Top = 1, Bottom = 2 };
    enum State { Idle = 0, Attending = 1, Acquiring = 2, Done = 3 };

    struct Position {
        int x = 0;
        int y = 0;
    };

    // The window owns the targets; the list only borrows them.
    using PList = QList<CalibrationTarget*>;

    CalibrationTarget(HorizontalPosition hpos, VerticalPosition vpos);

    HorizontalPosition hpos() const { return m_hpos; }
    void setHpos(const HorizontalPosition& hpos) { m_hpos = hpos; }
    VerticalPosition vpos() const { return m_vpos; }
    void setVpos(const VerticalPosition& vpos) { m_vpos = vpos; }
    State state() const { return m_state; }
    void setState(const State& state) { m_state = state; }
    int calibrationProgress() const { return m_calibrationProgress; }
    void setCalibrationProgress(int progress) { m_calibrationProgress = progress; }

    // Progress 0, position (0, 0), statistics cleared, state Idle.
    void reset();

    NormalVariable statA;
    NormalVariable statB;
    Position screenPosition;

private:
    int m_calibrationProgress = 0;
    State m_state = Idle;
    HorizontalPosition m_hpos;
    VerticalPosition m_vpos;
};
