#include <QApplication>
#include <QMessageBox>
#include <QSettings>

#include "app/AppVersion.h"
#include "app/SingleInstanceGuard.h"
#include "app/StartupOptions.h"
#include "logging/ConsoleMessageHandler.h"
#include "logging/SillyLogger.h"
#include "resources/AppResources.h"

int main(int argc, char* argv[]) {
    qInstallMessageHandler(consoleMessageHandler);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    QApplication::setApplicationVersion(QString::fromLatin1(AppVersion::kApplicationVersion));
    QApplication::setOrganizationName(QStringLiteral("Orvello"));
    QApplication::setOrganizationDomain(QStringLiteral("orvello.example"));
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    AppResources::initialize();

    SingleInstanceGuard guard;
    if (guard.isAnotherInstanceRunning()) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvello"),
                              QStringLiteral("Another application instance is already running"),
                              QMessageBox::Cancel);
        return 0;
    }

    StartupOptions options;
    options.process(application);
    options.configureLogger(*SillyLogger::instance());
    QSettings settings;
    options.writeSettings(settings);
    return 0;
}
