#include "LogReplayer.h"

#include "logging/LogMacros.h"

namespace {
const QString kProviderName = QStringLiteral("LogReplayer");
const QString kDataTag = QStringLiteral("[D]");
const QString kDeviceInfoMarker = QStringLiteral("DID");
const QString kReceivedMarker = QStringLiteral("getData");
const QString kHexMarker = QStringLiteral(" Hex Data: ");

// "<tag>{<20 characters of elapsed ms>}" at the start of every record.
constexpr int kStampOpen = 3;
constexpr int kStampDigits = 20;
constexpr int kStampClose = kStampOpen + kStampDigits + 1;
constexpr int kHexPairLength = 2;
constexpr int kHexBase = 16;

int hexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}
}  // namespace

LogReplayer::LogReplayer(QObject* parent) : DeviceIoDataProvider(parent) {}

LogReplayer::~LogReplayer() {
    m_file.close();
}

QString LogReplayer::name() const {
    return kProviderName;
}

bool LogReplayer::deviceConnect(const QString& path, int, int) {
    close();
    m_fileName = path;
    m_info.reset();
    if (path.isEmpty() || !QFile::exists(path)) {
        TLOG_WARNING(QStringLiteral("Replay log %1 does not exist.").arg(path));
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        TLOG_WARNING(QStringLiteral("Replay log %1 cannot be read.").arg(path));
        return false;
    }
    startReplay(&m_file);
    return true;
}

bool LogReplayer::replay(QIODevice* log) {
    close();
    m_info.reset();
    if (log == nullptr || !log->isReadable()) {
        return false;
    }
    startReplay(log);
    return true;
}

void LogReplayer::startReplay(QIODevice* log) {
    m_log = log;
    m_skippedMs = 0;
    readNextDeliverable();
    m_clock.start();
}

void LogReplayer::skipAhead(int ms) {
    if (m_clock.isValid() && ms > 0) {
        m_skippedMs += ms;
    }
}

void LogReplayer::closeLog() {
    m_file.close();
    m_log = nullptr;
}

bool LogReplayer::close() {
    m_completed = false;
    m_clock.invalidate();
    closeLog();
    resetEntries();
    return true;
}

bool LogReplayer::reconnect() {
    close();
    return deviceConnect(m_fileName, 0, 0);
}

const DeviceInfoData* LogReplayer::info() const {
    return m_info.has_value() ? &m_info.value() : nullptr;
}

qint64 LogReplayer::replayElapsedMs() const {
    return m_clock.isValid() ? m_clock.elapsed() + m_skippedMs : -1;
}

QList<QByteArray> LogReplayer::getData() {
    if (m_log == nullptr) {
        return {};
    }
    if (m_entryKind == EntryKind::None) {
        // Start of the replay, after an information line, or after the last entry.
        if (m_log->atEnd()) {
            finish();
            return {};
        }
        readNextDeliverable();
        return {};
    }
    const qint64 elapsed = replayElapsedMs();
    QList<QByteArray> reports;
    while (m_entryKind != EntryKind::None && elapsed >= 0 && elapsed > m_pendingTimestamp &&
           reports.size() < kMaxEntriesPerPoll) {
        decodeData();
        if (m_entryKind == EntryKind::Other) {
            emit message(m_entryLine);
        }
        reports.append(m_decoded);
        // Completion waits for the next call: the dispatcher drops the reports of the
        // call that reports completion, and this one may carry the log's last report.
        readNextDeliverable();
    }
    return reports;
}

void LogReplayer::readNextDeliverable() {
    do {
        readNextEntry();
        classifyEntry();
    } while (m_entryKind == EntryKind::None && !m_pendingLine.isEmpty());
}

// The next line without its line end; false at the end of the file. A line longer than
// kMaxLineLength is consumed and given as an empty line.
bool LogReplayer::readLine(QString* line) {
    line->clear();
    if (m_log->atEnd()) {
        return false;
    }
    // QIODevice::readLine() stops one byte short of the buffer: this one takes the longest
    // line allowed, its line end, or one byte too many.
    QByteArray bytes(kMaxLineLength + 2, '\0');
    const qint64 read = m_log->readLine(bytes.data(), bytes.size());
    if (read <= 0) {
        return false;
    }
    bytes.truncate(static_cast<int>(read));
    const bool ended = bytes.endsWith('\n');
    if (ended) {
        bytes.chop(1);
    }
    if (bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    if (bytes.size() > kMaxLineLength) {
        TLOG_WARNING(
            QStringLiteral("Skipping a replayed line longer than %1 bytes.").arg(kMaxLineLength));
        if (!ended) {
            skipRestOfLine();
        }
        return true;
    }
    *line = QString::fromLocal8Bit(bytes);
    return true;
}

// Reads and drops what is left of an over-long line, piece by piece.
void LogReplayer::skipRestOfLine() {
    QByteArray piece(kMaxLineLength + 1, '\0');
    while (!m_log->atEnd()) {
        const qint64 read = m_log->readLine(piece.data(), piece.size());
        if (read <= 0 || piece.at(static_cast<int>(read) - 1) == '\n') {
            return;
        }
    }
}

void LogReplayer::readNextEntry() {
    m_pendingLine.clear();
    QString line;
    while (readLine(&line)) {
        if (line.size() <= kStampClose || line.at(kStampOpen) != QLatin1Char('{') ||
            line.at(kStampClose) != QLatin1Char('}')) {
            continue;
        }
        bool ok = false;
        const qint64 stamp = line.mid(kStampOpen + 1, kStampDigits).trimmed().toLongLong(&ok);
        if (!ok) {
            continue;
        }
        m_pendingLine = line;
        m_pendingTimestamp = stamp;
        return;
    }
}

void LogReplayer::classifyEntry() {
    m_entryKind = EntryKind::None;
    m_entryLine.clear();
    if (m_pendingLine.isEmpty()) {
        return;
    }
    const bool dataTag = m_pendingLine.startsWith(kDataTag);
    if (dataTag && m_pendingLine.contains(kDeviceInfoMarker)) {
        m_info = DeviceInfoData::fromText(m_pendingLine);
        if (!m_info.has_value()) {
            TLOG_WARNING(QStringLiteral("Unreadable device information: %1").arg(m_pendingLine));
        } else if (m_info->inputLength < kMinInputLength) {
            TLOG_WARNING(QStringLiteral("Device information refused, input length %1 is below "
                                        "a whole report of %2 bytes.")
                             .arg(m_info->inputLength)
                             .arg(kMinInputLength));
            m_info.reset();
        }
        return;
    }
    m_entryKind =
        (dataTag && m_pendingLine.contains(kReceivedMarker)) ? EntryKind::Data : EntryKind::Other;
    m_entryLine = m_pendingLine;
}

void LogReplayer::decodeData() {
    m_decoded.clear();
    if (m_entryKind != EntryKind::Data) {
        return;
    }
    const int marker = m_entryLine.indexOf(kHexMarker);
    if (marker < 0) {
        return;
    }
    // Trailing blanks (a stray "\r" of a foreign line end) are not data.
    const QString hex = m_entryLine.mid(marker + kHexMarker.size()).trimmed();
    bool malformed = false;
    for (int i = 0; i + kHexPairLength <= hex.size(); i += kHexPairLength) {
        const int high = hexDigit(hex.at(i));
        const int low = hexDigit(hex.at(i + 1));
        if (high < 0 || low < 0) {
            malformed = true;
            m_decoded.append('\0');
            continue;
        }
        m_decoded.append(static_cast<char>(high * kHexBase + low));
    }
    if (malformed || hex.size() % kHexPairLength != 0) {
        TLOG_WARNING(QStringLiteral("Malformed hex data in replayed line: %1").arg(m_entryLine));
    }
}

void LogReplayer::finish() {
    m_completed = true;
    m_clock.invalidate();
    closeLog();
}

void LogReplayer::resetEntries() {
    m_pendingTimestamp = 0;
    m_pendingLine.clear();
    m_entryKind = EntryKind::None;
    m_entryLine.clear();
    m_decoded.clear();
}
