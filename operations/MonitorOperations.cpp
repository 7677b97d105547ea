#include "MonitorOperations.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "operations/ConvergingPass.h"
#include "operations/DesiredState.h"
#include "operations/ParameterFlags.h"
#include "operations/SetOperations.h"

using namespace ParameterFlags;

namespace {
using SettingsKeys::General::kDisableMonEdge;
using SettingsKeys::General::kProductTest;
using SettingsKeys::GraphView::kSingleWireMode;

// The edge flags written by setMonitorEdges() carry this version stamp on controllers
// whose layout version is not 1.
constexpr int kLegacyLayoutVersion = 1;
constexpr int kEdgeStampForOtherVersions = 0;
}  // namespace

MonitorOperations::MonitorOperations(DeviceEventDispatcher* dispatcher, SetOperations& operations,
                                     DesiredState& desired)
    : m_source(dispatcher), m_operations(operations), m_desired(desired) {}

bool MonitorOperations::settingFlag(const QString& key) {
    return QSettings().value(key, false).toBool();
}

ConvergingPass::Command MonitorOperations::switchFlags(ConvergingPass& pass,
                                                       ParameterFlags::Flags flags, bool on,
                                                       int inTestModeMs) {
    const int retryMs = m_operations.periods().retryMs;
    ConvergingPass::Command command = pass.begin(retryMs);
    if (!command) {
        return command;
    }
    const int periodMs = command->isMonitorTestMode() ? inTestModeMs : retryMs;
    if (syncFlags(*command, flags, on)) {
        pass.send(std::move(command), periodMs);
    }
    return command;
}

bool MonitorOperations::setMonitorEdges(bool monitorA, bool monitorB) {
    if (settingFlag(kDisableMonEdge)) {
        return false;
    }
    auto command = m_source.commandOrAsk("monitor edges");
    if (!command) {
        return false;
    }
    command->setMonitorEdgeA(monitorA);
    command->setMonitorEdgeB(monitorB);
    const bool streaming = anySet(*command, {kEdgeA, kEdgeB, kScanA, kScanB});
    m_source.sendAndAsk(std::move(command));
    return streaming;
}

void MonitorOperations::setMonEdgeDiagAB(ConvergingPass& pass) {
    pass.converge(
        m_operations.periods().quickRetryMs,
        [this](CommandSetCurrentParameters& command) {
            const bool on = m_desired.edgeDiagAB;
            bool differed = syncFlags(command, {kScanA, kScanB, kDiagA, kDiagB}, on);
            if (!settingFlag(kDisableMonEdge)) {
                differed = syncFlags(command, {kEdgeA, kEdgeB}, on) || differed;
            }
            if (settingFlag(kSingleWireMode)) {
                differed = syncFlags(command, {kTestMode}, on) || differed;
            }
            return differed;
        },
        [this] { emit m_operations.signal_finishSetMonDiagEdgeAB(); });
}

void MonitorOperations::setMonDiagAB(ConvergingPass& pass) {
    ConvergingPass::Command command = switchFlags(pass, {kDiagA, kDiagB}, m_desired.diagAB,
                                                  m_operations.periods().diagInTestModeRetryMs);
    if (!command) {
        return;
    }
    if (settingFlag(kProductTest)) {
        emit m_operations.signal_finishSetMonDiagAB();
        return;
    }
    if (m_desired.diagAB) {
        if (!allSet(*command, {kEdgeA, kEdgeB})) {
            m_desired.monitorEdgeAB = true;
            m_operations.setMonitorEdgeAB();
        }
        return;
    }
    if (m_desired.saveAfterDiag) {
        m_operations.setHeldCommand(command.release());
        m_operations.saveParametersToFlash();
        m_desired.saveAfterDiag = false;
    }
    emit m_operations.signal_finishSetMonDiagAB();
}

void MonitorOperations::SetMonitorMode(ConvergingPass& pass) {
    const bool singleWireMode = settingFlag(kSingleWireMode);
    if (settingFlag(kProductTest) && !singleWireMode) {
        m_desired.diagAB = m_desired.testMode;
        m_operations.setMonDiagAB();
        return;
    }
    const int periodMs = m_operations.periods().testModeRetryMs;
    ConvergingPass::Command command = pass.begin(periodMs);
    if (!command) {
        return;
    }
    if (command->isMonitorTestMode() == m_desired.testMode) {
        m_desired.diagAB = m_desired.testMode;
        m_operations.setMonDiagAB();
        return;
    }
    if (!singleWireMode) {
        return;
    }
    command->setMonitorTestMode(m_desired.testMode);
    pass.send(std::move(command), periodMs);
}

void MonitorOperations::setMonitorEdges(ConvergingPass& pass) {
    pass.converge(
        m_operations.periods().quickRetryMs,
        [this](CommandSetCurrentParameters& command) { return writeMonitorEdges(command); }, [] {});
}

bool MonitorOperations::writeMonitorEdges(CommandSetCurrentParameters& command) const {
    const bool on = m_desired.monitorEdges;
    bool differed = syncFlags(command, kScanFlags, on);
    // Edges last: their stamp is the one the command carries.
    if (settingFlag(kDisableMonEdge)) {
        return differed;
    }
    const bool legacyLayout = command.ParamVersion() == kLegacyLayoutVersion;
    if (command.isMonitorEdgeA() != on) {
        if (legacyLayout) {
            command.setMonitorEdgeA(on);
        } else {
            command.setMonitorVerEdgeA(on, kEdgeStampForOtherVersions);
        }
        differed = true;
    }
    if (command.isMonitorEdgeB() != on) {
        if (legacyLayout) {
            command.setMonitorEdgeB(on);
        } else {
            command.setMonitorVerEdgeB(on, kEdgeStampForOtherVersions);
        }
        differed = true;
    }
    return differed;
}

void MonitorOperations::setMonitorEdgeAB(ConvergingPass& pass) {
    if (settingFlag(kDisableMonEdge)) {
        return;
    }
    if (!switchFlags(pass, {kEdgeA, kEdgeB}, m_desired.monitorEdgeAB,
                     m_operations.periods().slowInTestModeRetryMs)) {
        return;
    }
    if (m_desired.monitorEdgeAB) {
        emit m_operations.signal_finishedSetMonEdgeAB(true);
        emit m_operations.signal_finishedSetMonEdgeABFlags();
    } else {
        emit m_operations.signal_finishedUnsetMonEdgeABFlags();
    }
}

void MonitorOperations::setMonitorTestMode(ConvergingPass& pass) {
    pass.converge(
        m_operations.periods().testModeRetryMs,
        [this](CommandSetCurrentParameters& command) {
            return syncFlags(command, {kTestMode}, m_desired.testModeDirect);
        },
        [this] {
            if (!m_desired.testModeDirect) {
                emit m_operations.signal_finishedSetTestMode();
            }
        });
}

void MonitorOperations::setMonitorScanMode(ConvergingPass& pass) {
    pass.converge(
        m_operations.periods().retryMs,
        [this](CommandSetCurrentParameters& command) {
            return syncFlags(command, kScanFlags, m_desired.scanMode);
        },
        [this] {
            if (m_desired.scanMode) {
                emit m_operations.signal_finishEnableMonScanAB(true);
                return;
            }
            emit m_operations.signal_finishSetMonScanAB();
            emit m_operations.signal_finishDisableMonScanAB(true);
        });
}
