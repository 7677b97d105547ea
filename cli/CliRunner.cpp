#include "cli/CliRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "logging/LogMacros.h"
#include "logging/SillyLogger.h"
#include "device/HidApiIoDataProvider.h"
#include "device/SingleInstanceGuard.h"
#include "device/SystemHidApi.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"
#include "firmware/FirmwareUpdateFile.h"
#include "firmware/FirmwareUploader.h"
#include "firmware/FirmwareVersionRules.h"
#include "cli/ControllerInfo.h"
#include "cli/ParameterSnapshot.h"
#include "cli/ParameterTransfer.h"

namespace {
constexpr int kMsPerSecond = 1000;
// The uploader bounds every step itself; this only keeps a stuck run from lasting for ever.
constexpr int kUploadBoundMs = 60 * 60 * kMsPerSecond;
constexpr int kBarWidth = 30;
constexpr int kPercent = 100;
// The window's record level: raw traffic, critical and warning lines.
constexpr quint8 kRecordLevel = 4;
constexpr int kMaxRecordSeconds = 24 * 60 * 60;

const QString kInfo = QStringLiteral("info");
const QString kBackup = QStringLiteral("backup");
const QString kRestore = QStringLiteral("restore");
const QString kUpload = QStringLiteral("upload");
const QString kRecord = QStringLiteral("record");
}  // namespace

CliRunner::CliRunner(QTextStream& out, QTextStream& err)
    : m_out(out),
      m_err(err),
      m_json(QStringLiteral("json"), QStringLiteral("info: prints JSON for machines.")),
      m_save(QStringLiteral("save"),
             QStringLiteral("restore, upload --backup: saves the restored parameters to "
                            "flash.")),
      m_backup(QStringLiteral("backup"),
               QStringLiteral("upload: saves the parameters to the file first and restores "
                              "them once the controller runs the new firmware."),
               QStringLiteral("file")),
      m_force(QStringLiteral("force"),
              QStringLiteral("upload: uploads a file whose name is made for another sensor.")),
      m_seconds(QStringLiteral("seconds"), QStringLiteral("record: how long to record."),
                QStringLiteral("n")),
      m_timeout(QStringLiteral("timeout"),
                QStringLiteral("How long to wait for a controller (default %1).")
                    .arg(kDefaultTimeoutSeconds),
                QStringLiteral("seconds")),
      m_semaphoreKey(QString::fromLatin1(SingleInstanceGuard::kSemaphoreKey)),
      m_memoryKey(QString::fromLatin1(SingleInstanceGuard::kMemoryKey)) {
    m_parser.setApplicationDescription(
        QStringLiteral("Command-line companion of the tavirel Configuration Software.\n"
                       "Commands: info, backup FILE, restore FILE, upload FILE.ovu, "
                       "record FILE --seconds N"));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addPositionalArgument(QStringLiteral("command"),
                                   QStringLiteral("info, backup, restore, upload or record"));
    m_parser.addPositionalArgument(QStringLiteral("file"),
                                   QStringLiteral("The file the command reads or writes."));
    for (const QCommandLineOption& option :
         {m_json, m_save, m_backup, m_force, m_seconds, m_timeout}) {
        m_parser.addOption(option);
    }
    m_simulation.addTo(m_parser);
}

CliRunner::~CliRunner() = default;

void CliRunner::setInstanceKeys(const QString& semaphoreKey, const QString& memoryKey) {
    m_semaphoreKey = semaphoreKey;
    m_memoryKey = memoryKey;
}

int CliRunner::usage(const QString& text) {
    m_err << text << Qt::endl;
    return kUsage;
}

int CliRunner::failure(const QString& text) {
    endProgressLine();
    TLOG_WARNING(text);
    m_err << text << Qt::endl;
    return kFailure;
}

int CliRunner::run(const QStringList& arguments) {
    if (!m_parser.parse(arguments)) {
        return usage(m_parser.errorText());
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        m_out << m_parser.helpText();
        return 0;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        m_out << "tavirel-cli " << QCoreApplication::applicationVersion() << Qt::endl;
        return 0;
    }
    const QStringList positional = m_parser.positionalArguments();
    const QString command = positional.value(0);
    const bool needsFile = command != kInfo;
    if (!QStringList{kInfo, kBackup, kRestore, kUpload, kRecord}.contains(command)) {
        return usage(QStringLiteral("Unknown command \"%1\"; see --help.").arg(command));
    }
    if (positional.size() != (needsFile ? 2 : 1)) {
        return usage(needsFile ? QStringLiteral("%1 needs one file name.").arg(command)
                               : QStringLiteral("info takes no file name."));
    }
    bool ok = true;
    const int timeoutSeconds =
        m_parser.isSet(m_timeout) ? m_parser.value(m_timeout).toInt(&ok) : kDefaultTimeoutSeconds;
    if (!ok || timeoutSeconds < 0) {
        return usage(QStringLiteral("--timeout needs a number of seconds."));
    }
    if (command == kRecord && recordSeconds() == 0) {
        return usage(QStringLiteral("record needs --seconds with a number from 1 to %1.")
                         .arg(kMaxRecordSeconds));
    }

    const SingleInstanceGuard guard(m_semaphoreKey, m_memoryKey);
    if (guard.isAnotherInstanceRunning()) {
        return failure(QStringLiteral("Another application instance is already running"));
    }
    if (!makeLink()) {
        return kFailure;
    }
    if (!m_link->connect(timeoutSeconds * kMsPerSecond)) {
        return failure(m_link->errorText());
    }
    const int result = dispatch(command, positional.value(1));
    m_link.reset();
    return result;
}

bool CliRunner::makeLink() {
    std::shared_ptr<HidApi> hidApi;
    if (!m_simulation.isSimulation(m_parser)) {
        hidApi = std::make_shared<SystemHidApi>();
    } else {
        VirtualController* controller = m_external;
        if (controller == nullptr) {
            QString error;
            m_controller = m_simulation.makeController(m_parser, &error);
            if (!m_controller) {
                failure(QStringLiteral("Bad scenario: %1").arg(error));
                return false;
            }
            controller = m_controller.get();
        }
        hidApi = std::make_shared<VirtualHidApi>(controller);
    }
    m_link = std::make_unique<CliLink>(std::move(hidApi), m_timings);
    return true;
}

int CliRunner::dispatch(const QString& command, const QString& file) {
    if (command == kInfo) {
        return info();
    }
    if (command == kBackup) {
        return backup(file);
    }
    if (command == kRestore) {
        return restore(file);
    }
    if (command == kUpload) {
        return upload(file);
    }
    return record(file);
}

int CliRunner::info() {
    ControllerInfo info;
    QString error;
    if (!info.gather(*m_link, &error)) {
        return failure(error);
    }
    if (m_parser.isSet(m_json)) {
        m_out << QString::fromUtf8(info.toJson());
    } else {
        m_out << info.toText();
    }
    m_out.flush();
    return 0;
}

bool CliRunner::backupTo(const QString& file) {
    ParameterSnapshot snapshot;
    ParameterTransfer transfer(*m_link);
    QString error;
    if (!transfer.read(&snapshot)) {
        failure(transfer.errorText());
        return false;
    }
    if (!snapshot.save(file, &error)) {
        failure(error);
        return false;
    }
    m_out << QStringLiteral("Saved the parameters (version %1) to %2.")
                 .arg(snapshot.parameterVersion)
                 .arg(file)
          << Qt::endl;
    return true;
}

bool CliRunner::restoreFrom(const QString& file) {
    ParameterSnapshot snapshot;
    QString error;
    if (!snapshot.load(file, &error)) {
        if (error.endsWith(QLatin1Char('.'))) {
            error.chop(1);  // the reason goes on with what was not done
        }
        failure(QStringLiteral("%1; nothing was written.").arg(error));
        return false;
    }
    ParameterTransfer transfer(*m_link);
    const bool save = m_parser.isSet(m_save);
    if (!transfer.write(snapshot, save)) {
        failure(QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), transfer.errorText()));
        return false;
    }
    m_out << QStringLiteral("Restored the parameters from %1%2.")
                 .arg(file, save ? QStringLiteral(" and saved them to flash") : QString())
          << Qt::endl;
    return true;
}

int CliRunner::backup(const QString& file) {
    return backupTo(file) ? 0 : kFailure;
}

int CliRunner::restore(const QString& file) {
    return restoreFrom(file) ? 0 : kFailure;
}

void CliRunner::showProgress(const QString& name, int percent) {
    if (!m_terminal) {
        return;
    }
    const int filled = qBound(0, percent, kPercent) * kBarWidth / kPercent;
    m_out << '\r' << name << " [" << QString(filled, QLatin1Char('#'))
          << QString(kBarWidth - filled, QLatin1Char(' ')) << "] " << percent << '%';
    m_out.flush();
    m_progressShown = true;
}

void CliRunner::endProgressLine() {
    if (m_progressShown) {
        m_out << Qt::endl;
        m_progressShown = false;
    }
}

// The window asks before it uploads a file named for another sensor; here --force answers.
bool CliRunner::fitsSensor(const QString& file) {
    int wiresA = 0;
    int wiresB = 0;
    const int splitType = ControllerInfo::measureSplitType(*m_link, &wiresA, &wiresB);
    if (FirmwareVersionRules::fileFitsSplitType(file, splitType)) {
        return true;
    }
    const QString sensor = splitType != 0 ? QStringLiteral("split type %1").arg(splitType)
                                          : QStringLiteral("split type unknown");
    failure(QStringLiteral("%1 is not made for this sensor (%2); nothing was sent. --force "
                           "uploads it anyway.")
                .arg(QFileInfo(file).fileName(), sensor));
    return false;
}

int CliRunner::upload(const QString& file) {
    // A refused file stops the run before a backup is taken or anything is sent.
    FirmwareUpdateFile updateFile;
    if (!updateFile.read(file)) {
        return failure(QStringLiteral("%1: %2").arg(file, updateFile.problemText()));
    }
    if (!m_parser.isSet(m_force) && !fitsSensor(file)) {
        return kFailure;
    }
    const QString backupFile = m_parser.value(m_backup);
    if (!backupFile.isEmpty() && !backupTo(backupFile)) {
        return kFailure;
    }
    FirmwareUploader uploader(&m_link->dispatcher());
    FirmwareUploader::Periods periods;
    periods.tickMs = m_uploadTickMs;
    uploader.setPeriods(periods);
    QString lastMessage;
    QObject::connect(&uploader, &FirmwareUploader::messageShown,
                     [this, &lastMessage](const QString& text) {
                         endProgressLine();
                         lastMessage = text;
                         m_out << text << Qt::endl;
                     });
    QObject::connect(&uploader, &FirmwareUploader::uploadProgressChanged,
                     [this](int percent) { showProgress(QStringLiteral("Upload "), percent); });
    QObject::connect(&uploader, &FirmwareUploader::restartProgressChanged,
                     [this](int percent) { showProgress(QStringLiteral("Restart"), percent); });
    bool finished = false;
    bool success = false;
    QObject::connect(&uploader, &FirmwareUploader::uploadFinished, [&](bool succeeded) {
        finished = true;
        success = succeeded;
    });
    uploader.start();
    uploader.upload(file);
    if (!CliLink::waitUntil([&finished] { return finished; }, kUploadBoundMs) || !success) {
        uploader.abort();
        return failure(QStringLiteral("The upload of %1 failed: %2")
                           .arg(QFileInfo(file).fileName(), lastMessage));
    }
    endProgressLine();
    if (!backupFile.isEmpty() && !restoreFrom(backupFile)) {
        return kFailure;
    }
    return 0;
}

int CliRunner::recordSeconds() const {
    bool ok = false;
    const int seconds = m_parser.value(m_seconds).toInt(&ok);
    return ok && seconds > 0 && seconds <= kMaxRecordSeconds ? seconds : 0;
}

int CliRunner::record(const QString& file) {
    const int seconds = recordSeconds();
    QFile probe(file);
    if (!probe.open(QIODevice::WriteOnly)) {
        return failure(QStringLiteral("Cannot write %1: %2").arg(file, probe.errorString()));
    }
    probe.close();
    SillyLogger& logger = *SillyLogger::instance();
    const quint8 filter = logger.filter();
    logger.stop();
    logger.setLevel(kRecordLevel);
    logger.start(file);
    // The replay reads the controller's description from the first line.
    TLOG(SillyLogger::Debug, m_link->provider().info()->toText());
    SetOperations& operations = m_link->operations();
    operations.setDesiredMonitorEdgeAB(true);
    operations.setMonitorEdgeAB();
    CliLink::waitUntil([] { return false; }, seconds * kMsPerSecond);
    operations.setDesiredMonitorEdgeAB(false);
    operations.setMonitorEdgeAB();
    const bool stopped =
        CliLink::waitUntil([&operations] { return operations.pendingPasses() == 0; },
                           m_timings.attempts * m_timings.answerWaitMs);
    logger.stop();
    logger.setFilter(filter);
    if (!stopped) {
        return failure(QStringLiteral("Recorded %1, but the controller did not stop its edge "
                                      "stream.")
                           .arg(file));
    }
    m_out << QStringLiteral("Recorded %1 s of traffic to %2.").arg(seconds).arg(file) << Qt::endl;
    return 0;
}
