#include "engineering/DialogTrackerOptions.h"

#include <QDoubleSpinBox>
#include <QFormLayout>

#include <memory>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/Opcodes.h"
#include "protocol/ResponseDelegateTrackerParams.h"
#include "protocol/SimpleCommand.h"

namespace {

using Reader = float (TrackerAccessor::*)() const;
using Writer = void (TrackerWriteAccessor::*)(float);

struct TrackerField {
    const char* label;
    const char* objectName;
    Reader read;
    Writer write;
    const char* toolTip;
};

constexpr double kMaximum = 1e9;
constexpr double kStep = 0.001;

const TrackerField kFields[DialogTrackerOptions::kFieldCount] = {
    {"std deviation", "doubleSpinBoxStdDeviation", &TrackerAccessor::stdDeviation,
     &TrackerWriteAccessor::setStdDeviation,
     "<html><head/><body><p>Used by the filter to coracterize the noise. The expected spread "
     "of the measured position, in sensor units; a larger value smooths more and follows "
     "quick strokes later.</p></body></html>"},
    {"P cov factor", "doubleSpinBoxPCovFactor", &TrackerAccessor::pMatrixFactor,
     &TrackerWriteAccessor::setPMatrixFactor,
     "<html><head/><body><p>Initial value injected in the diagonal of the P matrix when a "
     "touch starts. A larger value lets the first samples of a touch count more.</p>"
     "</body></html>"},
    {"Q cov factor", "doubleSpinBoxQCovFactor", &TrackerAccessor::qMatrixFactor,
     &TrackerWriteAccessor::setQMatrixFactor,
     "<html><head/><body><p>Value &quot;injected&quot; in the Q matrix. The expected change "
     "of the movement between two samples; a larger value follows changes of direction "
     "sooner.</p></body></html>"},
};

}  // namespace

DialogTrackerOptions::DialogTrackerOptions(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : ParameterSetDialog(dispatcher, parent) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("DialogTrackerOptions"));
    setWindowTitle(QStringLiteral("Tracker Options"));
    m_tracker = qobject_cast<ResponseDelegateTrackerParams*>(
        findDelegate(ResponseDelegateTrackerParams::registryName()));
    setContent(buildEditors());
    if (m_tracker != nullptr) {
        connect(m_tracker, QOverload<>::of(&ResponseDelegateTrackerParams::valuesChanged), this,
                &DialogTrackerOptions::slot_enableAndRefreshView);
    }
    requestTrackerParams();
}

QWidget* DialogTrackerOptions::buildEditors() {
    auto* content = new QWidget;
    auto* form = new QFormLayout(content);
    form->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kFieldCount; ++i) {
        auto* editor = new QDoubleSpinBox;
        editor->setObjectName(QString::fromLatin1(kFields[i].objectName));
        editor->setDecimals(kFloatDecimals);
        editor->setRange(0.0, qMin(kMaximum, kLargestFloatValue));
        editor->setSingleStep(kStep);
        editor->setToolTip(QString::fromLatin1(kFields[i].toolTip));
        form->addRow(QString::fromLatin1(kFields[i].label), editor);
        m_editors[size_t(i)] = editor;
    }
    return content;
}

void DialogTrackerOptions::requestTrackerParams() {
    TTRACE();
    if (m_tracker == nullptr) {
        return;
    }
    m_tracker->resetHasData();
    queue(CommandFactory::getTrackerParams());
    scheduleTotalRefresh();
}

bool DialogTrackerOptions::isValuesUpdated() {
    return m_tracker != nullptr && m_tracker->hasData() &&
           CommandFactory::isControllerBlock(m_tracker->data(), ResponseCode::TrackerParams);
}

void DialogTrackerOptions::updateValues() {
    for (size_t i = 0; i < m_editors.size(); ++i) {
        m_editors[i]->setValue(double((m_tracker->*kFields[i].read)()));
        m_loaded[i] = m_editors[i]->value();
    }
}

bool DialogTrackerOptions::sendValues() {
    std::unique_ptr<CommandSetTrackerParams> command(
        CommandFactory::setTrackerParams(m_tracker->data()));
    if (!command) {
        return false;
    }
    for (size_t i = 0; i < m_editors.size(); ++i) {
        const double value = m_editors[i]->value();
        if (value != m_loaded[i]) {
            ((*command).*kFields[i].write)(float(value));
        }
    }
    if (!queue(command.release())) {
        return false;
    }
    queue(CommandFactory::getTrackerParams());
    return true;
}
