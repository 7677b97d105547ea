#include "ConsoleMessageHandler.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {
const char* orEmpty(const char* text) {
    return text ? text : "";
}

const char* formatFor(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return "Debug: %s (%s:%u, %s)\n";
        case QtWarningMsg:
            return "Warning: %s (%s:%u, %s)\n";
        case QtCriticalMsg:
            return "Critical: %s (%s:%u, %s)\n";
        case QtFatalMsg:
            return "Fatal: %s (%s:%u, %s)\n";
        case QtInfoMsg:
            return "Info: %s (%s:%u, %s)\n";
    }
    return nullptr;
}
}  // namespace

void consoleMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    const char* format = formatFor(type);
    if (format) {
        const QByteArray local = msg.toLocal8Bit();
        std::fprintf(stderr, format, local.constData(), orEmpty(context.file),
                     static_cast<unsigned>(context.line), orEmpty(context.function));
    }
    if (type == QtFatalMsg) {
        std::abort();
    }
}
