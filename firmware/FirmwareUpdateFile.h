#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// A firmware update file (*.ovu), read and checked whole before anything is sent.
//
// The file is plain text. Two kinds of line matter, everything else (comments, blank
// lines) is skipped:
//   header  "<" then version, size and checksum, 8 hexadecimal digits each, most
//           significant digit first (at least 25 characters);
//   item    ">" then the entry number (4 hexadecimal digits) and 16 data bytes (two
//           hexadecimal digits each) (at least 37 characters).
// Characters beyond those fields are ignored. A field may also be written with a "0x"
// prefix in place of its leading digits ("0x000615").
//
// A file is accepted when it holds exactly one header line, before the first item line,
// and at least one item line, and every header and item line is complete and
// hexadecimal. Anything else is refused with the line and the reason: a cut-short line
// or a stray character is never taken as 0. Lines may end in "\n", "\r\n" or "\r"; a
// leading UTF-8 byte-order mark is skipped. Items keep the file's order.
class FirmwareUpdateFile {
public:
    static constexpr int kHeaderLineLength = 25;
    static constexpr int kItemLineLength = 37;
    static constexpr int kItemDataLength = 16;
    // The entry number is 16 bits wide, so no image has more items.
    static constexpr int kMaxItems = 65536;
    // Far above any real file (65536 items of 37 characters take 2.5 MB).
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    enum class Problem {
        None,
        NotFound,
        Folder,
        NotRegularFile,
        CannotOpen,
        TooLarge,
        TruncatedHeader,
        BadHeaderDigit,
        SecondHeader,
        ItemBeforeHeader,
        TruncatedItem,
        BadItemDigit,
        TooManyItems,
        NoHeader,
        NoItems,
    };

    struct Header {
        quint32 version = 0;
        quint32 size = 0;
        quint32 checkSum = 0;
    };

    // Reads and checks the file. False when it is refused (problem() tells why); nothing
    // of a refused file is kept.
    bool read(const QString& path);
    // Checks the given file contents as read() does after reading them.
    bool parse(const QByteArray& contents);

    bool isValid() const { return m_problem == Problem::None && !m_entries.isEmpty(); }
    Problem problem() const { return m_problem; }
    // 1-based line of the problem; 0 when it concerns the whole file.
    int problemLine() const { return m_problemLine; }
    // Why the file was refused, for the user; empty for an accepted file.
    QString problemText() const;

    Header header() const { return m_header; }
    int itemCount() const { return m_entries.size(); }
    // Entry number and the 16 data bytes of item i (0 <= i < itemCount()).
    quint16 itemEntry(int i) const { return m_entries.at(i); }
    QByteArray itemData(int i) const { return m_data.mid(i * kItemDataLength, kItemDataLength); }
    // Lines of the file, and lines after the last item line.
    int totalLines() const { return m_totalLines; }
    int linesAfterLastItem() const { return m_totalLines - m_lastItemLine; }

private:
    void clear();
    bool refuse(Problem problem, int line = 0);
    bool takeLine(const QByteArray& contents, int begin, int end, int lineNumber);
    bool takeHeader(const char* line, int length, int lineNumber);
    bool takeItem(const char* line, int length, int lineNumber);

    Problem m_problem = Problem::NoHeader;
    int m_problemLine = 0;
    QString m_systemError;
    bool m_hasHeader = false;
    Header m_header;
    QVector<quint16> m_entries;
    QByteArray m_data;
    int m_totalLines = 0;
    int m_lastItemLine = 0;
};
