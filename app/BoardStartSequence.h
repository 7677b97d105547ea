#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class CompareFirmwareVersions;
class ConnectionWatcher;
class DeviceEventDispatcher;
class DeviceIoDataProvider;
class MainBreadcrumbedWindow;
class MiscFiles;
class ResponseDelegateCurrentParameters;
class SetOperations;

// What happens between the controller's first answer and a usable main window: the board
// start, the firmware check with its upgrade offer, and the first-run wizard.
//
// The chain and what each step waits for:
//   FirstBlock      the first current-parameters block (get-parameters)
//   WireCounts      edge reports of both arrays, for the split type (edge monitoring on)
//   FirmwareHeader  the firmware header (header get)
//   VersionCheck    the end of a soft reset in progress, then the comparison and offer
// Every step waits a bounded time for its answer and asks again a few times. A step that
// cannot complete is logged and given up, and what depends on it is skipped: without
// the first block the window is made usable as it is (a late block still starts the
// board); without edge data the split type stays unknown (the header is still read, no
// file matches); without a header or while a soft reset never ends nothing is offered.
// Either way the window comes up.
//
// While the controller is away the waits stand still. The provider's plug and unplug
// signals are followed from the start: a controller lost before the board has started is
// looked for every rescanWhileLostMs and, once the provider has it again, the chain
// starts over from the first block.
class BoardStartSequence : public QObject {
    Q_OBJECT
public:
    enum class Step { FirstBlock, WireCounts, FirmwareHeader, VersionCheck, Done };

    // One step: how long each request waits for its answer, and how many requests it makes.
    struct StepWait {
        int waitMs;
        int tries;
    };
    struct Timings {
        StepWait firstBlock{1000, 3};
        StepWait wireCounts{1500, 3};
        StepWait firmwareHeader{1000, 3};
        StepWait versionCheck{5000, 4};
        int rescanWhileLostMs = 200;
        // From an accepted offer to the upload dialog.
        int firmwareUpdateDelayMs = 1000;
        // The firmware check's poll while a soft reset is reported.
        int softResetPollMs = 300;
    };

    BoardStartSequence(MainBreadcrumbedWindow* window, DeviceEventDispatcher* dispatcher,
                       SetOperations* operations, ConnectionWatcher* watcher, MiscFiles* miscFiles);

    // Asks for the first parameter block (twice when the filters were configured before;
    // otherwise the defaults are loaded and saved instead of the second request).
    void requestFirstParameters();
    // Normal mode: starts the chain on the controller's first block and follows the
    // provider. A provider that replays a log has nothing to wait for: the window is made
    // usable at once.
    void watchBoardStart();
    // Tests shorten the waits; a wait in progress restarts with its new length.
    void setTimings(const Timings& timings);

    Step step() const { return m_step; }
    bool isBoardStarted() const { return m_boardStarted; }
    // nullptr until the board has started.
    CompareFirmwareVersions* firmwareCheck() const { return m_firmwareCheck; }
    // Links the watcher's (never emitted) sigConnected() to the firmware check.
    void connectWatcherToFirmwareCheck();

signals:
    // The board has started (after the firmware check was set going).
    void boardStarted();

public slots:
    void boardStartOperations();
    void showCompatibilityMessage(bool flag, QString fileName);
    void showFirstRunWizard();
    void sheduleFirstRunFirmwareUpdate();

private slots:
    void onStepTimeout();
    void onDevicePlugged();
    void onDeviceUnplugged();

private:
    void beginStep(Step step);
    void requestStep();
    void giveUpStep();
    const StepWait& waitOf(Step step) const;
    bool isLiveDevice() const;
    ResponseDelegateCurrentParameters* parameters() const;
    void queueParametersRequest();
    void startFirmwareVersionCheck();
    void connectVersionQueryToFirstRunWizard();
    void connectWatcherToConnectionSlots();

    MainBreadcrumbedWindow* m_window;
    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    ConnectionWatcher* m_watcher;
    MiscFiles* m_miscFiles;
    QPointer<DeviceIoDataProvider> m_provider;
    CompareFirmwareVersions* m_firmwareCheck = nullptr;
    Timings m_timings;
    Step m_step = Step::FirstBlock;
    int m_tries = 0;
    bool m_boardStarted = false;
    bool m_deviceLost = false;
    QTimer m_stepTimer;
    QTimer m_rescanTimer;
};
