#include "FilterAccessor.h"

#include "protocol/FilterSetLayout.h"

using namespace FilterSetLayout;

float FilterAccessor::kalStdDeviation0() const {
    return readFloat(kVersionSet, kKalStdDeviation0);
}

float FilterAccessor::kalPMatrixFactor() const {
    return readFloat(kVersionSet, kKalPMatrixFactor);
}

float FilterAccessor::kalQMatrixFactor() const {
    return readFloat(kVersionSet, kKalQMatrixFactor);
}

float FilterAccessor::filterStabStdDeviation() const {
    return readFloat(kVersionSet, kFilterStabStdDeviation);
}

float FilterAccessor::filterWarpFactor() const {
    return readFloat(kVersionSet, kFilterWarpFactor);
}

float FilterAccessor::filterOrtho() const {
    return readFloat(kVersionSet, kFilterOrtho);
}

float FilterAccessor::filterLock() const {
    return readFloat(kVersionSet, kFilterLock);
}
