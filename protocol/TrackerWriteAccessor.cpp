#include "TrackerWriteAccessor.h"

#include "protocol/ParameterVersion.h"
#include "protocol/TrackerSetLayout.h"

using namespace TrackerSetLayout;

void TrackerWriteAccessor::setStdDeviation(float value) {
    stampAndWrite(kStdDeviation, value);
}

void TrackerWriteAccessor::setPMatrixFactor(float value) {
    stampAndWrite(kPMatrixFactor, value);
}

void TrackerWriteAccessor::setQMatrixFactor(float value) {
    stampAndWrite(kQMatrixFactor, value);
}

void TrackerWriteAccessor::stampAndWrite(int offset, float value) {
    if (!isFieldSupported(kVersionSet, offset)) {
        return;
    }
    QByteArray& block = floatWriteBlock();
    if (holdsField(offset) && kVersionStamp < block.size()) {
        block[kVersionStamp] = static_cast<char>(ParameterVersion::remembered());
    }
    storeFloat(offset, value);  // a block too short for the field is logged, not written
}
