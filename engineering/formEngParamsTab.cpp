#include "engineering/formEngParamsTab.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/ConvergingPass.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "engineering/DialogFilterOptions.h"
#include "engineering/DialogTrackerOptions.h"
#include "engineering/DialogZonalFilterOptions.h"
#include "output/FormOutput.h"

namespace {
constexpr int kIndicatorSize = 12;
constexpr int kByteMax = 255;
constexpr int kLinearityMin = -127;
constexpr int kLinearityMax = 127;
constexpr int kReadBackDigits = 3;
// A minus sign takes a digit of its own.
constexpr int kSignedReadBackDigits = 4;
constexpr double kPartialThresholdMin = 0.1;
constexpr double kPartialThresholdMax = 1.0;
constexpr double kPartialThresholdStep = 0.1;
constexpr int kPartialThresholdDecimals = 1;

QFrame* indicator(const QString& name) {
    auto* frame = new QFrame;
    frame->setObjectName(name);
    frame->setFixedSize(kIndicatorSize, kIndicatorSize);
    frame->setFrameShape(QFrame::Box);
    return frame;
}

QLCDNumber* readBack(const QString& name, int digits = kReadBackDigits) {
    auto* number = new QLCDNumber(digits);
    number->setObjectName(name);
    number->setSegmentStyle(QLCDNumber::Flat);
    return number;
}

QSpinBox* integerEditor(const QString& name, int minimum, int maximum) {
    auto* editor = new QSpinBox;
    editor->setObjectName(name);
    editor->setRange(minimum, maximum);
    return editor;
}

QCheckBox* checkBox(const QString& name, const QString& text) {
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    return box;
}

QAction* flashAction(QMenu* menu, const char* name, const char* text, const char* toolTip) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(QString::fromLatin1(toolTip));
    return action;
}
}  // namespace

formEngParamsTab::formEngParamsTab(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                   QWidget* parent)
    : QTabWidget(parent), m_dispatcher(dispatcher), m_operations(operations) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("formEngParamsTab"));
    m_applyPass = new ConvergingPass(
        dispatcher, [this] { convergeEngineValues(); }, this);
    connect(m_applyPass, &ConvergingPass::gaveUp, this, [this] {
        m_applying = false;
        emit applyGaveUp();
    });
    setTimings(m_timings);
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &formEngParamsTab::slot_enableAndRefreshView);

    addTab(buildEngineTab(), QStringLiteral("Engine Parameters"));
    addTab(buildCalibrationTab(), QStringLiteral("Calibration"));
    addTab(buildDiagnosticsTab(), QStringLiteral("Diagnostics"));
    addTab(buildOutputTab(), QStringLiteral("Output Control"));
    addTab(buildFiltersTab(), QStringLiteral("Filters"));
    buildFlashMenu();
    loadSettings();
    connectControls();

    m_output->loadMode();
    if (const ResponseDelegateCurrentParameters* parameters = block()) {
        m_useCalib3->setChecked(parameters->isOutputUseCalib3());
    }
    updateValuesFromBoard(true);
    if (ResponseDelegateCurrentParameters* delegate =
            CurrentParametersSource(dispatcher).delegate()) {
        connect(delegate, QOverload<>::of(&ResponseDelegateCurrentParameters::valuesChanged), this,
                &formEngParamsTab::updateView);
    } else {
        TLOG_WARNING(
            QStringLiteral("No \"CurrentParameters\" delegate: the engineering "
                           "parameters will not follow the controller"));
    }
}

formEngParamsTab::~formEngParamsTab() {
    TTRACE_OBJECT();
}

void formEngParamsTab::setTimings(const Timings& timings) {
    m_timings = timings;
    m_applyPass->setPassLimit(qMax(1, m_timings.applyPassLimit));
    m_applyPass->setAnswerWaitMs(qMax(0, m_timings.answerWaitMs));
}

QWidget* formEngParamsTab::buildEngineTab() {
    m_edgePs = integerEditor(QStringLiteral("spinBoxEdgePS"), 0, kByteMax);
    m_touchThreshold = integerEditor(QStringLiteral("spinBoxTouchThr"), 0, kByteMax);
    m_edgeThreshold = integerEditor(QStringLiteral("spinBoxEdgeThr"), 0, kByteMax);
    m_linearity = integerEditor(QStringLiteral("spinBoxLinearity"), kLinearityMin, kLinearityMax);
    m_scanPs = integerEditor(QStringLiteral("spinBoxScanPS"), 0, kByteMax);
    m_pressThreshold = integerEditor(QStringLiteral("spinBoxPressThr"), 0, kByteMax);
    m_partialThresholdEditor = new QDoubleSpinBox;
    m_partialThresholdEditor->setObjectName(QStringLiteral("doubleSpinBoxPartialThreshold"));
    m_partialThresholdEditor->setDecimals(kPartialThresholdDecimals);
    m_partialThresholdEditor->setRange(kPartialThresholdMin, kPartialThresholdMax);
    m_partialThresholdEditor->setSingleStep(kPartialThresholdStep);

    m_edgePsReadBack = readBack(QStringLiteral("lcdEdgePS"));
    m_touchThresholdReadBack = readBack(QStringLiteral("lcdTouchThr"));
    m_edgeThresholdReadBack = readBack(QStringLiteral("lcdEdgeThr"));
    m_linearityReadBack = readBack(QStringLiteral("lcdLinearity"), kSignedReadBackDigits);
    m_scanPsReadBack = readBack(QStringLiteral("lcdScanPS"));
    m_pressThresholdReadBack = readBack(QStringLiteral("lcdPressThr"));
    m_partialThresholdReadBack = readBack(QStringLiteral("lcdPartialThreshold"));

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabEngine"));
    auto* grid = new QGridLayout(page);
    const struct {
        const char* label;
        QWidget* editor;
        QLCDNumber* readBack;
    } rows[] = {
        {"EdgePS", m_edgePs, m_edgePsReadBack},
        {"TouchThr", m_touchThreshold, m_touchThresholdReadBack},
        {"EdgeThr", m_edgeThreshold, m_edgeThresholdReadBack},
        {"Linearity", m_linearity, m_linearityReadBack},
        {"ScanPS", m_scanPs, m_scanPsReadBack},
        {"PressThr", m_pressThreshold, m_pressThresholdReadBack},
        {"Partial Threshold", m_partialThresholdEditor, m_partialThresholdReadBack},
    };
    int row = 0;
    for (const auto& entry : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(entry.label)), row, 0);
        grid->addWidget(entry.editor, row, 1);
        grid->addWidget(entry.readBack, row, 2);
        ++row;
    }
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* formEngParamsTab::buildCalibrationTab() {
    m_angularBase = new QComboBox;
    m_angularBase->setObjectName(QStringLiteral("comboBoxAngularBase"));
    m_angularBase->addItems({QStringLiteral("Off"), QStringLiteral("0"), QStringLiteral("90"),
                             QStringLiteral("180"), QStringLiteral("270")});
    m_useCalib3 = checkBox(QStringLiteral("checkBoxUseCalib3"), QStringLiteral("UseCalib3"));
    // Status of the last calibration: shown, never written.
    m_calibSuccess =
        checkBox(QStringLiteral("checkBoxCalibSuccess"), QStringLiteral("CalibSuccess"));
    m_calibSuccess->setEnabled(false);
    m_calibErrBadCond =
        checkBox(QStringLiteral("checkBoxCalibErrBadCond"), QStringLiteral("CalibErrBadCond"));
    m_calibErrBadCond->setEnabled(false);
    m_useCalib3Indicator = indicator(QStringLiteral("frameUseCalib3"));
    m_calibSuccessIndicator = indicator(QStringLiteral("frameCalibSuccess"));
    m_calibErrBadCondIndicator = indicator(QStringLiteral("frameCalibErrBadCond"));
    m_exclusionZone = new QLabel(QStringLiteral("0"));
    m_exclusionZone->setObjectName(QStringLiteral("labelExclusionZone"));

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabCalibration"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Angular Base")), 0, 0);
    grid->addWidget(m_angularBase, 0, 1);
    grid->addWidget(m_useCalib3, 1, 1);
    grid->addWidget(m_useCalib3Indicator, 1, 2);
    grid->addWidget(m_calibSuccess, 2, 1);
    grid->addWidget(m_calibSuccessIndicator, 2, 2);
    grid->addWidget(m_calibErrBadCond, 3, 1);
    grid->addWidget(m_calibErrBadCondIndicator, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("ExclusionZone")), 4, 0);
    grid->addWidget(m_exclusionZone, 4, 1);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QCheckBox* formEngParamsTab::addServiceSwitch(const QString& key, const char* name,
                                              const char* text) {
    QCheckBox* box = checkBox(QString::fromLatin1(name), QString::fromLatin1(text));
    QFrame* frame = indicator(QStringLiteral("frame") + QString::fromLatin1(name));
    m_switches.push_back(ServiceSwitch{&key, box, frame});
    return box;
}

QWidget* formEngParamsTab::buildDiagnosticsTab() {
    using namespace SettingsKeys;
    addServiceSwitch(General::kNewFeatures, "checkBoxNewFeatures", "Enable New Features");
    addServiceSwitch(GraphView::kGraphFeatures, "checkBoxGraphFeatures", "Graph Info");
    addServiceSwitch(Sensitivity::kProduceReport, "cbSensReport", "Sens Report");
    addServiceSwitch(Sensitivity::kShowMonitor, "cbSensMonitor", "Sens Monitor");
    addServiceSwitch(Calibration::kValue, "checkBoxCalibValue", "Calib Value");
    addServiceSwitch(GraphView::kSingleWireMode, "checkBoxSingleWireMode", "Single wire Mode");
    addServiceSwitch(General::kNoTouchWindow, "CheckBoxProTouchWindow",
                     "Do not show NoTouchWindow");
    addServiceSwitch(General::kDisableMonEdge, "checkBoxDisableMonEdge", "Disable Graph Edge");
    m_productTest =
        addServiceSwitch(General::kProductTest, "checkBoxProductTest", "Production Testing");
    addServiceSwitch(General::kNoUIsoftReset, "CheckBoxNoUISoftReset", "Dont do UI Soft Reset");
    m_softReset = checkBox(QStringLiteral("CheckBoxsoftReset"), QStringLiteral("Soft Reset"));
    m_softResetIndicator = indicator(QStringLiteral("frameSoftReset"));
    m_wireoutA = indicator(QStringLiteral("frameWireoutA"));
    m_wireoutB = indicator(QStringLiteral("frameWireoutB"));
    m_noOpenGL = indicator(QStringLiteral("frameNoOpenGL"));

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabDiagnostics"));
    auto* grid = new QGridLayout(page);
    constexpr int kRowsPerColumn = 6;
    int index = 0;
    auto place = [grid, &index](QWidget* box, QWidget* frame) {
        const int column = (index / kRowsPerColumn) * 2;
        grid->addWidget(box, index % kRowsPerColumn, column);
        grid->addWidget(frame, index % kRowsPerColumn, column + 1);
        ++index;
    };
    for (const ServiceSwitch& entry : m_switches) {
        place(entry.box, entry.indicator);
    }
    place(m_softReset, m_softResetIndicator);
    auto* flags = new QHBoxLayout;
    for (const auto& [text, frame] : {std::pair<const char*, QFrame*>{"WireoutA", m_wireoutA},
                                      {"WireoutB", m_wireoutB},
                                      {"NoOpenGL", m_noOpenGL}}) {
        flags->addWidget(new QLabel(QString::fromLatin1(text)));
        flags->addWidget(frame);
        flags->addSpacing(kIndicatorSize);
    }
    flags->addStretch();
    grid->addLayout(flags, kRowsPerColumn, 0, 1, 4);
    grid->setRowStretch(kRowsPerColumn + 1, 1);
    return page;
}

QWidget* formEngParamsTab::buildOutputTab() {
    m_output = new FormOutput(m_dispatcher, m_operations);
    m_output->setStackIndex(FormOutput::AdvancedPage);
    return m_output;
}

QWidget* formEngParamsTab::buildFiltersTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabFilters"));
    auto* layout = new QVBoxLayout(page);
    const struct {
        const char* name;
        const char* text;
        void (formEngParamsTab::*open)();
    } buttons[] = {
        {"pushButtonFilterParams", "Touch Filter...",
         &formEngParamsTab::on_pushButtonFilterParams_clicked},
        {"pbTrackerParams", "Tracker...", &formEngParamsTab::on_pbTrackerParams_clicked},
        {"pbZonalFilter", "Zonal Filter...", &formEngParamsTab::on_pbZonalFilter_clicked},
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.text));
        button->setObjectName(QString::fromLatin1(entry.name));
        connect(button, &QPushButton::clicked, this, entry.open);
        layout->addWidget(button);
    }
    layout->addStretch();
    return page;
}

void formEngParamsTab::buildFlashMenu() {
    m_flashMenu = new QMenu(QStringLiteral("Flash Operations"), this);
    m_flashMenu->setObjectName(QStringLiteral("menuFlashOperations"));
    m_flashMenu->setToolTipsVisible(true);
    connect(flashAction(m_flashMenu, "actionLoadFromFlash", "Load",
                        "Load the previously saved parameters from flash"),
            &QAction::triggered, this, &formEngParamsTab::on_actionLoadFromFlash_triggered);
    connect(flashAction(m_flashMenu, "actionSaveToFlash", "Save",
                        "Save the current parameters to flash"),
            &QAction::triggered, this, &formEngParamsTab::on_actionSaveToFlash_triggered);
    connect(flashAction(m_flashMenu, "actionLoadDefaults", "Factory Reset",
                        "Load the default set of parameters"),
            &QAction::triggered, this, &formEngParamsTab::on_actionLoadDefaults_triggered);
    connect(flashAction(m_flashMenu, "actionEraseFlash", "Erase",
                        "Erases the current parameters stored in flash"),
            &QAction::triggered, this, &formEngParamsTab::on_actionEraseFlash_triggered);
    connect(flashAction(m_flashMenu, "actionRestartBoard", "RestartBoard", "Restarts the Board"),
            &QAction::triggered, this, &formEngParamsTab::on_actionRestartBoard_triggered);

    // The menu's own button and the form's button box stay hidden; the dialog has its
    // Apply and offers the menu beside it.
    m_flashMenuButton = new QPushButton(QStringLiteral("Flash Operations"), this);
    m_flashMenuButton->setObjectName(QStringLiteral("pushButtonFlashOperations"));
    m_flashMenuButton->setMenu(m_flashMenu);
    m_flashMenuButton->hide();
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Reset, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    m_buttonBox->hide();
    connect(m_buttonBox, &QDialogButtonBox::clicked, this, &formEngParamsTab::on_buttonBox_clicked);
}

void formEngParamsTab::connectControls() {
    connect(m_softReset, &QCheckBox::toggled, this,
            &formEngParamsTab::on_CheckBoxsoftReset_toggled);
    const struct {
        const char* name;
        void (formEngParamsTab::*slot)(bool);
    } logged[] = {
        {"CheckBoxNoUISoftReset", &formEngParamsTab::on_CheckBoxNoUISoftReset_toggled},
        {"CheckBoxProTouchWindow", &formEngParamsTab::on_CheckBoxProTouchWindow_toggled},
        {"cbSensMonitor", &formEngParamsTab::on_cbSensMonitor_toggled},
        {"cbSensReport", &formEngParamsTab::on_cbSensReport_toggled},
        {"checkBoxCalibValue", &formEngParamsTab::on_checkBoxCalibValue_toggled},
        {"checkBoxGraphFeatures", &formEngParamsTab::on_checkBoxGraphFeatures_toggled},
    };
    for (const auto& entry : logged) {
        if (auto* box = findChild<QCheckBox*>(QString::fromLatin1(entry.name))) {
            connect(box, &QCheckBox::toggled, this, entry.slot);
        }
    }
}

void formEngParamsTab::loadSettings() {
    QSettings settings;
    for (const ServiceSwitch& entry : m_switches) {
        entry.box->setChecked(settings.value(*entry.key, false).toBool());
    }
    bool isNumber = false;
    const int mode = settings.value(SettingsKeys::Calibration::kMode, 0).toInt(&isNumber);
    const int index = mode + kAngularBaseOffset;
    if (!isNumber || index < 0 || index >= m_angularBase->count()) {
        TLOG_WARNING(QStringLiteral("Unknown calibration mode \"%1\", shown as Off")
                         .arg(settings.value(SettingsKeys::Calibration::kMode).toString()));
        m_angularBase->setCurrentIndex(0);
    } else {
        m_angularBase->setCurrentIndex(index);
    }
    const double threshold =
        settings.value(SettingsKeys::GraphView::kPartialWireThreshold, kDefaultPartialThreshold)
            .toDouble(&isNumber);
    m_partialThreshold =
        isNumber && std::isfinite(threshold) ? threshold : kDefaultPartialThreshold;
    m_partialThresholdEditor->setValue(m_partialThreshold);
    m_loadedPartialThreshold = m_partialThresholdEditor->value();
    updateSingleFrameBox(m_noOpenGL,
                         settings.value(SettingsKeys::GraphView::kNoOpenGL, false).toBool());
    showServiceSwitches();
}

void formEngParamsTab::showServiceSwitches() {
    QSettings settings;
    for (const ServiceSwitch& entry : m_switches) {
        updateSingleFrameBox(entry.indicator, settings.value(*entry.key, false).toBool());
    }
}

void formEngParamsTab::storeServiceSwitches() {
    QSettings settings;
    for (const ServiceSwitch& entry : m_switches) {
        settings.setValue(*entry.key, entry.box->isChecked());
    }
    settings.setValue(SettingsKeys::Calibration::kMode,
                      m_angularBase->currentIndex() - kAngularBaseOffset);
    // Only a threshold the user changed is stored; one rounded by the editor is not.
    const double threshold = m_partialThresholdEditor->value();
    if (threshold != m_loadedPartialThreshold) {
        settings.setValue(SettingsKeys::GraphView::kPartialWireThreshold, threshold);
        m_partialThreshold = threshold;
        m_loadedPartialThreshold = threshold;
        m_partialThresholdReadBack->display(m_partialThreshold);
    }
    showServiceSwitches();
}

const ResponseDelegateCurrentParameters* formEngParamsTab::block() const {
    return CurrentParametersSource(m_dispatcher).answered();
}

void formEngParamsTab::updateView() {
    // Editors not loaded yet (opened before the controller answered) take the first block.
    updateValuesFromBoard(!m_boardValuesLoaded);
}

void formEngParamsTab::updateValuesFromBoard(bool updateEditable) {
    const ResponseDelegateCurrentParameters* parameters = block();
    if (parameters == nullptr) {
        return;
    }
    m_edgePsReadBack->display(parameters->edgePs());
    m_edgeThresholdReadBack->display(parameters->edgeThreshold());
    m_scanPsReadBack->display(parameters->scanPs());
    m_touchThresholdReadBack->display(parameters->touchThreshold());
    m_pressThresholdReadBack->display(parameters->pressThreshold());
    m_linearityReadBack->display(parameters->linearity());
    m_partialThresholdReadBack->display(m_partialThreshold);
    m_output->updateValuesFromBoard(updateEditable);

    updateSingleFrameBox(m_wireoutA, parameters->isDiagWireErrorA());
    updateSingleFrameBox(m_wireoutB, parameters->isDiagWireErrorB());
    updateSingleFrameBox(m_useCalib3Indicator, parameters->isOutputUseCalib3());
    updateSingleFrameBox(m_calibSuccessIndicator, parameters->isCalibSuccess());
    updateSingleFrameBox(m_calibErrBadCondIndicator, parameters->isCalibErrBadCond());
    updateSingleFrameBox(m_softResetIndicator, parameters->isSoftResetActive());
    m_exclusionZone->setText(QString::number(parameters->OutputExcludeMode()));
    showServiceSwitches();
    trackSoftReset(*parameters);

    if (updateEditable) {
        loadEditors(*parameters);
    }
}

// The box stays ticked while the reset runs: it is marked pending once the controller
// reports the reset, and unticked by the first block after that without it.
void formEngParamsTab::trackSoftReset(const ResponseDelegateCurrentParameters& parameters) {
    if (!m_softReset->isChecked()) {
        return;
    }
    if (parameters.isSoftResetActive()) {
        m_softResetPending = true;
    } else if (m_softResetPending) {
        m_softResetPending = false;
        m_softReset->setChecked(false);
    }
}

void formEngParamsTab::loadEditors(const ResponseDelegateCurrentParameters& parameters) {
    m_edgePs->setValue(parameters.edgePs());
    m_edgeThreshold->setValue(parameters.edgeThreshold());
    m_scanPs->setValue(parameters.scanPs());
    m_touchThreshold->setValue(parameters.touchThreshold());
    m_pressThreshold->setValue(parameters.pressThreshold());
    m_linearity->setValue(parameters.linearity());
    m_partialThresholdEditor->setValue(m_partialThreshold);
    m_loadedPartialThreshold = m_partialThresholdEditor->value();
    m_productTest->setChecked(
        QSettings().value(SettingsKeys::General::kProductTest, false).toBool());
    m_useCalib3->setChecked(parameters.isOutputUseCalib3());
    m_calibSuccess->setChecked(parameters.isCalibSuccess());
    m_calibErrBadCond->setChecked(parameters.isCalibErrBadCond());
    if (!m_boardValuesLoaded) {
        m_boardValuesLoaded = true;
        emit boardValuesLoaded();
    }
}

void formEngParamsTab::applyChanges() {
    TTRACE();
    storeServiceSwitches();
    if (currentIndex() == OutputControlTab) {
        m_output->applyChanges();
        return;
    }
    if (!m_boardValuesLoaded) {
        TLOG_WARNING(
            QStringLiteral("The controller's parameters have not arrived; nothing to "
                           "apply."));
        return;
    }
    m_applying = true;
    emit applyStarted();
    convergeEngineValues();
}

void formEngParamsTab::stopApplying() {
    m_applying = false;
}

void formEngParamsTab::convergeEngineValues() {
    if (!m_applying) {
        return;
    }
    m_applyPass->converge(
        m_timings.applyRetryMs,
        [this](CommandSetCurrentParameters& command) { return writeEngineValues(command); },
        [this] { onEngineValuesSettled(); });
}

bool formEngParamsTab::writeEngineValues(CommandSetCurrentParameters& command) const {
    if (command.edgePs() == m_edgePs->value() &&
        command.edgeThreshold() == m_edgeThreshold->value() &&
        command.scanPs() == m_scanPs->value() &&
        command.touchThreshold() == m_touchThreshold->value() &&
        command.pressThreshold() == m_pressThreshold->value() &&
        command.linearity() == m_linearity->value() &&
        command.isOutputUseCalib3() == m_useCalib3->isChecked()) {
        return false;
    }
    command.setEdgePs(m_edgePs->value());
    command.setEdgeThreshold(m_edgeThreshold->value());
    command.setScanPs(m_scanPs->value());
    command.setTouchThreshold(static_cast<unsigned char>(m_touchThreshold->value()));
    command.setPressThreshold(static_cast<unsigned char>(m_pressThreshold->value()));
    command.setLinearity(m_linearity->value());
    command.setOutputUseCalib3(m_useCalib3->isChecked());
    return true;
}

void formEngParamsTab::onEngineValuesSettled() {
    m_applying = false;
    m_operations->saveParametersToFlash();
    emit applySaved();
}

void formEngParamsTab::on_buttonBox_clicked(QAbstractButton* button) {
    switch (m_buttonBox->buttonRole(button)) {
        case QDialogButtonBox::ApplyRole:
            applyChanges();
            break;
        case QDialogButtonBox::ResetRole:
            updateValuesFromBoard(true);
            break;
        default:
            break;
    }
}

void formEngParamsTab::flashCommand(DeviceCommand* command) {
    if (!m_dispatcher) {
        delete command;
        return;
    }
    m_dispatcher->queueCommand(command);
}

void formEngParamsTab::on_actionEraseFlash_triggered() {
    TTRACE();
    flashCommand(CommandFactory::eraseFlashContent());
}

void formEngParamsTab::on_actionLoadDefaults_triggered() {
    TTRACE();
    flashCommand(CommandFactory::loadDefaults());
    scheduleTotalRefresh();
}

void formEngParamsTab::on_actionLoadFromFlash_triggered() {
    TTRACE();
    flashCommand(CommandFactory::loadParamsFromFlash());
    scheduleTotalRefresh();
}

void formEngParamsTab::on_actionRestartBoard_triggered() {
    TTRACE();
    flashCommand(CommandFactory::softReset());
}

void formEngParamsTab::on_actionSaveToFlash_triggered() {
    TTRACE();
    flashCommand(CommandFactory::saveParamsToFlash());
}

void formEngParamsTab::scheduleTotalRefresh() {
    // The editors show the parameters from before the load until the refresh.
    setEnabled(false);
    flashCommand(CommandFactory::getParams());
    m_refreshTimer.start(qMax(0, m_timings.refreshDelayMs));
}

void formEngParamsTab::slot_enableAndRefreshView() {
    setEnabled(true);
    updateValuesFromBoard(true);
}

void formEngParamsTab::on_CheckBoxsoftReset_toggled(bool checked) {
    logToggle("Soft Reset", checked);
    // Unticking, by hand or when the reset is over, sends nothing.
    if (!checked) {
        m_softResetPending = false;
        return;
    }
    flashCommand(CommandFactory::softReset());
    flashCommand(CommandFactory::getParams());
}

void formEngParamsTab::logToggle(const char* control, bool checked) {
    TLOG_INFO(QStringLiteral("\"%1\" %2; stored on Apply")
                  .arg(QString::fromLatin1(control),
                       checked ? QStringLiteral("ticked") : QStringLiteral("unticked")));
}

void formEngParamsTab::on_CheckBoxNoUISoftReset_toggled(bool checked) {
    logToggle("Dont do UI Soft Reset", checked);
}

void formEngParamsTab::on_CheckBoxProTouchWindow_toggled(bool checked) {
    logToggle("Do not show NoTouchWindow", checked);
}

void formEngParamsTab::on_cbSensMonitor_toggled(bool checked) {
    logToggle("Sens Monitor", checked);
}

void formEngParamsTab::on_cbSensReport_toggled(bool checked) {
    logToggle("Sens Report", checked);
}

void formEngParamsTab::on_checkBoxCalibValue_toggled(bool checked) {
    logToggle("Calib Value", checked);
}

void formEngParamsTab::on_checkBoxGraphFeatures_toggled(bool checked) {
    logToggle("Graph Info", checked);
}

void formEngParamsTab::openFilterDialog(ParameterSetDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void formEngParamsTab::on_pushButtonFilterParams_clicked() {
    TTRACE();
    openFilterDialog(new DialogFilterOptions(m_dispatcher, this));
}

void formEngParamsTab::on_pbTrackerParams_clicked() {
    TTRACE();
    openFilterDialog(new DialogTrackerOptions(m_dispatcher, this));
}

void formEngParamsTab::on_pbZonalFilter_clicked() {
    TTRACE();
    openFilterDialog(new DialogZonalFilterOptions(m_dispatcher, this));
}

void formEngParamsTab::updateSingleFrameBox(QWidget* frame, bool state) {
    if (frame == nullptr) {
        return;
    }
    frame->setStyleSheet(state ? QString::fromLatin1(kIndicatorOnStyle) : QString());
}
