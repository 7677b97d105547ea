#pragma once

#include <QElapsedTimer>
#include <QFile>

#include <optional>

#include "device/DeviceIoDataProvider.h"

// A provider that plays back a log written by this tool's logger instead of reading a
// device. Each recorded incoming report ("[D]" line of the HID provider's getData with
// " Hex Data: ") is returned by getData() once the replay has run longer than the
// line's recorded milliseconds; other stamped lines are emitted through message() at
// their time (each gives an empty report); a "[D]" line holding the "DID" text form sets
// info(). One call hands over every entry that has fallen due (at most
// kMaxEntriesPerPoll), so a log denser than the caller's polls never falls behind its
// schedule. Information lines at the start of the log are read when it is opened, so
// info() names the recorded device from the moment of connecting. The poll after the
// last entry finds the log exhausted: isCompleted() turns true and the file closes
// (never in the same poll that hands over a report, so the dispatcher, which drops the
// reports of the completing poll, loses none).
//
// Line format read: tag in characters 0..2, "{" at 3, the elapsed milliseconds
// right-aligned in characters 4..23, "}" at 24. Records may end in "\r\n\n" or
// "\r\n\r\n"; the signature text may be that of any compiler. Lines without a valid
// stamp are skipped, a hex pair that does not parse gives a zero byte. A line longer
// than kMaxLineLength bytes is not read into memory but skipped whole, with a warning.
// A device-information line whose input length is below a whole report (61 bytes:
// report id and the 60-byte packet) is refused, so packets are cut at 61 bytes as if
// the log had none.
class LogReplayer : public DeviceIoDataProvider {
    Q_OBJECT
public:
    // Longer than any record of the logger: a received line of a 4095-byte report with
    // the longest signature stays below 9 KiB.
    static constexpr int kMaxLineLength = 16384;
    // Least input length a device-information line may give.
    static constexpr quint32 kMinInputLength = 61;
    // Entries handed over by one getData() at most (a replay skipped far ahead catches up
    // over several polls).
    static constexpr int kMaxEntriesPerPoll = 1024;

    explicit LogReplayer(QObject* parent = nullptr);
    ~LogReplayer() override;

    QString name() const override;
    bool isDevicePresent() override { return true; }
    bool isWatchDogNeeded() const override { return false; }
    bool isReadFromDevice() const override { return false; }
    bool isCompleted() const override { return m_completed; }
    bool isRescanSuspended() override { return m_rescanSuspended; }
    void setRescanSuspended(bool suspended) override { m_rescanSuspended = suspended; }
    // Opens the log named path (vid and pid are ignored) and starts the replay clock.
    // False when the file does not exist or cannot be read.
    bool deviceConnect(const QString& path, int vid, int pid) override;
    // Replays a log that is already open for reading (the replayer does not own it and
    // only lets go of it when done). False when it is null or not readable.
    bool replay(QIODevice* log);
    // Clears the completed flag, stops the clock and closes the log. Always true.
    bool close() override;
    bool reconnect() override;
    bool rescan() override { return true; }
    bool setRescanInterval(int) override { return false; }
    QList<QByteArray> getData() override;
    // Moves the replay ms ahead of its recorded schedule; the entries passed over are
    // delivered at once.
    void skipAhead(int ms);
    void sendData(QByteArray) override {}
    // The information line read from the log, or nullptr before one was read.
    const DeviceInfoData* info() const override;
    const DeviceInfoData* scannedInfo() const override { return info(); }
    QMap<int, DeviceInfoData> deviceMap() const override { return {}; }

signals:
    // A stamped line that is neither received data nor device information, at its time.
    void message(QString s);

protected:
    // Milliseconds since the replay started, or -1 while no replay runs. Tests override
    // it to drive the replay clock by hand.
    virtual qint64 replayElapsedMs() const;

private:
    enum class EntryKind { None, Data, Other };

    void startReplay(QIODevice* log);
    void closeLog();
    bool readLine(QString* line);
    void skipRestOfLine();
    void readNextEntry();
    void classifyEntry();
    // Reads entries until one that is not device information is pending.
    void readNextDeliverable();
    void decodeData();
    void finish();
    void resetEntries();

    QFile m_file;
    // The log being replayed: m_file, or a device given to replay(); null when none.
    QIODevice* m_log = nullptr;
    QString m_fileName;
    QElapsedTimer m_clock;
    qint64 m_skippedMs = 0;
    bool m_completed = false;
    bool m_rescanSuspended = false;
    qint64 m_pendingTimestamp = 0;
    QString m_pendingLine;
    EntryKind m_entryKind = EntryKind::None;
    QString m_entryLine;
    QByteArray m_decoded;
    std::optional<DeviceInfoData> m_info;
};
