#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>

#include "sim/SimulationOptions.h"
#include "cli/CliLink.h"

class VirtualController;

// One run of tavirel-cli: parses the command line, keeps a second copy of the tool (the
// window or another command line) out, connects to the controller and runs the command.
// Results go to `out`; a failure ends the run with exit code 1 and one line on `err`
// (2 for a command line that is not understood).
//
// Commands: info [--json], backup FILE, restore FILE [--save],
// upload FILE.ovu [--backup FILE] [--save] [--force], record FILE --seconds N.
class CliRunner {
public:
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;
    static constexpr int kDefaultTimeoutSeconds = 10;

    CliRunner(QTextStream& out, QTextStream& err);
    ~CliRunner();

    CliRunner(const CliRunner&) = delete;
    CliRunner& operator=(const CliRunner&) = delete;

    // arguments[0] is the program name.
    int run(const QStringList& arguments);

    // For tests: the link's pace, the uploader's tick, other instance-guard keys, and a
    // virtual controller that outlives the run (used with --simulate in place of a new
    // one).
    void setTimings(const CliLink::Timings& timings) { m_timings = timings; }
    void setUploadTickMs(int ms) { m_uploadTickMs = ms; }
    void setInstanceKeys(const QString& semaphoreKey, const QString& memoryKey);
    void setVirtualController(VirtualController* controller) { m_external = controller; }
    // On a terminal the upload shows text progress bars; otherwise plain lines.
    void setTerminal(bool terminal) { m_terminal = terminal; }

private:
    int usage(const QString& text);
    int failure(const QString& text);
    bool makeLink();
    int dispatch(const QString& command, const QString& file);
    int info();
    int backup(const QString& file);
    int restore(const QString& file);
    int upload(const QString& file);
    int record(const QString& file);
    // The --seconds of record; 0 when missing or out of range.
    int recordSeconds() const;
    bool backupTo(const QString& file);
    bool fitsSensor(const QString& file);
    bool restoreFrom(const QString& file);
    void showProgress(const QString& name, int percent);
    void endProgressLine();

    QTextStream& m_out;
    QTextStream& m_err;
    QCommandLineParser m_parser;
    SimulationOptions m_simulation;
    QCommandLineOption m_json;
    QCommandLineOption m_save;
    QCommandLineOption m_backup;
    QCommandLineOption m_force;
    QCommandLineOption m_seconds;
    QCommandLineOption m_timeout;
    CliLink::Timings m_timings;
    int m_uploadTickMs = 1000;
    QString m_semaphoreKey;
    QString m_memoryKey;
    VirtualController* m_external = nullptr;
    std::unique_ptr<VirtualController> m_controller;
    std::unique_ptr<CliLink> m_link;
    bool m_terminal = false;
    bool m_progressShown = false;
};
