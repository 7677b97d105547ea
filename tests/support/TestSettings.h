#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

// The tool's settings keys in Qt's test location, emptied: no test reads or writes the
// user's real settings, and none starts with what an earlier run left.
inline void useTestSettings() {
    QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
    QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
}
