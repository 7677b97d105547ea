#include "FunctionTrace.h"

#include "logging/SillyLogger.h"

namespace {
void logTrace(const char* format, const char* signature) {
    SillyLogger* logger = SillyLogger::instance();
    if (logger->accepts(SillyLogger::FunctionTrace)) {
        emit logger->logMessageSignal(
            SillyLogger::FunctionTrace,
            QString::fromLatin1(format).arg(QString::fromLatin1(signature)));
    }
}
}  // namespace

FunctionTrace::FunctionTrace(const char* signature, bool objectLifetime)
    : m_signature(signature), m_objectLifetime(objectLifetime) {
    logTrace(m_objectLifetime ? "Instantiating QObject %1 [CREATING]" : "Entering %1 [ENTER]",
             m_signature);
}

FunctionTrace::~FunctionTrace() {
    logTrace(m_objectLifetime ? "Destroying QObject %1 [DESTROYING]" : "Exiting %1 [EXIT]",
             m_signature);
}
