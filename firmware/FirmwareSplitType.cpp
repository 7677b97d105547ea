#include "FirmwareSplitType.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/StoredWireCounts.h"
#include "operations/SetOperations.h"

namespace {
// A report of n edge values comes from n + 1 wires.
constexpr int kWiresPerEdgeValue = 1;
constexpr int kLongArray = 40;
constexpr int kShortArray = 24;
}  // namespace

FirmwareSplitType::FirmwareSplitType(QObject* parent)
    : FirmwareSplitType(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {}

FirmwareSplitType::FirmwareSplitType(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                     QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_operations(operations) {
    TTRACE_OBJECT();
    m_edgeDelegate = qobject_cast<ResponseDelegateProcessedEdge*>(
        m_dispatcher->responseDelegate(ResponseDelegateProcessedEdge::registryName()));
    if (m_edgeDelegate.isNull()) {
        TLOG_WARNING(QStringLiteral("No ProcessedEdge delegate: the wire counts stay unknown."));
        return;
    }
    connect(m_edgeDelegate, &ResponseDelegateProcessedEdge::finishedWireCheck, this,
            &FirmwareSplitType::onFinishWireCheck);
    // The delegate announces its first pair of edges only once in its life; following the
    // edges as well lets a check that starts after that announcement still finish.
    connect(m_edgeDelegate, &ResponseDelegateProcessedEdge::edgeA, this,
            &FirmwareSplitType::onEdgeA);
    connect(m_edgeDelegate, &ResponseDelegateProcessedEdge::edgeB, this,
            &FirmwareSplitType::onEdgeB);
}

int FirmwareSplitType::splitTypeFor(int wiresA, int wiresB) {
    if (wiresA == kLongArray && wiresB == kLongArray) {
        return kSplit4040;
    }
    if (wiresA == kLongArray && wiresB == kShortArray) {
        return kSplit4024;
    }
    if (wiresA == kShortArray && wiresB == kLongArray) {
        return kSplit2440;
    }
    return 0;
}

void FirmwareSplitType::checkWireCount() {
    TTRACE();
    DeviceIoDataProvider* provider = m_dispatcher->ioProvider();
    if (provider == nullptr || !provider->isReadFromDevice() || m_started) {
        return;
    }
    m_operations->setDesiredMonitorEdgeAB(true);
    m_operations->setMonitorEdgeAB();
    m_started = true;
}

void FirmwareSplitType::onFinishWireCheck() {
    TTRACE();
    if (!m_started || m_edgeLengthA == 0 || m_edgeLengthB == 0) {
        return;
    }
    stopListening();
    SetFirmwareSplitType();
    emit signal_getHeader();
    m_operations->setDesiredMonitorEdgeAB(false);
    m_operations->setMonitorEdgeAB();
}

bool FirmwareSplitType::SetAwireCount(QByteArray aWireData) {
    Q_UNUSED(aWireData);
    return true;
}

bool FirmwareSplitType::SetBwireCount(QByteArray bWireData) {
    Q_UNUSED(bWireData);
    return true;
}

void FirmwareSplitType::SetFirmwareSplitType() {
    TTRACE();
    if (m_edgeLengthA == 0 || m_edgeLengthB == 0) {
        return;
    }
    m_aWireCount = m_edgeLengthA + kWiresPerEdgeValue;
    m_bWireCount = m_edgeLengthB + kWiresPerEdgeValue;
    StoredWireCounts::setStoredWireCountA(m_aWireCount);
    StoredWireCounts::setStoredWireCountB(m_bWireCount);
    FirmwareInformation& information = FirmwareInformation::instance();
    information.setWireCountA(m_aWireCount);
    information.setWireCountB(m_bWireCount);
    const int splitType = splitTypeFor(m_aWireCount, m_bWireCount);
    if (splitType != 0) {
        information.setSplitType(splitType);
    }
    TLOG_INFO(QStringLiteral("Wires A: %1, wires B: %2, split type: %3")
                  .arg(m_aWireCount)
                  .arg(m_bWireCount)
                  .arg(information.splitType()));
}

void FirmwareSplitType::connectChkWireCount() {
    checkWireCount();
}

void FirmwareSplitType::disConnectWireCheck() {
    TTRACE();
    m_ended = true;
    stopListening();
    SetFirmwareSplitType();
    emit signal_getHeader();
    if (m_started) {
        m_operations->setDesiredMonitorEdgeAB(false);
        m_operations->setMonitorEdgeAB();
    }
}

void FirmwareSplitType::onEdgeA(const QByteArray& data) {
    m_edgeLengthA = data.size();
    if (m_started) {
        onFinishWireCheck();
    }
}

void FirmwareSplitType::onEdgeB(const QByteArray& data) {
    m_edgeLengthB = data.size();
    if (m_started) {
        onFinishWireCheck();
    }
}

void FirmwareSplitType::stopListening() {
    if (m_edgeDelegate.isNull()) {
        return;
    }
    disconnect(m_edgeDelegate, nullptr, this, nullptr);
}
