#include "FirmwareUpdateFile.h"

#include <QFile>
#include <QFileInfo>

#include "logging/LogMacros.h"

namespace {
constexpr char kHeaderMark = '<';
constexpr char kItemMark = '>';
constexpr int kWordDigits = 8;
constexpr int kEntryDigits = 4;
constexpr int kByteDigits = 2;
constexpr int kVersionAt = 1;
constexpr int kSizeAt = kVersionAt + kWordDigits;
constexpr int kCheckSumAt = kSizeAt + kWordDigits;
constexpr int kEntryAt = 1;
constexpr int kDataAt = kEntryAt + kEntryDigits;
constexpr int kBitsPerDigit = 4;
constexpr int kBytesPerMegabyte = 1024 * 1024;
const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A field of `width` characters: hexadecimal digits only, or "0x" and digits.
bool readHexField(const char* field, int width, quint32* value) {
    int at = 0;
    if (width > kByteDigits && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
        at = 2;
    }
    quint32 result = 0;
    for (; at < width; ++at) {
        const int digit = hexDigit(field[at]);
        if (digit < 0) {
            return false;
        }
        result = (result << kBitsPerDigit) | static_cast<quint32>(digit);
    }
    *value = result;
    return true;
}
}  // namespace

void FirmwareUpdateFile::clear() {
    m_problem = Problem::None;
    m_problemLine = 0;
    m_systemError.clear();
    m_hasHeader = false;
    m_header = Header();
    m_entries.clear();
    m_data.clear();
    m_totalLines = 0;
    m_lastItemLine = 0;
}

bool FirmwareUpdateFile::refuse(Problem problem, int line) {
    m_problem = problem;
    m_problemLine = line;
    m_hasHeader = false;
    m_header = Header();
    m_entries.clear();
    m_data.clear();
    TLOG_WARNING(problemText());
    return false;
}

bool FirmwareUpdateFile::read(const QString& path) {
    clear();
    const QFileInfo info(path);
    // Only a regular file is opened: a pipe or a device could block the read or never end.
    if (!info.exists()) {
        return refuse(Problem::NotFound);
    }
    if (info.isDir()) {
        return refuse(Problem::Folder);
    }
    if (!info.isFile()) {
        return refuse(Problem::NotRegularFile);
    }
    if (info.size() > kMaxFileBytes) {
        return refuse(Problem::TooLarge);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_systemError = file.errorString();
        return refuse(Problem::CannotOpen);
    }
    // The file may grow while it is being replaced; never read more than the limit.
    const QByteArray contents = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        m_systemError = file.errorString();
        return refuse(Problem::CannotOpen);
    }
    if (contents.size() > kMaxFileBytes) {
        return refuse(Problem::TooLarge);
    }
    return parse(contents);
}

bool FirmwareUpdateFile::parse(const QByteArray& contents) {
    clear();
    if (contents.size() > kMaxFileBytes) {
        return refuse(Problem::TooLarge);
    }
    int begin = contents.startsWith(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
    const int size = contents.size();
    int lineNumber = 0;
    while (begin < size) {
        int end = begin;
        while (end < size && contents.at(end) != '\n' && contents.at(end) != '\r') {
            ++end;
        }
        ++lineNumber;
        if (!takeLine(contents, begin, end, lineNumber)) {
            return false;
        }
        const bool crLf =
            end + 1 < size && contents.at(end) == '\r' && contents.at(end + 1) == '\n';
        begin = end + (crLf ? 2 : 1);
    }
    m_totalLines = lineNumber;
    if (!m_hasHeader) {
        return refuse(Problem::NoHeader);
    }
    if (m_entries.isEmpty()) {
        return refuse(Problem::NoItems);
    }
    return true;
}

bool FirmwareUpdateFile::takeLine(const QByteArray& contents, int begin, int end, int lineNumber) {
    const int length = end - begin;
    if (length == 0) {
        return true;
    }
    const char* line = contents.constData() + begin;
    if (line[0] == kHeaderMark) {
        return takeHeader(line, length, lineNumber);
    }
    if (line[0] == kItemMark) {
        return takeItem(line, length, lineNumber);
    }
    return true;
}

bool FirmwareUpdateFile::takeHeader(const char* line, int length, int lineNumber) {
    if (m_hasHeader) {
        return refuse(Problem::SecondHeader, lineNumber);
    }
    if (!m_entries.isEmpty()) {
        return refuse(Problem::ItemBeforeHeader, lineNumber);
    }
    if (length < kHeaderLineLength) {
        return refuse(Problem::TruncatedHeader, lineNumber);
    }
    Header header;
    if (!readHexField(line + kVersionAt, kWordDigits, &header.version) ||
        !readHexField(line + kSizeAt, kWordDigits, &header.size) ||
        !readHexField(line + kCheckSumAt, kWordDigits, &header.checkSum)) {
        return refuse(Problem::BadHeaderDigit, lineNumber);
    }
    m_header = header;
    m_hasHeader = true;
    return true;
}

bool FirmwareUpdateFile::takeItem(const char* line, int length, int lineNumber) {
    if (!m_hasHeader) {
        return refuse(Problem::ItemBeforeHeader, lineNumber);
    }
    if (length < kItemLineLength) {
        return refuse(Problem::TruncatedItem, lineNumber);
    }
    if (m_entries.size() >= kMaxItems) {
        return refuse(Problem::TooManyItems, lineNumber);
    }
    quint32 entry = 0;
    if (!readHexField(line + kEntryAt, kEntryDigits, &entry)) {
        return refuse(Problem::BadItemDigit, lineNumber);
    }
    char data[kItemDataLength];
    for (int i = 0; i < kItemDataLength; ++i) {
        quint32 value = 0;
        if (!readHexField(line + kDataAt + i * kByteDigits, kByteDigits, &value)) {
            return refuse(Problem::BadItemDigit, lineNumber);
        }
        data[i] = static_cast<char>(value);
    }
    m_entries.append(static_cast<quint16>(entry));
    m_data.append(data, kItemDataLength);
    m_lastItemLine = lineNumber;
    return true;
}

QString FirmwareUpdateFile::problemText() const {
    const QString line = QString::number(m_problemLine);
    switch (m_problem) {
        case Problem::None:
            return QString();
        case Problem::NotFound:
            return QStringLiteral("The file does not exist.");
        case Problem::Folder:
            return QStringLiteral("This is a folder, not a firmware update file.");
        case Problem::NotRegularFile:
            return QStringLiteral("This is not a regular file.");
        case Problem::CannotOpen:
            return QStringLiteral("The file cannot be read: %1").arg(m_systemError);
        case Problem::TooLarge:
            return QStringLiteral(
                       "The file is larger than %1 MB; no firmware update is that large.")
                .arg(kMaxFileBytes / kBytesPerMegabyte);
        case Problem::TruncatedHeader:
            return QStringLiteral("Line %1: the header line is cut short.").arg(line);
        case Problem::BadHeaderDigit:
            return QStringLiteral(
                       "Line %1: the header line holds a character that is not a "
                       "hexadecimal digit.")
                .arg(line);
        case Problem::SecondHeader:
            return QStringLiteral("Line %1: a second header line.").arg(line);
        case Problem::ItemBeforeHeader:
            return QStringLiteral("Line %1: an item line before the header line.").arg(line);
        case Problem::TruncatedItem:
            return QStringLiteral("Line %1: the item line is cut short.").arg(line);
        case Problem::BadItemDigit:
            return QStringLiteral(
                       "Line %1: the item line holds a character that is not a "
                       "hexadecimal digit.")
                .arg(line);
        case Problem::TooManyItems:
            return QStringLiteral("Line %1: more than %2 items.").arg(line).arg(kMaxItems);
        case Problem::NoHeader:
            return QStringLiteral("The file holds no header line (a line starting with \"<\").");
        case Problem::NoItems:
            return QStringLiteral("The file holds no item line (a line starting with \">\").");
    }
    return QString();
}
