#include "cli/ParameterTransfer.h"

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/CurrentParametersLayout.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateFilterAB.h"
#include "protocol/ResponseDelegateTrackerParams.h"
#include "protocol/ResponseDelegateZoneFilterAB.h"
#include "protocol/SimpleCommand.h"
#include "operations/ConvergingPass.h"
#include "cli/CliLink.h"
#include "cli/ParameterSnapshot.h"

namespace {
namespace Layout = CurrentParametersLayout;

constexpr int kFirstField = 2;
constexpr int kFilterCode = 21;
constexpr int kTrackerCode = 37;
// Passes of the current parameters per attempt, soft-reset polls included.
constexpr int kPassesPerAttempt = 4;
constexpr quint8 kAllBits = 0xFF;

QByteArray fieldsOf(const QByteArray& block) {
    return block.mid(kFirstField, ParameterSnapshot::kBlockFields);
}

// Puts the restorable bits of `fields` into `block`; true when a bit changed.
bool overlay(QByteArray& block, const QByteArray& fields) {
    bool changed = false;
    for (int i = 0; i < fields.size() && kFirstField + i < block.size(); ++i) {
        const quint8 mask = ParameterTransfer::restorableMask(kFirstField + i);
        const auto old = quint8(block.at(kFirstField + i));
        const auto wanted = quint8((old & ~mask) | (quint8(fields.at(i)) & mask));
        changed = changed || wanted != old;
        block[kFirstField + i] = char(wanted);
    }
    return changed;
}

template <typename Command>
bool sendFields(CliLink& link, Command* command, const QByteArray& fields) {
    if (command == nullptr) {
        return false;
    }
    command->workingCopy().replace(kFirstField, fields.size(), fields);
    link.queue(command);
    return true;
}
}  // namespace

ParameterTransfer::ParameterTransfer(CliLink& link) : m_link(link) {}

bool ParameterTransfer::fail(const QString& text) {
    TLOG_WARNING(text);
    m_error = text;
    return false;
}

quint8 ParameterTransfer::restorableMask(int offset) {
    switch (offset) {
        case Layout::kStatusOffset:
        case Layout::kParamVersion.offset:
        case Layout::kScanRate.offset:
        case Layout::kSnapRate.offset:
        case Layout::kMonitorFlags1Offset:
        case Layout::kMonitorFlags2Offset:
            return 0;
        case Layout::kDiagFlagsOffset:
            return quint8(~(Layout::kMonitorDiagA.mask | Layout::kMonitorDiagB.mask |
                            Layout::kDiagWireErrorA.mask | Layout::kDiagWireErrorB.mask));
        default:
            return kAllBits;
    }
}

bool ParameterTransfer::read(ParameterSnapshot* snapshot) {
    if (!m_link.refreshParameters()) {
        return fail(QStringLiteral("The controller sent no parameters."));
    }
    const QByteArray block = m_link.parameters()->data();
    ParameterSnapshot read;
    read.parameterVersion = quint8(block.at(Layout::kParamVersion.offset));
    read.currentParameters = fieldsOf(block);
    auto* filter = m_link.delegate<ResponseDelegateFilterAB>();
    if (!readFloatSet(
            filter, [this] { m_link.queue(CommandFactory::getFilterAB()); }, &read.filter)) {
        return fail(QStringLiteral("The controller sent no filter set."));
    }
    auto* tracker = m_link.delegate<ResponseDelegateTrackerParams>();
    if (!readFloatSet(
            tracker, [this] { m_link.queue(CommandFactory::getTrackerParams()); }, &read.tracker)) {
        TLOG_INFO(QStringLiteral("No tracker set: the controller does not answer for one."));
        read.tracker.clear();
    }
    if (!readZones(&read.zoneFilterA, &read.zoneFilterB)) {
        return fail(QStringLiteral("The controller sent no zonal filter coefficients."));
    }
    *snapshot = read;
    return true;
}

bool ParameterTransfer::readFloatSet(FloatSetResponseDelegate* delegate,
                                     const std::function<void()>& ask, QByteArray* fields) {
    if (!m_link.request(ask, delegate) ||
        delegate->data().size() < CommandFactory::kReportBlockSize) {
        return false;
    }
    *fields = fieldsOf(delegate->data());
    return true;
}

bool ParameterTransfer::readZones(QByteArray* zoneA, QByteArray* zoneB) {
    auto* zones = m_link.delegate<ResponseDelegateZoneFilterAB>();
    const bool answered = m_link.request(
        [this] {
            m_link.queue(CommandFactory::getZoneFilterA());
            m_link.queue(CommandFactory::getZoneFilterB());
        },
        zones);
    if (!answered) {
        return false;
    }
    *zoneA = zones->alphasA();
    *zoneB = zones->alphasB();
    return true;
}

bool ParameterTransfer::write(const ParameterSnapshot& snapshot, bool save) {
    if (!m_link.refreshParameters()) {
        return fail(QStringLiteral("The controller sent no parameters."));
    }
    const int version = quint8(m_link.parameters()->data().at(Layout::kParamVersion.offset));
    if (snapshot.parameterVersion != version) {
        return fail(QStringLiteral("The backup holds parameter version %1, the controller has "
                                   "version %2; nothing was written.")
                        .arg(snapshot.parameterVersion)
                        .arg(version));
    }
    auto* tracker = m_link.delegate<ResponseDelegateTrackerParams>();
    const auto askTracker = [this] { m_link.queue(CommandFactory::getTrackerParams()); };
    QByteArray trackerNow;
    if (!snapshot.tracker.isEmpty() && !readFloatSet(tracker, askTracker, &trackerNow)) {
        return fail(
            QStringLiteral("The backup holds a tracker set, the controller has none; "
                           "nothing was written."));
    }
    if (!writeCurrentParameters(snapshot.currentParameters)) {
        return fail(QStringLiteral("The controller did not take the current parameters."));
    }
    auto* filter = m_link.delegate<ResponseDelegateFilterAB>();
    const bool filterWritten = writeFloatSet(
        filter, [this] { m_link.queue(CommandFactory::getFilterAB()); },
        [this](const QByteArray& previous, const QByteArray& fields) {
            return sendFields(m_link, CommandFactory::setFilterAB(previous), fields);
        },
        snapshot.filter);
    if (!filterWritten) {
        return fail(QStringLiteral("The controller did not take the filter set."));
    }
    const bool trackerWritten =
        snapshot.tracker.isEmpty() ||
        writeFloatSet(
            tracker, askTracker,
            [this](const QByteArray& previous, const QByteArray& fields) {
                return sendFields(m_link, CommandFactory::setTrackerParams(previous), fields);
            },
            snapshot.tracker);
    if (!trackerWritten) {
        return fail(QStringLiteral("The controller did not take the tracker set."));
    }
    if (!writeZones(snapshot.zoneFilterA, snapshot.zoneFilterB)) {
        return fail(QStringLiteral("The controller did not take the zonal filter coefficients."));
    }
    return !save || saveToFlash();
}

bool ParameterTransfer::writeCurrentParameters(const QByteArray& fields) {
    bool settled = false;
    bool gaveUp = false;
    std::function<void()> run;
    ConvergingPass pass(&m_link.dispatcher(), [&run] { run(); });
    const int periodMs = m_link.timings().retryMs;
    const int passLimit = kPassesPerAttempt * m_link.timings().attempts;
    pass.setPassLimit(passLimit);
    pass.setSoftResetPollMs(periodMs);
    pass.setAnswerWaitMs(m_link.timings().answerWaitMs);
    QObject::connect(&pass, &ConvergingPass::gaveUp, [&gaveUp] { gaveUp = true; });
    run = [&] {
        pass.converge(
            periodMs,
            [&fields](CommandSetCurrentParameters& command) {
                return overlay(command.workingCopy(), fields);
            },
            [&settled] { settled = true; });
    };
    run();
    const int boundMs = passLimit * (periodMs + m_link.timings().answerWaitMs);
    return CliLink::waitUntil([&] { return settled || gaveUp; }, boundMs) && settled;
}

bool ParameterTransfer::writeFloatSet(FloatSetResponseDelegate* delegate,
                                      const std::function<void()>& ask, const SendSet& sendSet,
                                      const QByteArray& fields) {
    for (int attempt = 0; attempt <= m_link.timings().attempts; ++attempt) {
        QByteArray now;
        if (!readFloatSet(delegate, ask, &now)) {
            return false;
        }
        if (now == fields) {
            return true;
        }
        if (attempt == m_link.timings().attempts || !sendSet(delegate->data(), fields)) {
            return false;
        }
    }
    return false;
}

bool ParameterTransfer::writeZones(const QByteArray& zoneA, const QByteArray& zoneB) {
    for (int attempt = 0; attempt <= m_link.timings().attempts; ++attempt) {
        QByteArray nowA;
        QByteArray nowB;
        if (!readZones(&nowA, &nowB)) {
            return false;
        }
        if (nowA == zoneA && nowB == zoneB) {
            return true;
        }
        if (attempt == m_link.timings().attempts) {
            return false;
        }
        if (nowA != zoneA) {
            m_link.queue(CommandFactory::setZoneFilterA(zoneA));
        }
        if (nowB != zoneB) {
            m_link.queue(CommandFactory::setZoneFilterB(zoneB));
        }
    }
    return false;
}

bool ParameterTransfer::saveToFlash() {
    bool saved = false;
    SetOperations& operations = m_link.operations();
    const QMetaObject::Connection connection = QObject::connect(
        &operations, &SetOperations::signal_finishedSavingParameters, [&saved] { saved = true; });
    operations.saveParametersToFlash();
    const int boundMs = kPassesPerAttempt * m_link.timings().attempts *
                        (m_link.timings().retryMs + m_link.timings().answerWaitMs);
    const bool done = CliLink::waitUntil([&saved] { return saved; }, boundMs) && m_link.drain();
    QObject::disconnect(connection);
    return done || fail(QStringLiteral("The controller did not save its parameters to flash."));
}
