#include "FilterWriteAccessor.h"

#include "protocol/FilterSetLayout.h"

using namespace FilterSetLayout;

void FilterWriteAccessor::setKalStdDeviation0(float value) {
    writeFloat(kVersionSet, kKalStdDeviation0, value);
}

void FilterWriteAccessor::setKalStdDeviation1(float value) {
    writeFloat(kVersionSet, kKalStdDeviation1, value);
}

void FilterWriteAccessor::setKalPMatrixFactor(float value) {
    writeFloat(kVersionSet, kKalPMatrixFactor, value);
}

void FilterWriteAccessor::setKalQMatrixFactor(float value) {
    writeFloat(kVersionSet, kKalQMatrixFactor, value);
}

void FilterWriteAccessor::setFilterStabStdDeviation(float value) {
    writeFloat(kVersionSet, kFilterStabStdDeviation, value);
}

void FilterWriteAccessor::setFilterWarpFactor(float value) {
    writeFloat(kVersionSet, kFilterWarpFactor, value);
}

void FilterWriteAccessor::setFilterOrtho(float value) {
    writeFloat(kVersionSet, kFilterOrtho, value);
}

void FilterWriteAccessor::setFilterLock(float value) {
    writeFloat(kVersionSet, kFilterLock, value);
}
