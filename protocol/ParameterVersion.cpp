#include "ParameterVersion.h"

quint8 ParameterVersion::s_version = ParameterVersion::kStartValue;

quint8 ParameterVersion::remembered() {
    return s_version;
}

void ParameterVersion::remember(quint8 version) {
    s_version = version;
}
