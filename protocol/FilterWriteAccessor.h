#pragma once

#include "protocol/FloatWriteAccessor.h"

// Writers of the filter set (layout in FilterSetLayout.h), editing the block in place.
// A field that the connected controller lacks (minimum-version table, set 3) is not
// written; neither is one the block is too short to hold. Nothing else changes.
class FilterWriteAccessor : public FloatWriteAccessor {
public:
    void setKalStdDeviation0(float value);
    void setKalStdDeviation1(float value);
    void setKalPMatrixFactor(float value);
    void setKalQMatrixFactor(float value);
    void setFilterStabStdDeviation(float value);
    void setFilterWarpFactor(float value);
    void setFilterOrtho(float value);
    void setFilterLock(float value);
};
