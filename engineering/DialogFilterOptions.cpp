#include "engineering/DialogFilterOptions.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/Opcodes.h"
#include "protocol/ResponseDelegateFilterAB.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"

namespace {

using Reader = float (FilterAccessor::*)() const;
using Writer = void (*)(CommandSetFilterAB&, float);

struct FilterField {
    const char* label;
    const char* objectName;
    double maximum;
    double step;
    Reader read;
    Writer write;
    const QString& settingsKey;
    const char* toolTip;
};

const FilterField kFields[DialogFilterOptions::kFieldCount] = {
    {"std deviation", "doubleSpinBoxStdDeviation", 1e9, 0.001, &FilterAccessor::kalStdDeviation0,
     // The controller keeps one deviation per axis; the dialog sets both alike.
     [](CommandSetFilterAB& command, float value) {
         command.setKalStdDeviation0(value);
         command.setKalStdDeviation1(value);
     },
     SettingsKeys::FilterValue::kKalmanStdDev,
     "<html><head/><body><p>Used by the filter to coracterize the noise. The expected spread "
     "of the measured position, in sensor units; a larger value smooths more and follows "
     "quick strokes later.</p></body></html>"},
    {"P cov factor", "doubleSpinBoxPCovFactor", 1e9, 0.001, &FilterAccessor::kalPMatrixFactor,
     [](CommandSetFilterAB& command, float value) { command.setKalPMatrixFactor(value); },
     SettingsKeys::FilterValue::kKalmanAPCovFactor,
     "<html><head/><body><p>Initial value injected in the diagonal of the P matrix when a "
     "touch starts. A larger value lets the first samples of a touch count more.</p>"
     "</body></html>"},
    {"Q cov factor", "doubleSpinBoxQCovFactor", 1e9, 0.001, &FilterAccessor::kalQMatrixFactor,
     [](CommandSetFilterAB& command, float value) { command.setKalQMatrixFactor(value); },
     SettingsKeys::FilterValue::kKalmanAQCovFactor,
     "<html><head/><body><p>Value &quot;injected&quot; in the Q matrix. The expected change "
     "of the movement between two samples; a larger value follows changes of direction "
     "sooner.</p></body></html>"},
    {"Critical Locking Distance", "doubleSpinBoxCriticalLockingDistance", 1e9, 0.0001,
     &FilterAccessor::filterLock,
     [](CommandSetFilterAB& command, float value) { command.setFilterLock(value); },
     SettingsKeys::FilterValue::kCriticalLockingDistance,
     "<html><head/><body><p>Locking the cursor. A touch that moves less than this distance "
     "keeps the cursor where it is.</p></body></html>"},
    {"Warp Factor (in sigmas)", "doubleSpinBoxWarpFactor", 99.99, 0.1,
     &FilterAccessor::filterWarpFactor,
     [](CommandSetFilterAB& command, float value) { command.setFilterWarpFactor(value); },
     SettingsKeys::FilterValue::kWarpFactor,
     "<html><head/><body><p>Direct de-jitter, sigma units, 1.0 should be okay. A jump larger "
     "than this many deviations is taken at once instead of filtered.</p></body></html>"},
    {"Locking Std Dev", "doubleSpinBoxLockingStdDev", 1e9, 0.0001,
     &FilterAccessor::filterStabStdDeviation,
     [](CommandSetFilterAB& command, float value) { command.setFilterStabStdDeviation(value); },
     SettingsKeys::FilterValue::kStabStdDeviation,
     "<html><head/><body><p>This standard deviation is used when to do the locking "
     "contrast</p></body></html>"},
    {"Ortho enhancement", "doubleSpinBoxOrthoEnhancement", 1e9, 0.0001,
     &FilterAccessor::filterOrtho,
     [](CommandSetFilterAB& command, float value) { command.setFilterOrtho(value); },
     SettingsKeys::FilterValue::kOrthogonality,
     "<html><head/><body><p>Should be smaller than the Critical Locking Distance. Straightens "
     "strokes that run nearly along a wire array.</p></body></html>"},
};

}  // namespace

DialogFilterOptions::DialogFilterOptions(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : ParameterSetDialog(dispatcher, parent) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("DialogFilterOptions"));
    setWindowTitle(QStringLiteral("Touch Filter Options"));
    m_filter = qobject_cast<ResponseDelegateFilterAB*>(
        findDelegate(ResponseDelegateFilterAB::registryName()));
    setContent(buildEditors());
    if (m_filter != nullptr) {
        connect(m_filter, QOverload<>::of(&ResponseDelegateFilterAB::valuesChanged), this,
                &DialogFilterOptions::slot_enableAndRefreshView);
    }
    requestCurrentFilterABParamsInALongNamedMethod();
}

QWidget* DialogFilterOptions::buildEditors() {
    auto* content = new QWidget;
    auto* form = new QFormLayout;
    for (int i = 0; i < kFieldCount; ++i) {
        const FilterField& field = kFields[i];
        auto* editor = new QDoubleSpinBox;
        editor->setObjectName(QString::fromLatin1(field.objectName));
        editor->setDecimals(kFloatDecimals);
        editor->setRange(0.0, qMin(field.maximum, kLargestFloatValue));
        editor->setSingleStep(field.step);
        editor->setToolTip(QString::fromLatin1(field.toolTip));
        form->addRow(QString::fromLatin1(field.label), editor);
        m_editors[size_t(i)] = editor;
    }
    m_switchOff = new QPushButton(QStringLiteral("SwitchOff"));
    m_switchOff->setObjectName(QStringLiteral("pushButton_Restore"));
    m_switchOn = new QPushButton(QStringLiteral("SwitchOn"));
    m_switchOn->setObjectName(QStringLiteral("pushButton"));
    m_switchOn->setEnabled(false);
    m_factoryDefaults = new QPushButton(QStringLiteral("Factory Defaults"));
    m_factoryDefaults->setObjectName(QStringLiteral("pushButton_FactoryReset"));
    connect(m_switchOff, &QPushButton::clicked, this,
            &DialogFilterOptions::on_pushButton_Restore_clicked);
    connect(m_switchOn, &QPushButton::clicked, this, &DialogFilterOptions::on_pushButton_clicked);
    connect(m_factoryDefaults, &QPushButton::clicked, this,
            &DialogFilterOptions::on_pushButton_FactoryReset_clicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_switchOff);
    buttons->addWidget(m_switchOn);
    buttons->addWidget(m_factoryDefaults);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addLayout(buttons);
    return content;
}

void DialogFilterOptions::requestCurrentFilterABParamsInALongNamedMethod() {
    TTRACE();
    if (m_filter == nullptr) {
        return;
    }
    m_filter->resetHasData();
    queue(CommandFactory::getFilterAB());
    scheduleTotalRefresh();
}

bool DialogFilterOptions::isValuesUpdated() {
    return m_filter != nullptr && m_filter->hasData() &&
           CommandFactory::isControllerBlock(m_filter->data(), ResponseCode::FilterAB);
}

void DialogFilterOptions::updateValues() {
    for (int i = 0; i < kFieldCount; ++i) {
        QDoubleSpinBox* editor = m_editors[size_t(i)];
        editor->setValue(double((m_filter->*kFields[i].read)()));
        // What the editor shows after its rounding: the mark of an untouched field.
        m_loaded[size_t(i)] = editor->value();
    }
}

DialogFilterOptions::Values DialogFilterOptions::editorValues() const {
    Values values{};
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = m_editors[i]->value();
    }
    return values;
}

void DialogFilterOptions::setEditorValues(const Values& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        m_editors[i]->setValue(values[i]);
    }
}

bool DialogFilterOptions::sendValues() {
    std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(m_filter->data()));
    if (!command) {
        return false;
    }
    const Values values = editorValues();
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] != m_loaded[i]) {
            kFields[i].write(*command, float(values[i]));
        }
    }
    if (!queue(command.release())) {
        return false;
    }
    queue(CommandFactory::getFilterAB());
    m_loaded = values;
    return true;
}

void DialogFilterOptions::on_pushButton_Restore_clicked() {
    TTRACE();
    if (!hasValues()) {
        return;
    }
    m_saved = editorValues();
    setEditorValues(Values{});
    if (!sendValues()) {
        setEditorValues(m_saved);
        return;
    }
    m_savedFilled = true;
    m_switchOff->setEnabled(false);
    m_switchOn->setEnabled(true);
}

void DialogFilterOptions::on_pushButton_clicked() {
    TTRACE();
    // An empty store would send zeros over the controller's values.
    if (!hasValues() || !m_savedFilled) {
        return;
    }
    setEditorValues(m_saved);
    if (sendValues()) {
        m_switchOff->setEnabled(true);
    }
}

void DialogFilterOptions::on_pushButton_FactoryReset_clicked() {
    TTRACE();
    QSettings settings;
    for (int i = 0; i < kFieldCount; ++i) {
        bool isNumber = false;
        const double value = settings.value(kFields[i].settingsKey, 0.0).toDouble(&isNumber);
        m_saved[size_t(i)] = isNumber && std::isfinite(value) ? value : 0.0;
    }
    setEditorValues(m_saved);
    // Kept as the editors hold them, within their range.
    m_saved = editorValues();
    m_savedFilled = true;
    m_switchOn->setEnabled(true);
}
