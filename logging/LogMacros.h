#pragma once

#include "logging/FunctionTrace.h"
#include "logging/SillyLogger.h"

// The full signature text of the enclosing function, as the compiler spells it.
#if defined(_MSC_VER)
#define TAVIREL_FUNCTION_SIGNATURE __FUNCSIG__
#else
#define TAVIREL_FUNCTION_SIGNATURE __PRETTY_FUNCTION__
#endif

// Logs "In Function <signature>: <text>" at the given message type. The text is only
// built when the type passes the logger's filter.
#define TLOG(type, text)                                                      \
    do {                                                                      \
        SillyLogger* tlogLogger_ = SillyLogger::instance();                   \
        if (tlogLogger_->accepts(type)) {                                     \
            tlogLogger_->logFrom((type), TAVIREL_FUNCTION_SIGNATURE, (text)); \
        }                                                                     \
    } while (false)

#define TLOG_DEBUG(text) TLOG(SillyLogger::Debug, text)
#define TLOG_CRITICAL(text) TLOG(SillyLogger::Critical, text)
#define TLOG_WARNING(text) TLOG(SillyLogger::Warning, text)
#define TLOG_INFO(text) TLOG(SillyLogger::Information, text)

// Entry/exit trace for the enclosing function (type 32).
#define TTRACE() const FunctionTrace functionTrace_(TAVIREL_FUNCTION_SIGNATURE)
// Object lifetime trace; use in constructors and destructors.
#define TTRACE_OBJECT() const FunctionTrace functionTrace_(TAVIREL_FUNCTION_SIGNATURE, true)
