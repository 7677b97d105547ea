#pragma once

#include "protocol/FloatWriteAccessor.h"

// Writers of the tracker set (layout in TrackerSetLayout.h), editing the block in place.
// Each writer first stamps byte 14 with the remembered parameter version, then stores
// its field. A field that the connected controller lacks (minimum-version table, set 4),
// or that the block is too short to hold, leaves the block unchanged, stamp included.
class TrackerWriteAccessor : public FloatWriteAccessor {
public:
    void setStdDeviation(float value);
    void setPMatrixFactor(float value);
    void setQMatrixFactor(float value);

private:
    void stampAndWrite(int offset, float value);
};
