#pragma once

#include <QtGlobal>

// Prints the toolkit's own diagnostics to standard error as
// "<Kind>: <message> (<file>:<line>, <function>)". A fatal message aborts the process.
void consoleMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg);
