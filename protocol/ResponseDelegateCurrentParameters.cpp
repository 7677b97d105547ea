#include "ResponseDelegateCurrentParameters.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "protocol/CurrentParametersLayout.h"
#include "protocol/Opcodes.h"
#include "protocol/ParameterVersion.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SoftResetNotice.h"

namespace {}

ResponseDelegateCurrentParameters::ResponseDelegateCurrentParameters(QObject* parent)
    : DeviceResponseDelegate(parent) {
    m_data = QByteArray(CurrentParametersLayout::kPlaceholderSize, '\0');
}

QString ResponseDelegateCurrentParameters::registryName() {
    return QStringLiteral("CurrentParameters");
}

bool ResponseDelegateCurrentParameters::isUnderstood(QByteArray data) {
    return responseCodeOf(data) == ResponseCode::CurrentParameters;
}

void ResponseDelegateCurrentParameters::addData(QByteArray data) {
    m_lastPacketIgnored = data.size() < CurrentParametersLayout::kBlockSize;
    if (m_lastPacketIgnored) {
        TLOG_WARNING(QStringLiteral("Ignoring a parameter packet of %1 bytes, a block has %2.")
                         .arg(data.size())
                         .arg(CurrentParametersLayout::kBlockSize));
        return;
    }
    DeviceResponseDelegate::addData(data);
}

void ResponseDelegateCurrentParameters::execute() {
    if (m_lastPacketIgnored) {
        return;
    }
    if (!m_started) {
        onFirstAnswer();
    }
    emit valuesChanged();
    emit signalPressThreshold(pressThreshold());
    emit signalTouchThreshold(touchThreshold());
    emit signalEdgeThreshold(edgeThreshold());
    emit valuesChanged(m_data);
    softResetInvoker();
    chkforOutputChange();
    checkFlagsOnce();
    cacheThresholdsUntilKnown();
    chkforThresholdChange();
    chkforFlagChange();
}

void ResponseDelegateCurrentParameters::onFirstAnswer() {
    m_started = true;
    ParameterVersion::remember(static_cast<quint8>(ParamVersion()));
    m_notice = SoftResetNotice::create(this);
    emit signalBoardStarted();
}

bool ResponseDelegateCurrentParameters::isNoTouchWindowSet() {
    return QSettings().value(SettingsKeys::General::kNoTouchWindow, false).toBool();
}

void ResponseDelegateCurrentParameters::softResetInvoker() {
    if (isSoftResetActive()) {
        if (!isNoTouchWindowSet() && m_notice && !m_notice->isNoticeShown() &&
            m_notice->pollCount() == 0 && !m_softResetActive) {
            m_notice->showNotice();
        }
        m_softResetActive = true;
        emit signalSoftResetActive();
    } else if (m_softResetActive) {
        m_softResetActive = false;
        m_peakCheckPending = true;
        if (!isNoTouchWindowSet() && m_notice && m_notice->isNoticeShown()) {
            m_notice->hideNotice();
        }
        emit signalSoftResetInactive();
    }
}

void ResponseDelegateCurrentParameters::chkforMonPeak() {
    if (m_peakCheckPending && isMonitorPeak()) {
        m_peakCheckPending = false;
        emit signalMonPeakActive();
    }
}

void ResponseDelegateCurrentParameters::chkforOutputChange() {
    const bool enabled = isOutputEnabled();
    const int encoding = outputEncoding();
    if (enabled == m_outputEnabled && encoding == m_outputEncoding) {
        return;
    }
    m_outputEnabled = enabled;
    m_outputEncoding = encoding;
    emit signalOutputChanged();
    emit signalOutputEncodeValue(encoding);
    emit signalOutputStateValue(enabled);
}

bool ResponseDelegateCurrentParameters::anyMonitorFlagSet() const {
    return isMonitorTestMode() || isMonitorPeaks() || isMonitorPeak() || isMonitorEdgeA() ||
           isMonitorEdgeB() || isMonitorScanA() || isMonitorScanB() || isMonitorDiagB() ||
           isMonitorDiagA() || isMonitorScanAreaA() || isMonitorScanAreaB() || isMonitorDynA() ||
           isMonitorDynB();
}

void ResponseDelegateCurrentParameters::checkFlagsOnce() {
    if (m_flagsChecked) {
        return;
    }
    m_flagsChecked = true;
    if (anyMonitorFlagSet()) {
        emit signalUnsetFlags();
    } else {
        emit signalFlagsDone();
    }
}

// The first answer with all three thresholds known sets the reference that later
// changes are measured against, so that answer itself is not reported as a change.
void ResponseDelegateCurrentParameters::cacheThresholdsUntilKnown() {
    if (m_edgeThreshold != 0 && m_touchThreshold != 0 && m_pressThreshold != 0) {
        return;
    }
    m_edgeThreshold = edgeThreshold();
    m_touchThreshold = touchThreshold();
    m_pressThreshold = pressThreshold();
}

void ResponseDelegateCurrentParameters::chkforThresholdChange() {
    const int edge = edgeThreshold();
    const int touch = touchThreshold();
    const int press = pressThreshold();
    if (edge == m_edgeThreshold && touch == m_touchThreshold && press == m_pressThreshold) {
        return;
    }
    m_edgeThreshold = edge;
    m_touchThreshold = touch;
    m_pressThreshold = press;
    emit signalThresholdChanged();
}

void ResponseDelegateCurrentParameters::chkforFlagChange() {
    const bool testMode = isMonitorTestMode();
    const bool diagA = isMonitorDiagA();
    const bool diagB = isMonitorDiagB();
    if (testMode == m_testMode && diagA == m_diagA && diagB == m_diagB) {
        return;
    }
    m_testMode = testMode;
    m_diagA = diagA;
    m_diagB = diagB;
    emit signalMonTestDiagFlagChanged();
}
