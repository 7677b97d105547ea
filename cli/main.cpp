#include <QCoreApplication>
#include <QMetaType>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

#include "logging/ConsoleMessageHandler.h"
#include "protocol/ScanData.h"
#include "cli/CliRunner.h"

int main(int argc, char* argv[]) {
    qInstallMessageHandler(consoleMessageHandler);
    QCoreApplication application(argc, argv);
    qRegisterMetaType<QString>("CustomString");
    scanArea::registerScanDataType();
    // The window's identity, so both read and write the same settings.
    QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(TAVIREL_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("orvello.example"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    CliRunner runner(out, err);
    runner.setTerminal(isatty(fileno(stdout)) != 0);
    return runner.run(QCoreApplication::arguments());
}
