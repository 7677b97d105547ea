#pragma once

#include <QByteArray>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "firmware/FirmwareRequestRecords.h"
#include "firmware/FirmwareUpdateFile.h"

class DeviceEventDispatcher;
class DeviceIoDataProvider;
class ResponseDelegateFirmwareUpdate;

// Uploads a firmware update file to the controller through the dispatcher, headless: the
// upload dialog shows what it reports, and a command-line front end can do the same.
//
// Five sequences, one at a time, each a chain of steps run when an answer arrives:
//   1 Current   read the firmware header and the download area (on start());
//   2 Clear     clear the download area;
//   3 Download  write the header, read it back, write every item;
//   4 Test      ask whether the staged image is ready;
//   5 Commit    commit it, wait for the controller to restart and come back, and read
//               its header again to check that it runs the uploaded image.
// Every request is answered within its countdown of ticks or the upload stops and says
// which step failed. The file is read and checked whole before anything is sent.
//
// While a file is transferred the dispatcher sends every 3 ms and polls every 1 ms; while
// the controller restarts the provider scans every 250 ms. Both are restored on every
// exit: success, failure, abort() and destruction.
//
// Messages: messageShown() carries the lines for the user; everything is also logged.
class FirmwareUploader : public QObject {
    Q_OBJECT
public:
    enum Sequence { NoSequence = 0, Current = 1, Clear = 2, Download = 3, Test = 4, Commit = 5 };

    // Every delay, in ticks of tickMs; tests shorten the tick or drive tick() themselves.
    struct Periods {
        int tickMs = 1000;         // 0: no timer of its own, the owner calls tick()
        int answerTicks = 4;       // wait for an answer
        int storeClearTicks = 10;  // wait for the download area to be cleared
        int returnTicks = 60;      // wait for the restarted controller before saying so
        int headerAttempts = 3;    // header reads after the return before giving up
    };

    static constexpr int kUploadQueueMs = 3;
    static constexpr int kUploadResponseMs = 1;
    static constexpr int kRestartRescanMs = 250;
    static constexpr int kDefaultRescanMs = 50000;
    static constexpr int kRestartBarStart = 50;
    static constexpr int kRestartBarReady = 25;
    static constexpr int kRestartBarCeiling = 95;
    static constexpr int kRestartBarBack = 96;
    static constexpr int kProgressDone = 100;

    explicit FirmwareUploader(DeviceEventDispatcher* dispatcher, QObject* parent = nullptr);
    // Restores the pacing and the scan period if an upload was running.
    ~FirmwareUploader() override;

    void setPeriods(const Periods& periods);
    const Periods& periods() const { return m_periods; }

    // Reads the controller's current state (sequence 1) and starts the tick.
    void start();
    // Checks the file and uploads it. When the current state is still being read, the
    // upload starts right after. False, with the reason shown, when the file is refused or
    // an upload is already running; nothing is sent then.
    bool upload(const QString& fileName);
    // Stops whatever runs and restores everything at once (the dialog closes).
    void abort();

    int sequence() const { return m_sequence; }
    int step() const { return m_step; }
    // True while an upload runs (from the accepted file to its success or failure).
    bool isUploading() const { return m_uploading; }
    // True while the current state is read or an upload runs: no file can be chosen.
    bool isBusy() const { return m_sequence != NoSequence || m_uploading; }
    int uploadProgress() const { return m_uploadProgress; }
    int restartProgress() const { return m_restartProgress; }
    bool isPacingFast() const { return m_pacingFast; }
    bool isWaitingForReturn() const { return m_waitingForReturn; }
    const FirmwareUpdateFile& file() const { return m_file; }
    const HeaderGetParamsType& headerRecord() const { return m_headerGet; }

    // "hh:mm:ss:ms text", the way the dialog shows a line (milliseconds not padded).
    static QString timestamped(const QString& text);

signals:
    // A line for the user.
    void messageShown(const QString& text);
    void uploadProgressChanged(int percent);
    void restartProgressChanged(int percent);
    // Whether a file may be chosen now.
    void fileChoiceAllowed(bool allowed);
    // An upload ended: verified success, or a failure that was shown (a refused file
    // included).
    void uploadFinished(bool success);

public slots:
    // The 1 s tick: counts down the wait for an answer and moves the restart bar.
    void tick();

    void DoneStoreClear();
    void DoneStoreIsClear();
    void DoneHeaderSetParams();
    void DoneHeaderGetParams();
    void DoneItemsSetParams();
    void DoneItemGetParams();
    void DoneUpdateIsReady();
    void DoneUpdatePerform();
    void SequenceUpdate();
    // The restarted controller is back on the bus.
    void slotConnected();

private:
    void PrintWord(const QString& text, bool show);
    void show(const QString& text) { PrintWord(text, true); }
    void log(const QString& text) { PrintWord(text, false); }

    void SequenceStart(int sequence);
    void SequenceStop();
    void TimerStart(int ticks);
    void TimerStop();
    bool TimerIsBusy() const { return m_countdown > 0; }
    void SequenceAlarm();

    void SequenceUpdateCurrent();
    void SequenceUpdateClear();
    void SequenceUpdateDownload();
    void SequenceUpdateTest();
    void SequenceUpdateCommit();

    void DoStoreClear();
    void DoStoreIsClear();
    void DoHeaderGetParams();
    void DoHeaderSetParams(quint32 version, quint32 size, quint32 checkSum);
    void DoItemsSetParams(int index);
    void DoUpdateIsReady();
    void DoUpdatePerform();

    // False, with a message, when there is no dispatcher or no firmware-update delegate.
    bool hasLink();
    void beginUpload();
    void sendNextItemOrTest();
    void showItemProgress(int acknowledged);
    void showRunningState();
    void finishCurrentState();
    void waitForReturn(const QString& reason);
    void verifyReturnedFirmware();
    bool runsUploadedFirmware() const;
    void succeed();
    void fail(const QString& text);
    QString pendingRequestName() const;
    void onDeviceUnplugged();

    void setUploadProgress(int percent);
    void setRestartProgress(int percent);
    void setPacingFast(bool fast);
    void setRestartRescan(bool fast);
    void followProvider(bool follow);
    void restoreLink();
    // Keeps the last firmware answer as the template of the next header or item set.
    void keepTemplate();

    QPointer<DeviceEventDispatcher> m_dispatcher;
    QPointer<ResponseDelegateFirmwareUpdate> m_delegate;
    QPointer<DeviceIoDataProvider> m_provider;
    QMetaObject::Connection m_pluggedConnection;
    QMetaObject::Connection m_unpluggedConnection;
    Periods m_periods;
    QTimer m_tickTimer;

    int m_sequence = NoSequence;
    int m_step = 0;
    int m_countdown = 0;
    StoreClearType m_storeClear;
    StoreIsClearType m_storeIsClear;
    HeaderGetParamsType m_headerGet;
    HeaderSetParamsType m_headerSet;
    ItemGetParamsType m_itemGet;
    ItemSetParamsType m_itemSet;
    UpdateIsReadyType m_updateIsReady;
    UpdatePerformType m_updatePerform;
    QByteArray m_template;

    FirmwareUpdateFile m_file;
    QString m_deferredFileName;
    int m_nextItem = 0;
    bool m_uploading = false;
    bool m_committed = false;
    bool m_waitingForReturn = false;
    bool m_sawLeave = false;
    int m_returnTicks = 0;
    int m_headerAttempts = 0;
    int m_uploadProgress = 0;
    int m_restartProgress = 0;
    bool m_pacingFast = false;
    bool m_restartRescan = false;
    int m_savedRescanMs = kDefaultRescanMs;
};
