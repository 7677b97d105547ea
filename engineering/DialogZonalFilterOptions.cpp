#include "engineering/DialogZonalFilterOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateZoneFilterAB.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"

namespace {
constexpr int kTimeRejectorMax = 99;
constexpr int kHysteresisMax = 99;
constexpr double kIntensityMax = 0.99;
constexpr double kIntensityStep = 0.01;
constexpr int kIntensityDecimals = 2;
constexpr int kWarpDistanceMax = 9;
constexpr int kWarpIntensityMax = 4;

constexpr int kPositionWidth = 2;
constexpr int kHexWidth = 2;
constexpr int kValueWidth = -10;  // left-aligned
constexpr int kValueDigits = 6;
constexpr int kBarLength = 16;
constexpr int kBarStep = 16;
const char* const kBarDigits = "0123456789ABCDEF";
const char* const kBarEmpty = "................";

QSpinBox* spinBox(const char* name, int maximum) {
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, maximum);
    return box;
}

QCheckBox* checkBox(const char* name, const char* text) {
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// The untouched editor stands for the controller's value, which its range may not show.
int valueToWrite(const QSpinBox* editor, int loaded, int controllerValue) {
    return editor->value() == loaded ? controllerValue : editor->value();
}
}  // namespace

DialogZonalFilterOptions::DialogZonalFilterOptions(DeviceEventDispatcher* dispatcher,
                                                   QWidget* parent)
    : ParameterSetDialog(dispatcher, parent) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("DialogZonalFilterOptions"));
    setWindowTitle(QStringLiteral("Zonal Filter Options"));
    m_parameters = CurrentParametersSource(dispatcher).delegate();
    if (m_parameters == nullptr) {
        findDelegate(ResponseDelegateCurrentParameters::registryName());
    }
    m_zones = qobject_cast<ResponseDelegateZoneFilterAB*>(
        findDelegate(ResponseDelegateZoneFilterAB::registryName()));
    setContent(buildEditors());
    // Answers later than the fixed refresh still enable the dialog.
    if (m_parameters != nullptr) {
        connect(m_parameters, QOverload<>::of(&ResponseDelegateCurrentParameters::valuesChanged),
                this, &DialogZonalFilterOptions::slot_enableAndRefreshView);
    }
    if (m_zones != nullptr) {
        connect(m_zones, &ResponseDelegateZoneFilterAB::newAlphasA, this,
                &DialogZonalFilterOptions::slot_enableAndRefreshView);
        connect(m_zones, &ResponseDelegateZoneFilterAB::newAlphasB, this,
                &DialogZonalFilterOptions::slot_enableAndRefreshView);
    }
    requestParams();
}

QWidget* DialogZonalFilterOptions::buildEditors() {
    m_timeRejector = spinBox("spinBoxTimeRejector", kTimeRejectorMax);
    m_hysteresis = spinBox("spinBoxHysteresis", kHysteresisMax);
    m_hysteresis->setEnabled(false);
    m_intensity = new QDoubleSpinBox;
    m_intensity->setObjectName(QStringLiteral("doubleSpinBoxHighIntensity"));
    m_intensity->setDecimals(kIntensityDecimals);
    m_intensity->setRange(0.0, kIntensityMax);
    m_intensity->setSingleStep(kIntensityStep);
    auto* values = new QFormLayout;
    values->addRow(QStringLiteral("Time Rejector Value (0=Disabled)"), m_timeRejector);
    values->addRow(QStringLiteral("Hysteresis Value (0=Disabled)"), m_hysteresis);
    values->addRow(QStringLiteral("High Filter Intensity (0=Disabled)"), m_intensity);

    auto* monitor = new QGroupBox(QStringLiteral("Monitor"));
    m_monitorFiltered = checkBox("checkBoxMonitorFiltered", "Monitor Filtered Area");
    m_monitorHysteresis = checkBox("checkBoxMonitorHysteresis", "Monitor Hysteresis Map");
    auto* monitorLayout = new QVBoxLayout(monitor);
    monitorLayout->addWidget(m_monitorFiltered);
    monitorLayout->addWidget(m_monitorHysteresis);

    auto* zonal = new QGroupBox(QStringLiteral("Zonal Filtering"));
    m_activate = checkBox("checkBoxActivate", "Activate");
    m_warpDistance = spinBox("spinBoxWarpDistance", kWarpDistanceMax);
    m_warpIntensity = spinBox("spinBoxWarpIntensity", kWarpIntensityMax);
    m_model = new QComboBox;
    m_model->setObjectName(QStringLiteral("comboBoxModel"));
    m_model->addItems({QStringLiteral("Tr4_mini"), QStringLiteral("Tr4")});
    auto* zonalLayout = new QFormLayout(zonal);
    zonalLayout->addRow(m_activate);
    zonalLayout->addRow(QStringLiteral("Warp Distance (0=Filter Disabled)"), m_warpDistance);
    zonalLayout->addRow(QStringLiteral("Warp Intensity (0=One Iteration)"), m_warpIntensity);
    zonalLayout->addRow(QStringLiteral("Model"), m_model);

    m_coefficients = new QPlainTextEdit;
    m_coefficients->setObjectName(QStringLiteral("plainTextEditCoefficients"));
    m_coefficients->setReadOnly(true);
    m_coefficients->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_coefficients->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(values);
    layout->addWidget(monitor);
    layout->addWidget(zonal);
    layout->addWidget(m_coefficients);
    return content;
}

void DialogZonalFilterOptions::requestParams() {
    TTRACE();
    if (m_parameters == nullptr || m_zones == nullptr) {
        return;
    }
    m_parameters->resetHasData();
    m_zones->resetHasData();
    queue(CommandFactory::getParams());
    queue(CommandFactory::getZoneFilterA());
    queue(CommandFactory::getZoneFilterB());
    scheduleTotalRefresh();
}

bool DialogZonalFilterOptions::isValuesUpdated() {
    return m_parameters != nullptr && m_zones != nullptr && m_parameters->hasData() &&
           CurrentParametersSource::isControllerBlock(m_parameters->data()) && m_zones->hasData();
}

void DialogZonalFilterOptions::updateValues() {
    if (!m_editorsLoaded) {
        loadEditors();
        m_editorsLoaded = true;
    }
    const QString text = coefficientText(m_zones->alphasA(), m_zones->alphasB());
    // Unchanged text is left alone, so the box keeps its scroll position.
    if (text != m_coefficients->toPlainText()) {
        m_coefficients->setPlainText(text);
    }
}

void DialogZonalFilterOptions::loadEditors() {
    const ResponseDelegateCurrentParameters& block = *m_parameters;
    m_timeRejector->setValue(block.timeRejectorMaxChange());
    m_hysteresis->setValue(block.hysteresisValue());
    m_intensity->setValue(block.sigFilterHiIntensity() * kIntensityUnit);
    m_monitorFiltered->setChecked(block.isMonitorFilteredEnabled());
    m_monitorHysteresis->setChecked(block.isMonitorHysteresisEnabled());
    m_activate->setChecked(block.isTimeFilterEnabled());
    m_warpDistance->setValue(block.sigFilterWarpDistance());
    m_warpIntensity->setValue(block.sigFilterWarpIntensity());
    const int model = QSettings().value(SettingsKeys::Model::kMux, 0).toInt();
    m_model->setCurrentIndex(model >= 0 && model < m_model->count() ? model : 0);

    m_loadedTimeRejector = m_timeRejector->value();
    m_loadedHysteresis = m_hysteresis->value();
    m_loadedIntensity = m_intensity->value();
    m_loadedWarpDistance = m_warpDistance->value();
    m_loadedWarpIntensity = m_warpIntensity->value();
}

bool DialogZonalFilterOptions::sendValues() {
    const CurrentParametersSource source(dispatcher());
    std::unique_ptr<CommandSetCurrentParameters> command =
        source.commandOrAsk("the zonal filter options");
    if (!command) {
        return false;
    }
    const ResponseDelegateCurrentParameters& block = *m_parameters;
    const int intensity = m_intensity->value() == m_loadedIntensity
                              ? block.sigFilterHiIntensity()
                              : intensityByte(m_intensity->value());
    command->setTimeRejectorMaxChange(static_cast<signed char>(
        valueToWrite(m_timeRejector, m_loadedTimeRejector, block.timeRejectorMaxChange())));
    command->setHysteresisValue(static_cast<signed char>(
        valueToWrite(m_hysteresis, m_loadedHysteresis, block.hysteresisValue())));
    command->setSigFilterHiIntensity(static_cast<signed char>(intensity));
    command->setMonitorFilteredEnabled(m_monitorFiltered->isChecked());
    command->setMonitorHysteresisEnabled(m_monitorHysteresis->isChecked());
    command->setTimeFilterEnabled(m_activate->isChecked());
    command->setSigFilterWarpDistance(static_cast<signed char>(
        valueToWrite(m_warpDistance, m_loadedWarpDistance, block.sigFilterWarpDistance())));
    command->setSigFilterWarpIntensity(static_cast<signed char>(
        valueToWrite(m_warpIntensity, m_loadedWarpIntensity, block.sigFilterWarpIntensity())));
    source.sendAndAsk(std::move(command));
    QSettings().setValue(SettingsKeys::Model::kMux, m_model->currentIndex());
    return true;
}

int DialogZonalFilterOptions::intensityByte(double value) {
    return qBound(0, int(value / kIntensityUnit), kLargestIntensityByte);
}

QString DialogZonalFilterOptions::coefficientLine(int position, quint8 coefficient) {
    QString bar = QString::fromLatin1(kBarEmpty);
    const int filled = coefficient / kBarStep + 1;
    bar.replace(0, filled, QString::fromLatin1(kBarDigits).left(filled));
    return QStringLiteral("%1 - 0x%2 - %3 - %4")
        .arg(position, kPositionWidth)
        .arg(coefficient, kHexWidth, 16)
        .arg(coefficient * kCoefficientUnit, kValueWidth, 'g', kValueDigits)
        .arg(bar.left(kBarLength));
}

QString DialogZonalFilterOptions::coefficientText(const QByteArray& alphasA,
                                                  const QByteArray& alphasB) {
    QString text;
    auto appendLines = [&text](const QByteArray& alphas) {
        for (int i = 0; i < alphas.size(); ++i) {
            text += coefficientLine(i, quint8(alphas.at(i))) + QLatin1Char('\n');
        }
    };
    text += QStringLiteral("A coefficients\n");
    appendLines(alphasA);
    text += QStringLiteral("B coefficients\n");
    appendLines(alphasB);
    return text;
}

QString DialogZonalFilterOptions::coefficientBoxText() const {
    return m_coefficients->toPlainText();
}
