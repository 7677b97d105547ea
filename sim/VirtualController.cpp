#include "VirtualController.h"

#include <QPoint>
#include <QtEndian>

#include <cstdlib>

#include "logging/LogMacros.h"
#include "sim/SimReport.h"

namespace {

using Array = SimSensorModel::Array;
using Block = SimParameterBlock;

// Filter set (answer code 21): eight words in the board's fixed-point code (bit 31 clear:
// value * 256; bit 31 set: 256 / (2 * low bits)).
constexpr int kFilterKalmanDeviation0 = 2;
constexpr int kFilterKalmanDeviation1 = 6;
constexpr int kFilterPFactor = 10;
constexpr int kFilterQFactor = 14;
constexpr int kFilterStabDeviation = 18;
constexpr int kFilterWarpFactor = 22;
constexpr int kFilterOrtho = 26;
constexpr int kFilterLock = 30;
constexpr quint32 kDefaultKalmanDeviation = 0x00000200;  // 2.0
constexpr quint32 kDefaultPFactor = 0x00000A00;          // 10.0
constexpr quint32 kDefaultQFactor = 0x80000100;          // 0.5
constexpr quint32 kDefaultStabDeviation = 0x00000180;    // 1.5
constexpr quint32 kDefaultWarpFactor = 0x00000100;       // 1.0
constexpr quint32 kDefaultOrtho = 0x80000200;            // 0.25
constexpr quint32 kDefaultLock = 0x00000400;             // 4.0

// Tracker set (answer code 37): three words and the parameter-layout version.
constexpr int kTrackerDeviation = 2;
constexpr int kTrackerPFactor = 6;
constexpr int kTrackerQFactor = 10;
constexpr int kTrackerParamVersion = 14;
constexpr quint32 kDefaultTrackerDeviation = 0x00000300;  // 3.0
constexpr quint32 kDefaultTrackerPFactor = 0x00000800;    // 8.0
constexpr quint32 kDefaultTrackerQFactor = 0x80000400;    // 0.125
constexpr int kFirstTrackerVersion = 1;

// Zonal coefficients: one per edge value, in 1/32 units.
constexpr char kDefaultZoneCoefficient = 32;
constexpr int kZoneRequestCount = 1;
constexpr int kZoneRequestValues = 2;

// A mutating request carries block byte k at request byte k - 1.
constexpr int kRequestToBlockShift = 1;

// Firmware requests (request bytes, opcode at 0).
constexpr int kHeaderSetVersion = 1;
constexpr int kHeaderSetSize = 5;
constexpr int kHeaderSetChecksum = 9;
constexpr int kItemRequestEntry = 1;
constexpr int kItemRequestData = 3;
// The board finishes sending its commit answer before it restarts.
constexpr int kCommitDropDelayMs = 50;

// Calibration: three records of screen x, screen y, measured A, measured B (u16 each).
constexpr int kCalibrationRecords = 3;
constexpr int kCalibrationRecordLength = 8;
constexpr int kCalibrationLength = kCalibrationRecords * kCalibrationRecordLength;
constexpr int kCalibrationPayload = 1;
constexpr int kScreenMax = 4096;
constexpr int kSensorMax = SimSensorModel::kPositionRange - 1;
// Both triangles must cover at least 1 % of their space (twice the area, as the cross
// product gives it).
constexpr qint64 kMinTwiceArea = 2LL * kScreenMax * kScreenMax / 100;
// The calibration a "calibrated" board keeps: targets at 10 % from the edges.
constexpr quint16 kStoredCalibration[kCalibrationRecords][4] = {
    {410, 410, 1000, 2000}, {3686, 410, 3000, 2000}, {410, 3686, 1000, 500}};

// Scan-area tiles: 5 rows of 10 values fit the 53 sample bytes of a report.
constexpr int kTileRowCount = 5;
constexpr int kTileColCount = 10;

int arrayIndex(Array array) {
    return array == Array::A ? 0 : 1;
}

quint32 wordAt(const QByteArray& bytes, int offset) {
    if (offset < 0 || offset + 4 > bytes.size()) {
        return 0;
    }
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 halfAt(const QByteArray& bytes, int offset) {
    if (offset < 0 || offset + 2 > bytes.size()) {
        return 0;
    }
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

void putWord(QByteArray* bytes, int offset, quint32 value) {
    if (offset < 0 || offset + 4 > bytes->size()) {
        return;
    }
    qToLittleEndian<quint32>(value, bytes->data() + offset);
}

// Block bytes 2..59 from a mutating request (opcode first); missing bytes stay.
void applyRequestToBlock(QByteArray* block, const QByteArray& command) {
    for (int k = Block::kFirstField; k < block->size(); ++k) {
        const int index = k - kRequestToBlockShift;
        if (index >= command.size()) {
            return;
        }
        (*block)[k] = command.at(index);
    }
}

qint64 twiceArea(const QPoint& p, const QPoint& q, const QPoint& r) {
    return qint64(q.x() - p.x()) * (r.y() - p.y()) - qint64(q.y() - p.y()) * (r.x() - p.x());
}

}  // namespace

VirtualController::VirtualController(QObject* parent) : VirtualController(SimScenario(), parent) {}

VirtualController::VirtualController(const SimScenario& scenario, QObject* parent)
    : QObject(parent) {
    setUpTimers();
    setScenario(scenario);
}

void VirtualController::setUpTimers() {
    for (QTimer* once : {&m_answerTimer, &m_softResetTimer, &m_scriptTimer, &m_silenceTimer,
                         &m_plugTimer, &m_readErrorTimer, &m_commitTimer, &m_returnTimer}) {
        once->setSingleShot(true);
        once->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_answerTimer, &QTimer::timeout, this, &VirtualController::sendDueAnswers);
    connect(&m_softResetTimer, &QTimer::timeout, this, &VirtualController::endSoftReset);
    connect(&m_edgeTimer, &QTimer::timeout, this, &VirtualController::streamEdges);
    connect(&m_scanTimer, &QTimer::timeout, this, &VirtualController::streamScanLines);
    connect(&m_scanAreaTimer, &QTimer::timeout, this, &VirtualController::streamScanArea);
    connect(&m_diagTimer, &QTimer::timeout, this, &VirtualController::streamDiagnostics);
    connect(&m_fingerTimer, &QTimer::timeout, this, &VirtualController::streamFinger);
    connect(&m_scriptTimer, &QTimer::timeout, this, &VirtualController::playScript);
    connect(&m_commitTimer, &QTimer::timeout, this, &VirtualController::finishCommit);
    connect(&m_returnTimer, &QTimer::timeout, this, &VirtualController::powerUp);
    connect(&m_readErrorTimer, &QTimer::timeout, this, &VirtualController::invalidateHandles);
    // A malformed report leaves like any other, only while the board talks at all.
    connect(&m_malformed, &SimMalformedReports::report, this, [this](const QByteArray& report) {
        if (m_onBus && !m_silent) {
            emit reportSent(report);
        }
    });
    connect(&m_silenceTimer, &QTimer::timeout, this, [this]() {
        const bool starting = !m_silent;
        setSilent(starting);
        if (starting && m_scenario.silenceForMs >= 0) {
            m_silenceTimer.start(m_scenario.silenceForMs);
        }
    });
    connect(&m_plugTimer, &QTimer::timeout, this, [this]() {
        if (!m_onBus) {
            replug();
            return;
        }
        unplug();
        if (m_scenario.replugAfterMs >= 0) {
            m_plugTimer.start(m_scenario.replugAfterMs);
        }
    });
}

void VirtualController::setScenario(const SimScenario& scenario) {
    if (m_onBus) {
        leaveBus();
    }
    for (QTimer* timer :
         {&m_scriptTimer, &m_silenceTimer, &m_plugTimer, &m_readErrorTimer, &m_returnTimer}) {
        timer->stop();
    }
    m_scenario = scenario;
    m_sensor.configure(scenario);
    m_fingerScript.setTaps(scenario.taps);
    m_firmware.reset(scenario.firmwareVersion, scenario.originalVersion,
                     scenario.blankRunningHeader);
    m_flash = factorySettings();
    m_calibration.clear();
    if (scenario.calibrated) {
        for (const auto& record : kStoredCalibration) {
            for (quint16 value : record) {
                m_calibration.append(char(value & 0xFF)).append(char(value >> 8));
            }
        }
        m_flash.parameters.setFlag(Block::kOutputFlags, Block::kOutputUseCalib3, true);
    }
    m_silent = false;
    m_nextScriptEntry = 0;
    m_clock.start();
    powerUp();
    armScenarioEvents();
    m_malformed.start(scenario);
}

VirtualController::Settings VirtualController::factorySettings() const {
    Settings settings;
    settings.parameters = Block::factoryDefaults(quint8(m_scenario.paramVersion));
    settings.filter = QByteArray(SimReport::kPacketLength, '\0');
    putWord(&settings.filter, kFilterKalmanDeviation0, kDefaultKalmanDeviation);
    putWord(&settings.filter, kFilterKalmanDeviation1, kDefaultKalmanDeviation);
    putWord(&settings.filter, kFilterPFactor, kDefaultPFactor);
    putWord(&settings.filter, kFilterQFactor, kDefaultQFactor);
    putWord(&settings.filter, kFilterStabDeviation, kDefaultStabDeviation);
    putWord(&settings.filter, kFilterWarpFactor, kDefaultWarpFactor);
    putWord(&settings.filter, kFilterOrtho, kDefaultOrtho);
    putWord(&settings.filter, kFilterLock, kDefaultLock);
    settings.tracker = QByteArray(SimReport::kPacketLength, '\0');
    putWord(&settings.tracker, kTrackerDeviation, kDefaultTrackerDeviation);
    putWord(&settings.tracker, kTrackerPFactor, kDefaultTrackerPFactor);
    putWord(&settings.tracker, kTrackerQFactor, kDefaultTrackerQFactor);
    settings.tracker[kTrackerParamVersion] = char(m_scenario.paramVersion);
    settings.zoneA = QByteArray(m_sensor.edgeCount(Array::A), kDefaultZoneCoefficient);
    settings.zoneB = QByteArray(m_sensor.edgeCount(Array::B), kDefaultZoneCoefficient);
    return settings;
}

void VirtualController::powerUp() {
    m_ram = m_flash;
    m_softReset = false;
    m_streamFrame = 0;
    m_scanLine[0] = m_scanLine[1] = 0;
    m_tile[0] = m_tile[1] = 0;
    refreshStatus();
    m_onBus = true;
    TLOG_INFO(QStringLiteral("Virtual controller %1:%2 is on the bus")
                  .arg(m_scenario.vendorId, 4, 16, QLatin1Char('0'))
                  .arg(m_scenario.productId, 4, 16, QLatin1Char('0')));
    emit busPresenceChanged(true);
    updateStreams();
}

void VirtualController::leaveBus() {
    m_onBus = false;
    m_softReset = false;
    m_pending.clear();
    for (QTimer* timer : {&m_answerTimer, &m_softResetTimer, &m_commitTimer}) {
        timer->stop();
    }
    updateStreams();
    TLOG_INFO(QStringLiteral("Virtual controller left the bus"));
    emit busPresenceChanged(false);
}

void VirtualController::armScenarioEvents() {
    playScript();
    if (m_scenario.silenceAtMs >= 0) {
        m_silenceTimer.start(m_scenario.silenceAtMs);
    }
    if (m_scenario.unplugAtMs >= 0) {
        m_plugTimer.start(m_scenario.unplugAtMs);
    }
    if (m_scenario.readErrorAtMs >= 0) {
        m_readErrorTimer.start(m_scenario.readErrorAtMs);
    }
}

void VirtualController::playScript() {
    const QList<SimScenario::Touch>& script = m_scenario.touches;
    while (m_nextScriptEntry < script.size() &&
           script.at(m_nextScriptEntry).atMs <= m_clock.elapsed()) {
        const SimScenario::Touch& touch = script.at(m_nextScriptEntry++);
        m_sensor.setContact(touch.down, touch.a, touch.b);
    }
    if (m_nextScriptEntry < script.size()) {
        const qint64 wait = script.at(m_nextScriptEntry).atMs - m_clock.elapsed();
        m_scriptTimer.start(int(qMax<qint64>(0, wait)));
    }
}

void VirtualController::refreshStatus() {
    Block& block = m_ram.parameters;
    const bool calibrated = !m_calibration.isEmpty();
    const bool sound = calibrated && isCalibrationSound(m_calibration);
    block.setFlag(Block::kStatus, Block::kCalibSuccess, sound);
    block.setFlag(Block::kStatus, Block::kCalibErrBadCond, calibrated && !sound);
    block.setFlag(Block::kStatus, Block::kSoftResetActive, m_softReset);
    block.setFlag(Block::kStatus, Block::kReadProtectActive, m_scenario.readProtect);
    block.setFlag(Block::kDiagFlags, Block::kWireErrorA, m_sensor.hasBrokenWire(Array::A));
    block.setFlag(Block::kDiagFlags, Block::kWireErrorB, m_sensor.hasBrokenWire(Array::B));
}

void VirtualController::updateStreams() {
    const Block& block = m_ram.parameters;
    const bool live = m_onBus && !m_silent && !m_softReset;
    auto run = [live](QTimer* timer, bool wanted, int intervalMs) {
        if (!live || !wanted || intervalMs <= 0) {
            timer->stop();
        } else if (!timer->isActive() || timer->interval() != intervalMs) {
            timer->start(intervalMs);
        }
    };
    run(&m_edgeTimer,
        block.flag(Block::kMonitorFlags1, Block::kMonitorEdgeA | Block::kMonitorEdgeB),
        m_scenario.edgeIntervalMs);
    run(&m_scanTimer,
        block.flag(Block::kMonitorFlags1, Block::kMonitorScanA | Block::kMonitorScanB),
        m_scenario.scanIntervalMs);
    run(&m_scanAreaTimer,
        block.flag(Block::kMonitorFlags2, Block::kMonitorScanAreaA | Block::kMonitorScanAreaB),
        m_scenario.scanAreaIntervalMs);
    run(&m_diagTimer, block.flag(Block::kDiagFlags, Block::kMonitorDiagA | Block::kMonitorDiagB),
        m_scenario.diagIntervalMs);
    run(&m_fingerTimer, block.flag(Block::kMonitorFlags2, Block::kMonitorPeak),
        m_scenario.fingerIntervalMs);
}

void VirtualController::startSoftReset() {
    m_softReset = true;
    refreshStatus();
    updateStreams();
    m_softResetTimer.start(m_scenario.softResetMs);
}

void VirtualController::endSoftReset() {
    m_softReset = false;
    refreshStatus();
    updateStreams();
}

bool VirtualController::receiveReport(const QByteArray& report) {
    if (!m_onBus) {
        return false;
    }
    QByteArray padded = report.left(SimReport::kWireLength);
    padded.append(QByteArray(SimReport::kWireLength - padded.size(), '\0'));
    Request request;
    request.index = static_cast<quint8>(padded.at(kRequestIndex));
    request.opcode = static_cast<quint8>(padded.at(kRequestOpcode));
    request.command = padded.mid(kRequestOpcode);
    emit requestReceived(request.opcode);
    if (m_silent || m_scenario.ignoredOpcodes.contains(request.opcode)) {
        return true;
    }
    const Handler handler = handlerFor(request.opcode);
    if (!handler) {
        TLOG_INFO(QStringLiteral("Virtual controller ignores opcode %1").arg(request.opcode));
        return true;
    }
    (this->*handler)(request);
    return true;
}

VirtualController::Handler VirtualController::handlerFor(quint8 opcode) {
    switch (opcode) {
        case kOpSoftReset:
            return &VirtualController::onSoftReset;
        case kOpGetVersion:
            return &VirtualController::onGetVersion;
        case kOpGetCopyright:
            return &VirtualController::onGetCopyright;
        case kOpSetParameters:
            return &VirtualController::onSetParameters;
        case kOpGetParameters:
            return &VirtualController::onGetParameters;
        case kOpSaveToFlash:
            return &VirtualController::onSaveToFlash;
        case kOpLoadFromFlash:
            return &VirtualController::onLoadFromFlash;
        case kOpLoadDefaults:
            return &VirtualController::onLoadDefaults;
        case kOpEraseFlash:
            return &VirtualController::onEraseFlash;
        case kOpCalibration3:
            return &VirtualController::onCalibration;
        case kOpSetFilter:
            return &VirtualController::onSetFilter;
        case kOpGetFilter:
            return &VirtualController::onGetFilter;
        case kOpSetTracker:
            return &VirtualController::onSetTracker;
        case kOpGetTracker:
            return &VirtualController::onGetTracker;
        case kOpSetZoneA:
        case kOpSetZoneB:
            return &VirtualController::onSetZone;
        case kOpGetZoneA:
        case kOpGetZoneB:
            return &VirtualController::onGetZone;
        case kOpStoreClear:
            return &VirtualController::onStoreClear;
        case kOpStoreIsClear:
            return &VirtualController::onStoreIsClear;
        case kOpHeaderSet:
            return &VirtualController::onHeaderSet;
        case kOpHeaderGet:
            return &VirtualController::onHeaderGet;
        case kOpItemSet:
            return &VirtualController::onItemSet;
        case kOpItemGet:
            return &VirtualController::onItemGet;
        case kOpUpdateIsReady:
            return &VirtualController::onUpdateIsReady;
        case kOpUpdatePerform:
            return &VirtualController::onUpdatePerform;
        default:
            return nullptr;
    }
}

void VirtualController::answer(const Request& request, const QByteArray& report) {
    QByteArray framed = report;
    framed[1] = static_cast<char>(request.index);
    m_pending.append(Pending{m_clock.elapsed() + m_scenario.latencyMs, framed});
    if (!m_answerTimer.isActive()) {
        m_answerTimer.start(m_scenario.latencyMs);
    }
}

void VirtualController::sendDueAnswers() {
    while (!m_pending.isEmpty() && m_pending.first().dueMs <= m_clock.elapsed()) {
        emit reportSent(m_pending.takeFirst().report);
    }
    if (!m_pending.isEmpty() && !m_answerTimer.isActive()) {
        m_answerTimer.start(int(qMax<qint64>(0, m_pending.first().dueMs - m_clock.elapsed())));
    }
}

void VirtualController::emitStream(const QByteArray& report) {
    emit reportSent(report);
}

QByteArray VirtualController::parameterBlock() const {
    return SimReport::block(0, SimReport::kCodeParameters, m_ram.parameters.bytes()).mid(1);
}

QByteArray VirtualController::savedParameterBlock() const {
    return SimReport::block(0, SimReport::kCodeParameters, m_flash.parameters.bytes()).mid(1);
}

void VirtualController::onSoftReset(const Request&) {
    startSoftReset();
}

void VirtualController::onGetVersion(const Request& request) {
    answer(request, SimReport::version(0, quint8(m_scenario.paramVersion), m_firmware));
}

void VirtualController::onGetCopyright(const Request& request) {
    answer(request, SimReport::copyright(0));
}

void VirtualController::onSetParameters(const Request& request) {
    // While restarting the board takes no new settings; it still reports its block.
    if (!m_softReset) {
        Block& block = m_ram.parameters;
        const quint8 edgePrescaler = block.byteAt(Block::kEdgePrescaler);
        const quint8 scanPrescaler = block.byteAt(Block::kScanPrescaler);
        block.applyHostWrite(request.command);
        const bool prescalerChanged = block.byteAt(Block::kEdgePrescaler) != edgePrescaler ||
                                      block.byteAt(Block::kScanPrescaler) != scanPrescaler;
        if (prescalerChanged && m_scenario.resetOnPrescalerChange) {
            startSoftReset();
        }
        updateStreams();
    }
    onGetParameters(request);
}

void VirtualController::onGetParameters(const Request& request) {
    answer(request, SimReport::block(0, SimReport::kCodeParameters, m_ram.parameters.bytes()));
}

void VirtualController::onSaveToFlash(const Request&) {
    m_flash = m_ram;
}

void VirtualController::onLoadFromFlash(const Request&) {
    const Block running = m_ram.parameters;
    m_ram = m_flash;
    m_ram.parameters = running;
    m_ram.parameters.takeHostFields(m_flash.parameters);
    refreshStatus();
    updateStreams();
}

void VirtualController::onLoadDefaults(const Request&) {
    const Settings defaults = factorySettings();
    const Block running = m_ram.parameters;
    m_ram = defaults;
    m_ram.parameters = running;
    m_ram.parameters.takeHostFields(defaults.parameters);
    refreshStatus();
    updateStreams();
}

void VirtualController::onEraseFlash(const Request&) {
    m_flash = factorySettings();
}

void VirtualController::onCalibration(const Request& request) {
    m_calibration = request.command.mid(kCalibrationPayload, kCalibrationLength);
    refreshStatus();
}

bool VirtualController::isCalibrationSound(const QByteArray& records) {
    if (records.size() != kCalibrationLength) {
        return false;
    }
    QPoint screen[kCalibrationRecords];
    QPoint measured[kCalibrationRecords];
    for (int i = 0; i < kCalibrationRecords; ++i) {
        const int at = i * kCalibrationRecordLength;
        screen[i] = QPoint(halfAt(records, at), halfAt(records, at + 2));
        measured[i] = QPoint(halfAt(records, at + 4), halfAt(records, at + 6));
        if (screen[i].x() > kScreenMax || screen[i].y() > kScreenMax ||
            measured[i].x() > kSensorMax || measured[i].y() > kSensorMax) {
            return false;
        }
    }
    return std::llabs(twiceArea(screen[0], screen[1], screen[2])) >= kMinTwiceArea &&
           std::llabs(twiceArea(measured[0], measured[1], measured[2])) >= kMinTwiceArea;
}

void VirtualController::onSetFilter(const Request& request) {
    applyRequestToBlock(&m_ram.filter, request.command);
    onGetFilter(request);
}

void VirtualController::onGetFilter(const Request& request) {
    answer(request, SimReport::block(0, SimReport::kCodeFilter, m_ram.filter));
}

void VirtualController::onSetTracker(const Request& request) {
    if (m_scenario.paramVersion < kFirstTrackerVersion) {
        return;
    }
    applyRequestToBlock(&m_ram.tracker, request.command);
    m_ram.tracker[kTrackerParamVersion] = char(m_scenario.paramVersion);
    onGetTracker(request);
}

void VirtualController::onGetTracker(const Request& request) {
    // Boards of the first parameter layout have no tracker set and stay quiet.
    if (m_scenario.paramVersion < kFirstTrackerVersion) {
        return;
    }
    answer(request, SimReport::block(0, SimReport::kCodeTracker, m_ram.tracker));
}

void VirtualController::onSetZone(const Request& request) {
    const bool arrayA = request.opcode == kOpSetZoneA;
    const int count = static_cast<quint8>(request.command.at(kZoneRequestCount));
    // A count beyond what one request can carry is refused; the set stays as it was.
    if (count <= SimReport::kMaxZoneValues &&
        kZoneRequestValues + count <= request.command.size()) {
        (arrayA ? m_ram.zoneA : m_ram.zoneB) = request.command.mid(kZoneRequestValues, count);
    }
    answer(request, SimReport::zone(0, arrayA ? SimReport::kCodeZoneA : SimReport::kCodeZoneB,
                                    arrayA ? m_ram.zoneA : m_ram.zoneB));
}

void VirtualController::onGetZone(const Request& request) {
    const bool arrayA = request.opcode == kOpGetZoneA;
    answer(request, SimReport::zone(0, arrayA ? SimReport::kCodeZoneA : SimReport::kCodeZoneB,
                                    arrayA ? m_ram.zoneA : m_ram.zoneB));
}

quint8 VirtualController::firmwareAnswerCode(quint8 opcode) {
    return quint8(opcode + SimReport::kFirmwareAnswerOffset);
}

void VirtualController::onStoreClear(const Request& request) {
    const bool failing =
        m_scenario.firmwareFailure == SimScenario::FirmwareFailure::StoreNotCleared;
    if (!failing) {
        m_firmware.clearDownloadArea();
    }
    answer(request, SimReport::storeState(0, firmwareAnswerCode(request.opcode),
                                          !failing && m_firmware.isHeaderClear(),
                                          !failing && m_firmware.areItemsClear()));
}

void VirtualController::onStoreIsClear(const Request& request) {
    answer(request, SimReport::storeState(0, firmwareAnswerCode(request.opcode),
                                          m_firmware.isHeaderClear(), m_firmware.areItemsClear()));
}

void VirtualController::onHeaderSet(const Request& request) {
    SimFirmwareStore::Header header;
    header.version = wordAt(request.command, kHeaderSetVersion);
    header.size = wordAt(request.command, kHeaderSetSize);
    header.checksum = wordAt(request.command, kHeaderSetChecksum);
    const bool accepted =
        m_scenario.firmwareFailure != SimScenario::FirmwareFailure::HeaderRejected &&
        m_firmware.stageHeader(header);
    answer(request, SimReport::verdict(0, firmwareAnswerCode(request.opcode), accepted));
}

void VirtualController::onHeaderGet(const Request& request) {
    quint32 stagedChecksum = m_firmware.staged().checksum;
    if (m_scenario.firmwareFailure == SimScenario::FirmwareFailure::HeaderEchoWrong &&
        !m_firmware.isHeaderClear()) {
        stagedChecksum ^= 1u;
    }
    answer(request,
           SimReport::header(0, firmwareAnswerCode(request.opcode), m_firmware, stagedChecksum));
}

void VirtualController::onItemSet(const Request& request) {
    const quint16 entry = halfAt(request.command, kItemRequestEntry);
    const QByteArray data = request.command.mid(kItemRequestData, SimFirmwareStore::kItemLength);
    const bool hit = entry == m_scenario.firmwareFailItem;
    if (hit && m_scenario.firmwareFailure == SimScenario::FirmwareFailure::ItemUnanswered) {
        return;
    }
    if (hit && m_scenario.firmwareFailure == SimScenario::FirmwareFailure::UnplugAtItem) {
        unplug();
        if (m_scenario.replugAfterMs >= 0) {
            m_plugTimer.start(m_scenario.replugAfterMs);
        }
        return;
    }
    const bool refused =
        hit && m_scenario.firmwareFailure == SimScenario::FirmwareFailure::ItemRejected;
    const bool accepted = !refused && m_firmware.stageItem(entry, data);
    answer(request, SimReport::item(0, firmwareAnswerCode(request.opcode), entry, accepted,
                                    accepted ? SimFirmwareStore::checksumOf(data) : 0));
}

void VirtualController::onItemGet(const Request& request) {
    const quint16 entry = halfAt(request.command, kItemRequestEntry);
    const QByteArray data = m_firmware.stagedItem(entry);
    answer(request, SimReport::item(0, firmwareAnswerCode(request.opcode), entry, !data.isEmpty(),
                                    SimFirmwareStore::checksumOf(data)));
}

void VirtualController::onUpdateIsReady(const Request& request) {
    const bool ready = m_scenario.firmwareFailure != SimScenario::FirmwareFailure::NotReady &&
                       m_firmware.isStagedImageValid();
    answer(request, SimReport::verdict(0, firmwareAnswerCode(request.opcode), ready));
}

void VirtualController::onUpdatePerform(const Request& request) {
    const bool accepted =
        m_scenario.firmwareFailure != SimScenario::FirmwareFailure::CommitRefused &&
        m_firmware.isStagedImageValid();
    if (m_scenario.firmwareFailure == SimScenario::FirmwareFailure::PerformLost && accepted) {
        // The board restarts before its answer leaves.
        m_commitTimer.start(m_scenario.latencyMs + kCommitDropDelayMs);
        return;
    }
    answer(request, SimReport::verdict(0, firmwareAnswerCode(request.opcode), accepted));
    if (accepted) {
        m_commitTimer.start(m_scenario.latencyMs + kCommitDropDelayMs);
    }
}

void VirtualController::finishCommit() {
    m_firmware.commit();
    TLOG_INFO(QStringLiteral("Virtual controller restarts with firmware %1")
                  .arg(m_firmware.running().version, 0, 16));
    leaveBus();
    if (m_scenario.firmwareFailure != SimScenario::FirmwareFailure::NoReturn) {
        m_returnTimer.start(m_scenario.rebootMs);
    }
}

void VirtualController::touchDown(int a, int b) {
    m_sensor.setContact(true, a, b);
}

void VirtualController::liftFinger() {
    m_sensor.setContact(false, 0, 0);
}

void VirtualController::tap(int a, int b, int samples) {
    SimFingerScript::Tap next;
    next.a = a;
    next.b = b;
    next.samples = samples == 0 ? 1 : samples;
    m_fingerScript.append(next);
}

void VirtualController::unplug() {
    m_returnTimer.stop();
    if (m_onBus) {
        leaveBus();
    }
}

void VirtualController::replug() {
    m_returnTimer.stop();
    if (!m_onBus) {
        powerUp();
    }
}

void VirtualController::invalidateHandles() {
    emit handlesInvalidated();
}

void VirtualController::setSilent(bool silent) {
    m_silent = silent;
    if (silent) {
        m_pending.clear();
        m_answerTimer.stop();
    }
    updateStreams();
}

void VirtualController::streamEdges() {
    const Block& block = m_ram.parameters;
    const int prescaler = block.byteAt(Block::kEdgePrescaler);
    const bool pressed = m_scenario.pressAtMs >= 0 && m_clock.elapsed() >= m_scenario.pressAtMs;
    m_sensor.setPressedTarget(pressed, m_scenario.pressLevel, m_scenario.pressNoise);
    if (block.flag(Block::kMonitorFlags1, Block::kMonitorEdgeA)) {
        emitStream(SimReport::samples(nextStreamFrame(), SimReport::kCodeEdgeA, 0,
                                      m_sensor.edgeFrame(Array::A, prescaler)));
    }
    if (block.flag(Block::kMonitorFlags1, Block::kMonitorEdgeB)) {
        emitStream(SimReport::samples(nextStreamFrame(), SimReport::kCodeEdgeB, 0,
                                      m_sensor.edgeFrame(Array::B, prescaler)));
    }
}

void VirtualController::streamScanLines() {
    const Block& block = m_ram.parameters;
    const int prescaler = block.byteAt(Block::kScanPrescaler);
    auto send = [&](Array array, quint8 mask, quint8 code) {
        if (!block.flag(Block::kMonitorFlags1, mask)) {
            return;
        }
        int& line = m_scanLine[arrayIndex(array)];
        line %= m_sensor.wireCount(array);
        emitStream(SimReport::samples(nextStreamFrame(), code, line,
                                      m_sensor.scanLine(array, line, prescaler)));
        ++line;
    };
    send(Array::A, Block::kMonitorScanA, SimReport::kCodeScanA);
    send(Array::B, Block::kMonitorScanB, SimReport::kCodeScanB);
}

void VirtualController::streamScanArea() {
    const Block& block = m_ram.parameters;
    const int prescaler = block.byteAt(Block::kScanPrescaler);
    auto send = [&](Array array, quint8 mask, quint8 code) {
        if (!block.flag(Block::kMonitorFlags2, mask)) {
            return;
        }
        const Array crossing = array == Array::A ? Array::B : Array::A;
        const int rows = m_sensor.wireCount(array);
        const int cols = m_sensor.wireCount(crossing);
        const int tilesPerRow = (cols + kTileColCount - 1) / kTileColCount;
        const int tileCount = tilesPerRow * ((rows + kTileRowCount - 1) / kTileRowCount);
        int& tile = m_tile[arrayIndex(array)];
        tile %= tileCount;
        const int firstRow = (tile / tilesPerRow) * kTileRowCount;
        const int firstCol = (tile % tilesPerRow) * kTileColCount;
        const int tileRows = qMin(kTileRowCount, rows - firstRow);
        const int tileCols = qMin(kTileColCount, cols - firstCol);
        emitStream(SimReport::tile(
            nextStreamFrame(), code, firstRow, tileRows, firstCol, tileCols,
            m_sensor.scanTile(array, firstRow, tileRows, firstCol, tileCols, prescaler)));
        ++tile;
    };
    send(Array::A, Block::kMonitorScanAreaA, SimReport::kCodeScanAreaA);
    send(Array::B, Block::kMonitorScanAreaB, SimReport::kCodeScanAreaB);
}

void VirtualController::streamDiagnostics() {
    const Block& block = m_ram.parameters;
    if (block.flag(Block::kDiagFlags, Block::kMonitorDiagA)) {
        emitStream(SimReport::samples(nextStreamFrame(), SimReport::kCodeDiagA, 0,
                                      m_sensor.diagnostics(Array::A)));
    }
    if (block.flag(Block::kDiagFlags, Block::kMonitorDiagB)) {
        emitStream(SimReport::samples(nextStreamFrame(), SimReport::kCodeDiagB, 0,
                                      m_sensor.diagnostics(Array::B)));
    }
}

void VirtualController::streamFinger() {
    m_fingerScript.beforeReport(m_clock.elapsed(), m_sensor);
    const quint16 a = m_sensor.fingerPosition(Array::A);
    const quint16 b = m_sensor.fingerPosition(Array::B);
    emitStream(SimReport::finger(nextStreamFrame(), m_sensor.isTouched(), a, b));
}
