#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>

#include "sim/SimulationOptions.h"

class QCoreApplication;
class QSettings;
class SillyLogger;
class VirtualController;

// The command line of the tool and what it decides at start-up: the log file and its
// filter, replay or live mode, and the settings value the calibration flow reads.
class StartupOptions {
public:
    enum class LogFile { None, Mask, Level };

    static constexpr const char* kMaskLogName = "command-line-mask";
    static constexpr const char* kLevelLogName = "command-line-level";

    StartupOptions();

    StartupOptions(const StartupOptions&) = delete;
    StartupOptions& operator=(const StartupOptions&) = delete;

    // The program's own handling: help and version print and exit, a bad option prints
    // the parser's error and exits with code 1.
    void process(const QCoreApplication& application);
    // For tests and tools: parses without printing or exiting; false on a bad option
    // (errorText() then tells why).
    bool parse(const QStringList& arguments);
    QString errorText() const { return m_parser.errorText(); }
    QString helpText() const { return m_parser.helpText(); }
    // True when the command line is answered on the console alone: help or version asked
    // for, or a bad option. process() then prints and exits; no window, no display and no
    // single-instance check are needed for that.
    bool isAnsweredOnConsole(const QStringList& arguments);

    // Low eight bits of the decimal option value; 0 when absent or not a decimal number.
    quint8 debugLevel() const;
    quint8 debugMask() const;

    // A non-zero mask wins over a non-zero level; with neither, no log file is opened.
    LogFile logFile() const;
    // Sets the logger's filter (mask) or level and starts the matching log file in the
    // working directory; leaves the logger untouched when logFile() is None.
    void configureLogger(SillyLogger& logger) const;

    bool isReplayFlagSet() const;
    QString replayFileName() const;
    // The replay flag or a non-empty file name.
    bool isReplayMode() const;
    // Calibration/NoSoftReset = the replay flag (a file name alone does not count).
    void writeSettings(QSettings& settings) const;

    // Run against the virtual controller instead of a USB device: --simulate, or a
    // --scenario (a scenario file or comma-separated key=value items).
    bool isSimulation() const;
    QString scenario() const;
    // The virtual controller of the scenario; nullptr, with the reason in *error, when
    // the scenario is refused.
    std::unique_ptr<VirtualController> makeVirtualController(QString* error) const;
    // Where to save a picture of the main window before quitting; empty when not asked.
    QString screenshotFileName() const;

private:
    quint8 lowByteOf(const QCommandLineOption& option) const;

    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_debugLevel;
    QCommandLineOption m_debugMask;
    QCommandLineOption m_replay;
    QCommandLineOption m_file;
    SimulationOptions m_simulation;
    QCommandLineOption m_screenshot;
};
