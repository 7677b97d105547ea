#include "TrackerAccessor.h"

#include "protocol/TrackerSetLayout.h"

using namespace TrackerSetLayout;

float TrackerAccessor::stdDeviation() const {
    return readFloat(kVersionSet, kStdDeviation);
}

float TrackerAccessor::pMatrixFactor() const {
    return readFloat(kVersionSet, kPMatrixFactor);
}

float TrackerAccessor::qMatrixFactor() const {
    return readFloat(kVersionSet, kQMatrixFactor);
}
