#include "SoftResetNotice.h"

namespace {
SoftResetNotice::Factory& installedFactory() {
    static SoftResetNotice::Factory factory;
    return factory;
}
}  // namespace

void SoftResetNotice::setFactory(Factory factory) {
    installedFactory() = std::move(factory);
}

SoftResetNotice* SoftResetNotice::create(QObject* parent) {
    const Factory& factory = installedFactory();
    return factory ? factory(parent) : nullptr;
}
