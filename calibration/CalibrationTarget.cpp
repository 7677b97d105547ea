#include "CalibrationTarget.h"

CalibrationTarget::CalibrationTarget(HorizontalPosition hpos, VerticalPosition vpos)
    : m_hpos(hpos), m_vpos(vpos) {
    reset();
}

void CalibrationTarget::reset() {
    m_calibrationProgress = 0;
    screenPosition = Position();
    statA.clear();
    statB.clear();
    m_state = Idle;
}
