#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include "sim/SimFingerScript.h"
#include "sim/SimFirmwareStore.h"
#include "sim/SimMalformedReports.h"
#include "sim/SimParameterBlock.h"
#include "sim/SimScenario.h"
#include "sim/SimSensorModel.h"

// A stand-in for the touch controller board, answering the host's requests from its own
// model of the parameter blocks, streams and firmware memory. It runs on the event loop
// of the thread that owns it (timers only, no threads); VirtualHidApi puts it on a
// simulated USB bus under the HID provider.
//
// Requests arrive as output reports (report id, packet index, opcode, payload); answers
// and streams leave as 61-byte input reports through reportSent(). An answer leaves
// `latencyMs` after its request and carries the request's packet index as its frame
// byte; stream reports carry a running counter there.
class VirtualController : public QObject {
    Q_OBJECT
public:
    using Scenario = SimScenario;

    // Opcodes the board understands.
    static constexpr quint8 kOpSoftReset = 1;
    static constexpr quint8 kOpGetVersion = 2;
    static constexpr quint8 kOpGetCopyright = 3;
    static constexpr quint8 kOpSetParameters = 4;
    static constexpr quint8 kOpGetParameters = 5;
    static constexpr quint8 kOpSaveToFlash = 6;
    static constexpr quint8 kOpLoadFromFlash = 7;
    static constexpr quint8 kOpLoadDefaults = 8;
    static constexpr quint8 kOpEraseFlash = 9;
    static constexpr quint8 kOpCalibration3 = 14;
    static constexpr quint8 kOpSetFilter = 18;
    static constexpr quint8 kOpGetFilter = 19;
    static constexpr quint8 kOpStoreClear = 20;
    static constexpr quint8 kOpStoreIsClear = 21;
    static constexpr quint8 kOpHeaderSet = 22;
    static constexpr quint8 kOpHeaderGet = 23;
    static constexpr quint8 kOpItemSet = 24;
    static constexpr quint8 kOpItemGet = 25;
    static constexpr quint8 kOpUpdateIsReady = 26;
    static constexpr quint8 kOpUpdatePerform = 27;
    static constexpr quint8 kOpSetZoneA = 31;
    static constexpr quint8 kOpSetZoneB = 32;
    static constexpr quint8 kOpGetZoneA = 33;
    static constexpr quint8 kOpGetZoneB = 34;
    static constexpr quint8 kOpSetTracker = 35;
    static constexpr quint8 kOpGetTracker = 36;

    // Output report layout: report id, packet index, opcode, payload.
    static constexpr int kRequestIndex = 1;
    static constexpr int kRequestOpcode = 2;

    explicit VirtualController(QObject* parent = nullptr);
    explicit VirtualController(const SimScenario& scenario, QObject* parent = nullptr);

    // Makes a new board of the scenario (factory flash, firmware and calibration), puts
    // it on the bus and restarts the scenario clock.
    void setScenario(const SimScenario& scenario);
    const SimScenario& scenario() const { return m_scenario; }
    // Milliseconds since the scenario was applied.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // Bus side. A report is taken when the board is on the bus (a silent board takes it
    // and ignores it); it is padded with zeros to the output report length.
    bool isOnBus() const { return m_onBus; }
    bool receiveReport(const QByteArray& report);

    // Live controls for tests and demonstrations.
    void touchDown(int a, int b);
    void liftFinger();
    // Queues a tap of the scripted finger: it touches at (a, b) for `samples` reports of
    // the untracked-finger stream (which runs while peak monitoring is on), then lifts;
    // samples -1 never lifts. Taps queued together follow one another.
    void tap(int a, int b, int samples);
    // Taps not yet finished.
    int pendingTaps() const { return m_fingerScript.pending(); }
    void unplug();
    void replug();
    // Breaks every handle open on the host while the board stays on the bus.
    void invalidateHandles();
    void setSilent(bool silent);
    bool isSilent() const { return m_silent; }
    void setLatencyMs(int ms) { m_scenario.latencyMs = qMax(0, ms); }
    void setSoftResetMs(int ms) { m_scenario.softResetMs = qMax(0, ms); }

    // Inspection: the parameters report the board would send now (60 bytes from the
    // frame byte; frame byte 0), the stored calibration, the firmware memory.
    QByteArray parameterBlock() const;
    // The same for the block last saved to flash (what the board starts with).
    QByteArray savedParameterBlock() const;
    QByteArray calibrationData() const { return m_calibration; }
    const SimFirmwareStore& firmware() const { return m_firmware; }
    bool isSoftResetActive() const { return m_softReset; }
    bool isTouched() const { return m_sensor.isTouched(); }
    // Malformed reports sent so far (scenario keys malformedAt, malformedFor, malformedEvery).
    int malformedReportCount() const { return m_malformed.sentCount(); }

signals:
    void reportSent(const QByteArray& report);
    void busPresenceChanged(bool onBus);
    void handlesInvalidated();
    void requestReceived(int opcode);

private:
    struct Request {
        quint8 index = 0;
        quint8 opcode = 0;
        QByteArray command;  // opcode first, payload after it
    };
    struct Pending {
        qint64 dueMs = 0;
        QByteArray report;
    };
    // Everything the board keeps in RAM and saves to flash.
    struct Settings {
        SimParameterBlock parameters;
        QByteArray filter;
        QByteArray tracker;
        QByteArray zoneA;
        QByteArray zoneB;
    };
    using Handler = void (VirtualController::*)(const Request&);

    void setUpTimers();
    Settings factorySettings() const;
    void powerUp();
    void leaveBus();
    void armScenarioEvents();
    void refreshStatus();
    void updateStreams();
    void startSoftReset();
    void endSoftReset();

    void answer(const Request& request, const QByteArray& report);
    void sendDueAnswers();
    void emitStream(const QByteArray& report);
    quint8 nextStreamFrame() { return m_streamFrame++; }

    void onSoftReset(const Request& request);
    void onGetVersion(const Request& request);
    void onGetCopyright(const Request& request);
    void onSetParameters(const Request& request);
    void onGetParameters(const Request& request);
    void onSaveToFlash(const Request& request);
    void onLoadFromFlash(const Request& request);
    void onLoadDefaults(const Request& request);
    void onEraseFlash(const Request& request);
    void onCalibration(const Request& request);
    void onSetFilter(const Request& request);
    void onGetFilter(const Request& request);
    void onSetTracker(const Request& request);
    void onGetTracker(const Request& request);
    void onSetZone(const Request& request);
    void onGetZone(const Request& request);
    void onStoreClear(const Request& request);
    void onStoreIsClear(const Request& request);
    void onHeaderSet(const Request& request);
    void onHeaderGet(const Request& request);
    void onItemSet(const Request& request);
    void onItemGet(const Request& request);
    void onUpdateIsReady(const Request& request);
    void onUpdatePerform(const Request& request);
    void finishCommit();

    void streamEdges();
    void streamScanLines();
    void streamScanArea();
    void streamDiagnostics();
    void streamFinger();
    void playScript();

    static Handler handlerFor(quint8 opcode);
    static bool isCalibrationSound(const QByteArray& records);
    static quint8 firmwareAnswerCode(quint8 opcode);

    SimScenario m_scenario;
    SimSensorModel m_sensor;
    SimFirmwareStore m_firmware;
    SimMalformedReports m_malformed;
    SimFingerScript m_fingerScript;
    Settings m_ram;
    Settings m_flash;
    QByteArray m_calibration;
    bool m_onBus = false;
    bool m_silent = false;
    bool m_softReset = false;
    quint8 m_streamFrame = 0;
    int m_scanLine[2] = {0, 0};
    int m_tile[2] = {0, 0};
    int m_nextScriptEntry = 0;
    QList<Pending> m_pending;

    QElapsedTimer m_clock;
    QTimer m_answerTimer;
    QTimer m_softResetTimer;
    QTimer m_edgeTimer;
    QTimer m_scanTimer;
    QTimer m_scanAreaTimer;
    QTimer m_diagTimer;
    QTimer m_fingerTimer;
    QTimer m_scriptTimer;
    QTimer m_silenceTimer;
    QTimer m_plugTimer;
    QTimer m_readErrorTimer;
    QTimer m_commitTimer;
    QTimer m_returnTimer;
};
