#pragma once

#include "protocol/FloatAccessor.h"

// Readers of the tracker set (layout in TrackerSetLayout.h). A field that the connected
// controller lacks (minimum-version table, set 4: parameter version 1 and later) reads
// as 0.0; bytes beyond the end of the block read as 0.
class TrackerAccessor : private FloatAccessor {
public:
    float stdDeviation() const;
    float pMatrixFactor() const;
    float qMatrixFactor() const;

protected:
    const QByteArray& floatBlock() const override = 0;
};
