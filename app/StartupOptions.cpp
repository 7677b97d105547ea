#include "app/StartupOptions.h"

#include <QCoreApplication>
#include <QSettings>

#include "logging/SillyLogger.h"
#include "protocol/SettingsKeys.h"
#include "sim/VirtualController.h"

namespace {
constexpr int kDecimal = 10;
constexpr unsigned kLowByteMask = 0xFF;
}  // namespace

StartupOptions::StartupOptions()
    : m_help(QStringLiteral("help")),
      m_version(QStringLiteral("version")),
      m_debugLevel(QStringList{QStringLiteral("l"), QStringLiteral("debug-level")},
                   QStringLiteral("Sets the debug level."), QStringLiteral("level[0-15]")),
      m_debugMask(QStringList{QStringLiteral("m"), QStringLiteral("debug-mask")},
                  QStringLiteral("Sets the debug mask for more flexible debugging."),
                  QStringLiteral("hex mask [00-FF]")),
      m_replay(QStringList{QStringLiteral("r"), QStringLiteral("replay")},
               QStringLiteral("Starts the application without waiting for a device to be "
                              "connected.")),
      m_file(QStringList{QStringLiteral("f"), QStringLiteral("file")},
             QStringLiteral("If present it opens a file for replay"), QStringLiteral("file")),
      m_screenshot(QStringLiteral("screenshot"),
                   QStringLiteral("Saves a picture of the main window to the file once the "
                                  "controller answered, then quits."),
                   QStringLiteral("png file")) {
    m_parser.setApplicationDescription(QStringLiteral("Setup utility from Orvello"));
    m_help = m_parser.addHelpOption();
    m_version = m_parser.addVersionOption();
    m_parser.addOption(m_debugLevel);
    m_parser.addOption(m_debugMask);
    m_parser.addOption(m_replay);
    m_parser.addOption(m_file);
    m_simulation.addTo(m_parser);
    m_parser.addOption(m_screenshot);
}

void StartupOptions::process(const QCoreApplication& application) {
    m_parser.process(application);
}

bool StartupOptions::parse(const QStringList& arguments) {
    return m_parser.parse(arguments);
}

bool StartupOptions::isAnsweredOnConsole(const QStringList& arguments) {
    if (!parse(arguments)) {
        return true;
    }
    return m_parser.isSet(m_help) || m_parser.isSet(m_version) ||
           m_parser.optionNames().contains(QStringLiteral("help-all"));
}

quint8 StartupOptions::lowByteOf(const QCommandLineOption& option) const {
    bool ok = false;
    const uint value = m_parser.value(option).toUInt(&ok, kDecimal);
    return ok ? static_cast<quint8>(value & kLowByteMask) : 0;
}

quint8 StartupOptions::debugLevel() const {
    return lowByteOf(m_debugLevel);
}

quint8 StartupOptions::debugMask() const {
    return lowByteOf(m_debugMask);
}

StartupOptions::LogFile StartupOptions::logFile() const {
    if (debugMask() != 0) {
        return LogFile::Mask;
    }
    if (debugLevel() != 0) {
        return LogFile::Level;
    }
    return LogFile::None;
}

void StartupOptions::configureLogger(SillyLogger& logger) const {
    switch (logFile()) {
        case LogFile::Mask:
            logger.setFilter(debugMask());
            logger.start(QString::fromLatin1(kMaskLogName));
            break;
        case LogFile::Level:
            logger.setLevel(debugLevel());
            logger.start(QString::fromLatin1(kLevelLogName));
            break;
        case LogFile::None:
            break;
    }
}

bool StartupOptions::isReplayFlagSet() const {
    return m_parser.isSet(m_replay);
}

QString StartupOptions::replayFileName() const {
    return m_parser.value(m_file);
}

bool StartupOptions::isReplayMode() const {
    return isReplayFlagSet() || !replayFileName().isEmpty();
}

void StartupOptions::writeSettings(QSettings& settings) const {
    settings.setValue(SettingsKeys::Calibration::kNoSoftReset, isReplayFlagSet());
}

bool StartupOptions::isSimulation() const {
    return m_simulation.isSimulation(m_parser);
}

QString StartupOptions::scenario() const {
    return m_simulation.scenario(m_parser);
}

std::unique_ptr<VirtualController> StartupOptions::makeVirtualController(QString* error) const {
    return m_simulation.makeController(m_parser, error);
}

QString StartupOptions::screenshotFileName() const {
    return m_parser.value(m_screenshot);
}
