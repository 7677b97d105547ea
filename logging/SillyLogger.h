#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTextStream>

// The application log. One text file; each record is
//   <tag>{<elapsed ms, right-aligned in 20 columns>} <text>\r\n\n
// The same format is what the log replayer reads back.
//
// Message types are single bits (a filter bit each):
//   1 raw traffic "[D]", 2 critical "[C]", 4 warning "[W]", 8 information "[I]",
//   16 reserved "[L]", 32 function trace "[F]". Any other value is tagged "[ ]" and
//   passes when any of its bits passes the filter.
class SillyLogger : public QObject {
    Q_OBJECT
public:
    enum MessageType : quint8 {
        Debug = 1,
        Critical = 2,
        Warning = 4,
        Information = 8,
        Reserved = 16,
        FunctionTrace = 32,
    };

    // The single logger, created on first use and never destroyed.
    static SillyLogger* instance();

    // True when a message of this type would pass the filter. Callers use it to skip
    // building texts that would be discarded.
    bool accepts(quint8 type) const { return (m_filter & type) != 0; }

    // The tag written in front of a message of the given type ("[ ]" for other values).
    static QString tagFor(quint8 type);

    // Logs "In Function <signature>: <text>" through logMessageSignal.
    void logFrom(quint8 type, const char* signature, const QString& text);

signals:
    void logMessageSignal(quint8 f, QString s);

public slots:
    // (Re)opens the log file named exactly filePrefix (no folder or extension added).
    // Nothing is opened while the filter is 0 or the name is empty.
    void start(QString filePrefix = QString());
    void stop();
    void setFilter(quint8 filter);
    quint8 filter();
    // Filter = (level - 1) | level, truncated to 8 bits; level 0 enables everything.
    void setLevel(quint8 level);
    // Writes one record; false when the type is filtered out or no file is open.
    bool logMessage(quint8 type, QString s);

private:
    SillyLogger();
    void closeFile();

    quint8 m_filter = 0;
    QFile m_file;
    QTextStream m_stream;
    QElapsedTimer m_clock;
};
