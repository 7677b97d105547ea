#pragma once

#include "protocol/FloatAccessor.h"

// Readers of the filter set (layout in FilterSetLayout.h). A field that the connected
// controller lacks (minimum-version table, set 3) reads as 0.0; bytes beyond the end of
// the block read as 0. The second Kalman deviation (offset 6) has no reader.
class FilterAccessor : private FloatAccessor {
public:
    float kalStdDeviation0() const;
    float kalPMatrixFactor() const;
    float kalQMatrixFactor() const;
    float filterStabStdDeviation() const;
    float filterWarpFactor() const;
    float filterOrtho() const;
    float filterLock() const;

protected:
    // The block to read: a received report or a command's working copy.
    const QByteArray& floatBlock() const override = 0;
};
