#include "output/FormOutput.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "operations/ConvergingPass.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "operations/getoperations.h"

namespace {

constexpr int kModeButtonSize = 90;
constexpr int kSwitchWidth = 90;
constexpr int kSwitchHeight = 40;
constexpr int kIndicatorSize = 12;
// What the read-backs can be given: the encoding is a byte, level and scale signed bytes.
constexpr int kByteMax = 255;
constexpr int kSignedByteMin = -128;
constexpr int kSignedByteMax = 127;
// The controller's encoding 0 predates the mode choice and behaves as two touch.
constexpr int kUnsetEncoding = 0;

constexpr int kEdgeLevelMin = 0;
constexpr int kEdgeLevelMax = 3;
constexpr int kEdgeScaleMin = -100;
constexpr int kEdgeScaleMax = 127;
constexpr int kInitialEncodingIndex = 1;

// The switch images: a rounded track with the knob right (on) or left (off).
QIcon switchIcon(bool on) {
    const QSize size(kSwitchWidth - 10, kSwitchHeight - 8);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = size.height() / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? QColor(0, 120, 215) : QColor(190, 190, 190));
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    const qreal knob = size.height() - 6;
    const qreal knobX = on ? size.width() - knob - 3 : 3;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, 3, knob, knob));
    return QIcon(pixmap);
}

QFrame* indicator(const QString& name) {
    auto* frame = new QFrame;
    frame->setObjectName(name);
    frame->setFixedSize(kIndicatorSize, kIndicatorSize);
    frame->setFrameShape(QFrame::Box);
    return frame;
}

// A read-back with room for every value of min..max (a minus sign takes a digit): a
// display too short keeps its old digits instead of showing the value.
QLCDNumber* readBack(const QString& name, int min, int max) {
    const int digits = int(qMax(QString::number(min).size(), QString::number(max).size()));
    auto* number = new QLCDNumber(digits);
    number->setObjectName(name);
    number->setSegmentStyle(QLCDNumber::Flat);
    return number;
}
}  // namespace

FormOutput::FormOutput(QWidget* parent)
    : FormOutput(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {}

FormOutput::FormOutput(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                       QWidget* parent)
    : QWidget(parent),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_getOperations(new getoperations(dispatcher, this)),
      m_applyPass(new ConvergingPass(
          dispatcher, [this] { applyChanges(); }, this)) {
    TTRACE_OBJECT();
    m_applyPass->setPassLimit(kApplyPassLimit);
    connect(m_applyPass, &ConvergingPass::gaveUp, this, [this] { updateValuesFromBoard(true); });

    buildUi();
    QMetaObject::connectSlotsByName(this);

    if (ResponseDelegateCurrentParameters* delegate = parameters()) {
        connect(delegate, &ResponseDelegateCurrentParameters::signalOutputChanged, this,
                &FormOutput::setUiState);
    } else {
        TLOG_WARNING(
            QStringLiteral("No \"CurrentParameters\" delegate: the output page will "
                           "not follow the controller"));
    }
    connect(m_operations, &SetOperations::signal_finishedSetOutputFlagMode, this,
            &FormOutput::setUiState);
    connect(m_operations, &SetOperations::modeChanged, this, &FormOutput::modeChanged);
    EnableButtons();
}

FormOutput::~FormOutput() {
    TTRACE_OBJECT();
}

void FormOutput::buildUi() {
    setObjectName(QStringLiteral("FormOutput"));
    setWindowTitle(QStringLiteral("Output"));
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_stack->addWidget(buildModeButtonsPage());
    m_stack->addWidget(buildWizardPage());
    m_stack->addWidget(buildAdvancedPage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_stack);
    m_stack->setCurrentIndex(AdvancedPage);
    m_comboOutputEncoding->setCurrentIndex(kInitialEncodingIndex);
}

QWidget* FormOutput::buildModeButtonsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageModeButtons"));
    auto makeModeButton = [](const QString& name, const QString& text) {
        auto* button = new QPushButton(text);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setMaximumSize(kModeButtonSize, kModeButtonSize);
        button->setMinimumSize(kModeButtonSize, kModeButtonSize);
        return button;
    };
    m_buttonMouseMode = makeModeButton(QStringLiteral("buttonMouseMode"), QStringLiteral("Mouse"));
    m_buttonWindowsTouch =
        makeModeButton(QStringLiteral("buttonWindowsTouch"), QStringLiteral("One Touch"));
    m_buttonDoubleTouch =
        makeModeButton(QStringLiteral("buttonDoubleTouch"), QStringLiteral("Two Touch"));
    m_modeButtons = new QButtonGroup(page);
    m_modeButtons->setExclusive(true);
    m_modeButtons->addButton(m_buttonMouseMode, kMouseMode);
    m_modeButtons->addButton(m_buttonWindowsTouch, kOneTouchMode);
    m_modeButtons->addButton(m_buttonDoubleTouch, kTwoTouchMode);

    m_buttonDisableOutput = new QPushButton;
    m_buttonDisableOutput->setObjectName(QStringLiteral("buttonDisableOutput"));
    m_buttonDisableOutput->setCheckable(true);
    m_buttonDisableOutput->setFixedSize(kSwitchWidth, kSwitchHeight);
    m_buttonDisableOutput->setIconSize(QSize(kSwitchWidth - 10, kSwitchHeight - 8));
    // The icon is the whole switch; no button face behind it in either state.
    m_buttonDisableOutput->setStyleSheet(
        QStringLiteral("QPushButton { border: none; background: transparent; }"));

    auto* modes = new QHBoxLayout;
    modes->addWidget(m_buttonMouseMode);
    modes->addWidget(m_buttonWindowsTouch);
    modes->addWidget(m_buttonDoubleTouch);
    auto* outputSwitch = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Output"));
    label->setObjectName(QStringLiteral("labelOutput"));
    outputSwitch->addStretch();
    outputSwitch->addWidget(label);
    outputSwitch->addWidget(m_buttonDisableOutput);
    outputSwitch->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addStretch();
    layout->addLayout(modes);
    layout->addLayout(outputSwitch);
    layout->addStretch();
    return page;
}

QWidget* FormOutput::buildWizardPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageWizard"));
    auto makeRadio = [](const QString& name, const QString& text) {
        auto* radio = new QRadioButton(text);
        radio->setObjectName(name);
        return radio;
    };
    m_radioNoTouch = makeRadio(QStringLiteral("radioButton_NoTouch"), QStringLiteral("Output Off"));
    m_radioMouse = makeRadio(QStringLiteral("radioButton_Mouse"), QStringLiteral("Mouse"));
    m_radioSingleTouch =
        makeRadio(QStringLiteral("radioButton_SingleTouch"), QStringLiteral("One Touch"));
    m_radioMultiTouch =
        makeRadio(QStringLiteral("radioButton_MultiTouch"), QStringLiteral("Two Touch"));
    auto* layout = new QVBoxLayout(page);
    for (QRadioButton* radio :
         {m_radioNoTouch, m_radioMouse, m_radioSingleTouch, m_radioMultiTouch}) {
        layout->addWidget(radio);
    }
    layout->addStretch();
    return page;
}

QWidget* FormOutput::buildAdvancedPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageAdvanced"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(buildOutputControlGroup());
    layout->addWidget(buildEdgeStretchGroup());
    layout->addStretch();
    return page;
}

QGroupBox* FormOutput::buildOutputControlGroup() {
    auto* group = new QGroupBox(QStringLiteral("Output Control"));
    group->setObjectName(QStringLiteral("groupBox_OutputControl"));
    m_comboOutputEncoding = new QComboBox;
    m_comboOutputEncoding->setObjectName(QStringLiteral("comboOutputEncoding"));
    m_comboOutputEncoding->addItems({QStringLiteral("Mouse (1)"), QStringLiteral("One Touch (2)"),
                                     QStringLiteral("Two Touch (3)")});
    m_numberEncoding = readBack(QStringLiteral("numberEncoding"), 0, kByteMax);
    m_checkBoxOutputEnabled = new QCheckBox(QStringLiteral("Enable Output"));
    m_checkBoxOutputEnabled->setObjectName(QStringLiteral("checkBoxOutputEnabled"));
    m_frameOutputEnabled = indicator(QStringLiteral("frameOutputEnabled"));

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("State")), 0, 0);
    grid->addWidget(m_comboOutputEncoding, 0, 1);
    grid->addWidget(m_numberEncoding, 0, 2);
    grid->addWidget(m_checkBoxOutputEnabled, 1, 1);
    grid->addWidget(m_frameOutputEnabled, 1, 2, Qt::AlignCenter);
    return group;
}

QGroupBox* FormOutput::buildEdgeStretchGroup() {
    m_groupEdgeStretch = new QGroupBox(QStringLiteral("Edge Control"));
    m_groupEdgeStretch->setObjectName(QStringLiteral("groupBox_EdgeStretch"));
    m_sboxEdStretchLevel = new QSpinBox;
    m_sboxEdStretchLevel->setObjectName(QStringLiteral("sboxEdStretchLevel"));
    m_sboxEdStretchLevel->setRange(kEdgeLevelMin, kEdgeLevelMax);
    m_sboxEdStretchLevel->setToolTip(QStringLiteral("Edge Stretch Level"));
    m_numberEdStretchLevel =
        readBack(QStringLiteral("numberEdStretchLevel"), kSignedByteMin, kSignedByteMax);
    m_sboxEdStretchScale = new QSpinBox;
    m_sboxEdStretchScale->setObjectName(QStringLiteral("sboxEdStretchScale"));
    m_sboxEdStretchScale->setRange(kEdgeScaleMin, kEdgeScaleMax);
    m_sboxEdStretchScale->setToolTip(QStringLiteral("Edge Strecth Scale"));
    m_numberEdStretchScale =
        readBack(QStringLiteral("numberEdStretchScale"), kSignedByteMin, kSignedByteMax);
    m_checkBoxEdStrechActive = new QCheckBox(QStringLiteral("Enable EdgeStretch"));
    m_checkBoxEdStrechActive->setObjectName(QStringLiteral("checkBoxEdStrechActive"));
    m_frameEdStretchActive = indicator(QStringLiteral("frameEdStretchActive"));

    auto* grid = new QGridLayout(m_groupEdgeStretch);
    grid->addWidget(new QLabel(QStringLiteral("EdgeStretchLevel")), 0, 0);
    grid->addWidget(m_sboxEdStretchLevel, 0, 1);
    grid->addWidget(m_numberEdStretchLevel, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("EdgeStretchScale")), 1, 0);
    grid->addWidget(m_sboxEdStretchScale, 1, 1);
    grid->addWidget(m_numberEdStretchScale, 1, 2);
    grid->addWidget(m_checkBoxEdStrechActive, 2, 1);
    grid->addWidget(m_frameEdStretchActive, 2, 2, Qt::AlignCenter);
    return m_groupEdgeStretch;
}

int FormOutput::stackIndex() const {
    return m_stack->currentIndex();
}

void FormOutput::setApplyRetryInterval(int ms) {
    m_applyRetryMs = qMax(0, ms);
}

bool FormOutput::isApplyPending() const {
    return m_applyPass->isPending();
}

void FormOutput::setStackIndex(int value) {
    TTRACE();
    m_stack->setCurrentIndex(value);
}

ResponseDelegateCurrentParameters* FormOutput::parameters() const {
    return CurrentParametersSource(m_dispatcher).delegate();
}

int FormOutput::reportedMode() const {
    const ResponseDelegateCurrentParameters* block = parameters();
    const int encoding = block != nullptr ? block->outputEncoding() : kUnsetEncoding;
    return encoding == kUnsetEncoding ? int(getoperations::kFallbackOutputMode) : encoding;
}

QPushButton* FormOutput::modeButton(int mode) const {
    return qobject_cast<QPushButton*>(m_modeButtons->button(mode));
}

QRadioButton* FormOutput::modeRadioButton(int mode) const {
    switch (mode) {
        case kMouseMode:
            return m_radioMouse;
        case kOneTouchMode:
            return m_radioSingleTouch;
        case kTwoTouchMode:
            return m_radioMultiTouch;
        default:
            return nullptr;
    }
}

void FormOutput::clearModeButtons() {
    // An exclusive group keeps one button checked; lift that while clearing.
    m_modeButtons->setExclusive(false);
    for (QAbstractButton* button : m_modeButtons->buttons()) {
        button->setChecked(false);
    }
    m_modeButtons->setExclusive(true);
}

void FormOutput::setDeviceOutputMode(int mode, bool enable) {
    TTRACE();
    m_operations->setDesiredOutputEnabled(enable);
    m_operations->setDesiredOutputEncoding(mode);
    m_operations->setDeviceOutputMode();
}

void FormOutput::requestMode(int mode) {
    setDeviceOutputMode(mode, true);
    setUiState();
}

void FormOutput::on_buttonMouseMode_clicked() {
    TTRACE();
    requestMode(kMouseMode);
}

void FormOutput::on_buttonWindowsTouch_clicked() {
    TTRACE();
    requestMode(kOneTouchMode);
}

void FormOutput::on_buttonDoubleTouch_clicked() {
    TTRACE();
    requestMode(kTwoTouchMode);
}

void FormOutput::on_buttonDisableOutput_clicked() {
    TTRACE();
    m_operations->setDesiredOutputEnabled(!m_getOperations->getOutputEnabled());
    m_operations->setDesiredOutputEncoding(reportedMode());
    m_operations->setDeviceOutputMode();
    setUiState();
}

// Qt clears the old radio button before it checks the new one, so the request of the
// button just chosen is always the last one made and the one SetOperations converges to.
void FormOutput::on_radioButton_NoTouch_toggled(bool checked) {
    TTRACE();
    m_operations->setDesiredOutputEnabled(false);
    m_operations->setDesiredOutputEncoding(checked ? kMouseMode : kUnsetEncoding);
    m_operations->setDeviceOutputMode();
}

void FormOutput::on_radioButton_Mouse_toggled(bool) {
    TTRACE();
    requestMode(kMouseMode);
}

void FormOutput::on_radioButton_SingleTouch_toggled(bool) {
    TTRACE();
    requestMode(kOneTouchMode);
}

void FormOutput::on_radioButton_MultiTouch_toggled(bool) {
    TTRACE();
    requestMode(kTwoTouchMode);
}

void FormOutput::EnableButtons() {
    for (QAbstractButton* button : m_modeButtons->buttons()) {
        button->setStyleSheet(QString::fromLatin1(kEnabledButtonStyle));
    }
    m_buttonDisableOutput->setIcon(switchIcon(true));
    m_buttonDisableOutput->setChecked(false);
}

void FormOutput::DisableButtons() {
    for (QAbstractButton* button : m_modeButtons->buttons()) {
        button->setStyleSheet(QString::fromLatin1(kDisabledButtonStyle));
    }
    m_buttonDisableOutput->setIcon(switchIcon(false));
    m_buttonDisableOutput->setChecked(true);
}

void FormOutput::EnableDisableUiSetting(bool enable) {
    for (QAbstractButton* button : m_modeButtons->buttons()) {
        button->setEnabled(enable);
    }
    m_buttonDisableOutput->setEnabled(true);
    m_comboOutputEncoding->setEnabled(enable);
    m_numberEncoding->setEnabled(enable);
    refreshEdgeEditors();
}

void FormOutput::setUiState() {
    TTRACE();
    const bool enabled = m_getOperations->getOutputEnabled();
    m_outputMode = reportedMode();
    EnableDisableUiSetting(enabled);
    if (!enabled) {
        DisableButtons();
        return;
    }
    EnableButtons();
    QPushButton* selected = modeButton(m_outputMode);
    if (selected == nullptr) {
        TLOG_WARNING(QStringLiteral("Undefined mode %1").arg(m_outputMode));
        clearModeButtons();
        return;
    }
    selected->setChecked(true);
    selected->setStyleSheet(QString::fromLatin1(kSelectedButtonStyle));
}

void FormOutput::loadMode() {
    TTRACE();
    m_outputEnabled = m_getOperations->getOutputEnabled();
    m_outputMode = reportedMode();
    const bool onWizardPage = m_stack->currentIndex() == WizardPage;
    QRadioButton* current = modeRadioButton(m_outputMode);
    if (m_outputEnabled && onWizardPage && current != nullptr) {
        current->setChecked(true);
    } else {
        DisableButtons();
    }
    if (onWizardPage) {
        m_radioMultiTouch->setChecked(true);
    }
    setUiState();
}

void FormOutput::updateSingleFrameBox(QWidget* myFrame, bool newState) {
    if (myFrame == nullptr) {
        return;
    }
    myFrame->setStyleSheet(newState ? QString::fromLatin1(kIndicatorOnStyle) : QString());
}

void FormOutput::on_checkBoxEdStrechActive_toggled(bool) {
    refreshEdgeEditors();
}

void FormOutput::refreshEdgeEditors() {
    // The level and scale only mean something with edge stretch on; keep their editors
    // usable exactly while it is ticked (and the output controls are usable at all).
    enableDisableEdgeState(m_checkBoxEdStrechActive->isChecked() &&
                           m_comboOutputEncoding->isEnabledTo(this));
}

void FormOutput::enableDisableEdgeState(bool flag) {
    for (QWidget* widget :
         {static_cast<QWidget*>(m_sboxEdStretchLevel), static_cast<QWidget*>(m_sboxEdStretchScale),
          static_cast<QWidget*>(m_numberEdStretchLevel),
          static_cast<QWidget*>(m_numberEdStretchScale)}) {
        widget->setEnabled(flag);
    }
}

void FormOutput::updateValuesFromBoard(bool updateEditable) {
    TTRACE();
    const ResponseDelegateCurrentParameters* block = parameters();
    if (block == nullptr) {
        return;
    }
    const int encoding = block->outputEncoding();
    const bool enabled = block->isOutputEnabled();
    const bool edgeActive = block->isOutputEdgeActive();
    m_numberEncoding->display(encoding);
    m_numberEdStretchLevel->display(block->EdgeStrechLevel());
    m_numberEdStretchScale->display(block->EdgeStrechScale());
    updateSingleFrameBox(m_frameOutputEnabled, enabled);
    updateSingleFrameBox(m_frameEdStretchActive, edgeActive);
    if (!updateEditable) {
        return;
    }
    // An encoding outside the combo's items leaves the editor on its last choice.
    if ((encoding != kUnsetEncoding || enabled) && modeButton(encoding) != nullptr) {
        m_comboOutputEncoding->setCurrentIndex(encoding - 1);
    }
    m_checkBoxEdStrechActive->setChecked(edgeActive);
    refreshEdgeEditors();
    m_sboxEdStretchLevel->setValue(block->EdgeStrechLevel());
    m_sboxEdStretchScale->setValue(block->EdgeStrechScale());
    m_checkBoxOutputEnabled->setChecked(enabled);
}

void FormOutput::applyChanges() {
    TTRACE();
    m_applyPass->converge(
        m_applyRetryMs,
        [this](CommandSetCurrentParameters& command) { return writeEdgeStretch(command); },
        [this](std::unique_ptr<CommandSetCurrentParameters> command) {
            applyOutputState(std::move(command));
        });
}

bool FormOutput::writeEdgeStretch(CommandSetCurrentParameters& command) const {
    const bool edgeActive = m_checkBoxEdStrechActive->isChecked();
    const int edgeLevel = m_sboxEdStretchLevel->value();
    const int edgeScale = m_sboxEdStretchScale->value();
    if (command.isOutputEdgeActive() == edgeActive && command.EdgeStrechScale() == edgeScale &&
        command.EdgeStrechLevel() == edgeLevel) {
        return false;
    }
    command.setOutputEdgeStrechActive(edgeActive);
    command.setEdgeStrechScale(static_cast<signed char>(edgeScale));
    command.setEdgeStretchLevel(static_cast<signed char>(edgeLevel));
    return true;
}

// The edge stretch agrees: the output state goes through the operations, or, when it
// agrees too, the block is saved.
void FormOutput::applyOutputState(std::unique_ptr<CommandSetCurrentParameters> command) {
    const int encoding = m_comboOutputEncoding->currentIndex() + 1;
    const bool enabled = m_checkBoxOutputEnabled->isChecked();
    if (command->outputEncoding() == encoding && command->isOutputEnabled() == enabled) {
        EnableDisableUiSetting(enabled);
        m_operations->setHeldCommand(command.release());
        m_operations->saveParametersToFlash();
        return;
    }
    setDeviceOutputMode(encoding, enabled);
}
