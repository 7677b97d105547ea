#include <QCoreApplication>
#include <QCommandLineParser>

#include "logging/ConsoleMessageHandler.h"

int main(int argc, char* argv[]) {
    qInstallMessageHandler(consoleMessageHandler);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVIREL_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Setup utility from Orvello"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    parser.showVersion();
}
