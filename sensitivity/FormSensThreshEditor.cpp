#include "sensitivity/FormSensThreshEditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLCDNumber>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <utility>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "device/LogReplayer.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateOutputDiagnostics.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/ResponseDelegateScanArea.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "sensitivity/OvEqualizerLines.h"
#include "troubleshoot/GLtexturewidget.h"
#include "troubleshoot/formdisplayCurrentData.h"

namespace {
const char* const kStyleFolder = ":/new/WindowStyles/images/WindowsStyles/";
const char* const kSwitchOffImage = "SwitchOff_90x40.png";
const char* const kSwitchOnImage = "SwitchOn_90x40.png";
const char* const kFeedbackImage = "Feedback_48x48.gif";
const char* const kWireDiagnosisImage =
    "<img src=\":/new/WindowStyles/images/WindowsStyles/Wire_diag_30x27\">";
const char* const kStyleSheet = ":/new/WindowStyles/styles/MainWindow.qss";
constexpr int kMinimumSide = 320;
constexpr int kDisplayHeight = 48;
constexpr int kEdgeViewMode = 0;
constexpr int kMouseEncoding = 1;
constexpr int kStep = 1;
constexpr int kBigStep = 10;
constexpr int kThreeDigits = 99;
constexpr int kTwoDigits = 9;

QString styleImage(const char* name) {
    return QString::fromLatin1(kStyleFolder) + QString::fromLatin1(name);
}

bool settingFlag(const QString& key) {
    return QSettings().value(key, false).toBool();
}

QString loadStyleSheet() {
    QFile file(QString::fromLatin1(kStyleSheet));
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll())
                                                            : QString();
}
}  // namespace

FormSensThreshEditor::FormSensThreshEditor(QWidget* parent)
    : FormSensThreshEditor(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {}

FormSensThreshEditor::FormSensThreshEditor(DeviceEventDispatcher* dispatcher,
                                           SetOperations* operations, QWidget* parent)
    : QWidget(parent),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_get(dispatcher, nullptr) {
    TTRACE_OBJECT();
    const DeviceIoDataProvider* provider =
        dispatcher != nullptr ? dispatcher->ioProvider() : nullptr;
    m_replay = provider == nullptr || !provider->isReadFromDevice();
    m_brokenWire = settingFlag(SettingsKeys::GraphView::kBrokenWire);
    m_productTest = settingFlag(SettingsKeys::General::kProductTest);
    m_disableMonEdge = settingFlag(SettingsKeys::General::kDisableMonEdge);
    m_singleWireMode = settingFlag(SettingsKeys::GraphView::kSingleWireMode);
    m_outputEncodingAtOpening = m_get.getOutputMode();

    m_reEnableGuard.setSingleShot(true);
    m_reEnableGuard.setInterval(kDefaultReEnableTimeoutMs);
    connect(&m_reEnableGuard, &QTimer::timeout, this, [this] {
        TLOG_WARNING(
            QStringLiteral("No answer to the threshold step; the step buttons are "
                           "enabled again."));
        doReEnable();
    });

    buildUi();
    doInitialize();
    m_testMode = m_brokenWire;

    auto* currentData = new QAction(QStringLiteral("Open Engineering Parameters"), this);
    currentData->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    currentData->setShortcutContext(Qt::WindowShortcut);
    addAction(currentData);
    connect(currentData, &QAction::triggered, this, [this] {
        emit signalShowCurrentData();
        (new formdisplayCurrentData(m_dispatcher, this))->show();
    });
    connect(this, &FormSensThreshEditor::signalDataLeft, this,
            &FormSensThreshEditor::on_DisplayScanRate);
    if (m_dispatcher) {
        connect(m_dispatcher, &DeviceEventDispatcher::LoggingCompleted, this,
                &FormSensThreshEditor::on_buttonRestartLog_Triggered);
        connect(m_dispatcher, &DeviceEventDispatcher::LoggingCompleted, this,
                &FormSensThreshEditor::on_buttonPlayLog_pressed);
    }
    if (provider != nullptr && !m_productTest) {
        connect(provider, &DeviceIoDataProvider::deviceUnplugged, this, &QWidget::close);
    }
    if (m_parameters) {
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalThresholdChanged, this,
                &FormSensThreshEditor::setUIThresholdChange);
    }
    applyOpening();
}

FormSensThreshEditor::~FormSensThreshEditor() {
    TTRACE_OBJECT();
}

void FormSensThreshEditor::setLoggingQuestion(LoggingQuestion question) {
    m_loggingQuestion = std::move(question);
}

void FormSensThreshEditor::setSaveFileChooser(SaveFileChooser chooser) {
    m_saveFileChooser = std::move(chooser);
}

QPushButton* FormSensThreshEditor::stepButton(const QString& name, const QString& text,
                                              void (FormSensThreshEditor::*slot)()) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

void FormSensThreshEditor::buildUi() {
    setObjectName(QStringLiteral("FormSensThreshEditor"));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setMinimumSize(kMinimumSide, kMinimumSide);
    setWindowModality(Qt::WindowModal);

    m_tabs = new QTabBar;
    m_tabs->setObjectName(QStringLiteral("widgetContainer"));
    m_tabs->addTab(QStringLiteral("Edge"));
    m_tabs->addTab(QStringLiteral("Scan"));

    m_equalizerA = new OvEqualizerLines;
    m_equalizerA->setObjectName(QStringLiteral("equalizerA"));
    m_equalizerB = new OvEqualizerLines;
    m_equalizerB->setObjectName(QStringLiteral("equalizerB"));
    auto* equalizers = new QWidget;
    auto* equalizerLayout = new QVBoxLayout(equalizers);
    equalizerLayout->setContentsMargins(0, 0, 0, 0);
    equalizerLayout->addWidget(new QLabel(QStringLiteral("A")));
    equalizerLayout->addWidget(m_equalizerA, 1);
    equalizerLayout->addWidget(new QLabel(QStringLiteral("B")));
    equalizerLayout->addWidget(m_equalizerB, 1);

    m_heatMap = new GLtexturewidget(m_dispatcher, m_operations);
    m_heatMap->setDrivesController(!m_replay);
    auto* scanPage = new QWidget;
    auto* scanLayout = new QVBoxLayout(scanPage);
    scanLayout->setContentsMargins(0, 0, 0, 0);
    scanLayout->addWidget(m_heatMap, 1);
    auto* scanControls = new QHBoxLayout;
    auto* displayMode = new QComboBox;
    displayMode->setObjectName(QStringLiteral("displayMode"));
    displayMode->addItems({QStringLiteral("Last array"), QStringLiteral("A and B"),
                           QStringLiteral("Hold"), QStringLiteral("Combined")});
    connect(displayMode, QOverload<int>::of(&QComboBox::currentIndexChanged), m_heatMap,
            &GLtexturewidget::setDisplayMode);
    auto* palette = new QComboBox;
    palette->setObjectName(QStringLiteral("palette"));
    palette->addItems({QStringLiteral("Heat"), QStringLiteral("Grey"), QStringLiteral("Rainbow"),
                       QStringLiteral("Inverted grey"), QStringLiteral("Green")});
    connect(palette, QOverload<int>::of(&QComboBox::currentIndexChanged), m_heatMap,
            [this](int index) { m_heatMap->setPalette(index + 1); });
    scanControls->addWidget(displayMode);
    scanControls->addWidget(palette);
    scanControls->addStretch(1);
    scanLayout->addLayout(scanControls);

    m_viewStack = new QStackedWidget;
    m_viewStack->setObjectName(QStringLiteral("viewStack"));
    m_viewStack->addWidget(equalizers);
    m_viewStack->addWidget(scanPage);

    m_explanationImage = new QLabel;
    m_explanationImage->setObjectName(QStringLiteral("explanationImage"));
    m_explanationText = new QLabel;
    m_explanationText->setObjectName(QStringLiteral("explanationText"));
    m_explanationText->setWordWrap(true);
    m_feedback = new QLabel;
    m_feedback->setObjectName(QStringLiteral("feedback"));
    m_feedbackMovie = new QMovie(styleImage(kFeedbackImage), QByteArray(), this);
    m_feedback->setMovie(m_feedbackMovie);
    auto* explanation = new QHBoxLayout;
    explanation->addWidget(m_explanationImage);
    explanation->addWidget(m_feedback);
    explanation->addWidget(m_explanationText, 1);

    auto* graphs = new QVBoxLayout;
    graphs->addWidget(m_tabs);
    graphs->addWidget(m_viewStack, 1);
    graphs->addLayout(explanation);

    auto* body = new QHBoxLayout;
    body->addLayout(graphs, 1);
    body->addWidget(buildThresholdPanel());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buildButtonRow());

    connect(m_tabs, &QTabBar::currentChanged, this,
            &FormSensThreshEditor::on_widgetContainer_currentChanged);
}

QWidget* FormSensThreshEditor::buildThresholdPanel() {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);

    auto* edgeGroup = new QGroupBox(QStringLiteral("Edge Threshold Adjust"));
    auto* edgeLayout = new QGridLayout(edgeGroup);
    m_edgeDisplay = new QLCDNumber(3);
    m_edgeDisplay->setObjectName(QStringLiteral("lcdEdgeThreshold"));
    m_edgeDisplay->setMinimumHeight(kDisplayHeight);
    m_edgeDisplay->setSegmentStyle(QLCDNumber::Flat);
    edgeLayout->addWidget(m_edgeDisplay, 0, 0, 1, 2);
    QPushButton* edgeMinus = stepButton(QStringLiteral("buttonEdgeMinus1"), QStringLiteral("-1"),
                                        &FormSensThreshEditor::on_buttonEdgeMinus1_clicked);
    QPushButton* edgePlus = stepButton(QStringLiteral("buttonEdgePlus1"), QStringLiteral("+1"),
                                       &FormSensThreshEditor::on_buttonEdgePlus1_clicked);
    edgeLayout->addWidget(edgeMinus, 1, 0);
    edgeLayout->addWidget(edgePlus, 1, 1);
    layout->addWidget(edgeGroup);

    auto* touchGroup = new QGroupBox(QStringLiteral("Touch Threshold Adjust"));
    auto* touchLayout = new QGridLayout(touchGroup);
    m_touchDisplay = new QLCDNumber(3);
    m_touchDisplay->setObjectName(QStringLiteral("lcdTouchThreshold"));
    m_touchDisplay->setMinimumHeight(kDisplayHeight);
    m_touchDisplay->setSegmentStyle(QLCDNumber::Flat);
    touchLayout->addWidget(m_touchDisplay, 0, 0, 1, 4);
    touchLayout->addWidget(stepButton(QStringLiteral("buttonTouchMinus10"), QStringLiteral("-10"),
                                      &FormSensThreshEditor::on_buttonTouchMinus10_clicked),
                           1, 0);
    QPushButton* touchMinus = stepButton(QStringLiteral("buttonTouchMinus1"), QStringLiteral("-1"),
                                         &FormSensThreshEditor::on_buttonTouchMinus1_clicked);
    QPushButton* touchPlus = stepButton(QStringLiteral("buttonTouchPlus1"), QStringLiteral("+1"),
                                        &FormSensThreshEditor::on_buttonTouchPlus1_clicked);
    touchLayout->addWidget(touchMinus, 1, 1);
    touchLayout->addWidget(touchPlus, 1, 2);
    touchLayout->addWidget(stepButton(QStringLiteral("buttonTouchPlus10"), QStringLiteral("+10"),
                                      &FormSensThreshEditor::on_buttonTouchPlus10_clicked),
                           1, 3);
    touchLayout->addWidget(new QLabel(QStringLiteral("Press")), 2, 0);
    QPushButton* pressMinus = stepButton(QStringLiteral("buttonPressMinus1"), QStringLiteral("-1"),
                                         &FormSensThreshEditor::on_buttonPressMinus1_clicked);
    QPushButton* pressPlus = stepButton(QStringLiteral("buttonPressPlus1"), QStringLiteral("+1"),
                                        &FormSensThreshEditor::on_buttonPressPlus1_clicked);
    touchLayout->addWidget(pressMinus, 2, 1);
    touchLayout->addWidget(pressPlus, 2, 2);
    layout->addWidget(touchGroup);
    m_stepButtons = {touchMinus, touchPlus, edgeMinus, edgePlus, pressMinus, pressPlus};

    auto* rates = new QGridLayout;
    rates->addWidget(new QLabel(QStringLiteral("Scan Rate")), 0, 0);
    m_scanRate = new QLabel(QStringLiteral("--"));
    m_scanRate->setObjectName(QStringLiteral("labelScanRate"));
    rates->addWidget(m_scanRate, 0, 1);
    auto* snapCaption = new QLabel(QStringLiteral("sr"));
    m_snapRate = new QLabel(QStringLiteral("--"));
    m_snapRate->setObjectName(QStringLiteral("labelSnapRate"));
    rates->addWidget(snapCaption, 1, 0);
    rates->addWidget(m_snapRate, 1, 1);
    m_graphFeatureWidgets = {snapCaption, m_snapRate};
    int row = 2;
    for (const auto& feature : {std::pair{"FA", &SettingsKeys::GraphView::kFlipA},
                                std::pair{"FB", &SettingsKeys::GraphView::kFlipB},
                                std::pair{"SWB", &SettingsKeys::GraphView::kSwapAB}}) {
        auto* caption = new QLabel(QString::fromLatin1(feature.first));
        auto* check = new QToolButton;
        check->setObjectName(QStringLiteral("check") + QString::fromLatin1(feature.first));
        check->setCheckable(true);
        const QString key = *feature.second;
        connect(check, &QToolButton::toggled, this,
                [key](bool on) { QSettings().setValue(key, on); });
        rates->addWidget(caption, row, 0);
        rates->addWidget(check, row, 1);
        m_graphFeatureWidgets << caption << check;
        ++row;
    }
    layout->addLayout(rates);
    layout->addStretch(1);
    return panel;
}

QWidget* FormSensThreshEditor::buildButtonRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    auto toolButton = [this, layout](const QString& name, const QString& text,
                                     void (FormSensThreshEditor::*slot)()) {
        auto* button = new QToolButton;
        button->setObjectName(name);
        button->setText(text);
        connect(button, &QToolButton::pressed, this, slot);
        layout->addWidget(button);
        return button;
    };
    m_buttonRecordLog = toolButton(QStringLiteral("buttonRecordLog"), QStringLiteral("Logging"),
                                   &FormSensThreshEditor::on_buttonRecordLog_pressed);
    m_buttonBackLog = toolButton(QStringLiteral("buttonBackLog"), QStringLiteral("|<"),
                                 &FormSensThreshEditor::on_buttonBackLog_pressed);
    m_buttonPlayLog = toolButton(QStringLiteral("buttonPlayLog"), QStringLiteral(">"),
                                 &FormSensThreshEditor::on_buttonPlayLog_pressed);
    m_buttonStopLog = toolButton(QStringLiteral("buttonStopLog"), QStringLiteral("[]"),
                                 &FormSensThreshEditor::on_buttonStopLog_pressed);
    m_buttonFrontLog = toolButton(QStringLiteral("buttonFrontLog"), QStringLiteral(">>"),
                                  &FormSensThreshEditor::on_buttonFrontLog_pressed);
    m_buttonBackLog->setToolTip(QStringLiteral("Replay from the start"));
    m_buttonPlayLog->setToolTip(QStringLiteral("Replay a log"));
    m_buttonStopLog->setToolTip(QStringLiteral("Stop"));
    m_buttonFrontLog->setToolTip(QStringLiteral("Skip ahead"));
    layout->addStretch(1);

    layout->addWidget(new QLabel(QStringLiteral("TI")));
    m_buttonTestMode = new QPushButton;
    m_buttonTestMode->setObjectName(QStringLiteral("buttonTestMode"));
    m_buttonTestMode->setToolTip(QStringLiteral("Test Mode"));
    m_buttonTestMode->setCheckable(true);
    m_buttonTestMode->setIconSize(QSize(90, 40));
    m_buttonTestMode->setFlat(true);
    connect(m_buttonTestMode, &QPushButton::toggled, this,
            &FormSensThreshEditor::on_buttonTestMode_toggled);
    layout->addWidget(new QLabel(QStringLiteral("Test Mode")));
    layout->addWidget(m_buttonTestMode);

    m_buttonRestart = new QPushButton(QStringLiteral("Restart"));
    m_buttonRestart->setObjectName(QStringLiteral("buttonRestart"));
    connect(m_buttonRestart, &QPushButton::clicked, this,
            &FormSensThreshEditor::on_buttonRestart_clicked);
    layout->addWidget(m_buttonRestart);
    m_buttonCloseSave = new QPushButton(QStringLiteral("Save"));
    m_buttonCloseSave->setObjectName(QStringLiteral("buttonCloseSave"));
    connect(m_buttonCloseSave, &QPushButton::clicked, this,
            &FormSensThreshEditor::on_buttonCloseSave_clicked);
    layout->addWidget(m_buttonCloseSave);
    return row;
}

void FormSensThreshEditor::lookUpDelegates() {
    if (!m_dispatcher) {
        return;
    }
    m_parameters = CurrentParametersSource(m_dispatcher).delegate();
    m_edge = qobject_cast<ResponseDelegateProcessedEdge*>(
        m_dispatcher->responseDelegate(ResponseDelegateProcessedEdge::registryName()));
    m_diagnostics = qobject_cast<ResponseDelegateOutputDiagnostics*>(
        m_dispatcher->responseDelegate(ResponseDelegateOutputDiagnostics::registryName()));
    m_scan = qobject_cast<ResponseDelegateProcessedScan*>(
        m_dispatcher->responseDelegate(ResponseDelegateProcessedScan::registryName()));
    m_scanArea = qobject_cast<ResponseDelegateScanArea*>(
        m_dispatcher->responseDelegate(ResponseDelegateScanArea::registryName()));
    if (!m_parameters || !m_edge) {
        TLOG_WARNING(QStringLiteral("No device kind is current; the graphs stay empty."));
    }
}

void FormSensThreshEditor::doInitialize() {
    TTRACE();
    setStyleSheet(loadStyleSheet());
    hideExplanation();
    m_explanationImage->setText(QString::fromLatin1(kWireDiagnosisImage));
    m_explanationText->setText(QString::fromLatin1(kDiagnoseText));
    if (m_replay) {
        // A replay shows the log, nothing of this session: no log of our own meanwhile.
        SillyLogger::instance()->stop();
        SillyLogger::instance()->setLevel(0);
        m_buttonPlayLog->setToolTip(QStringLiteral("Replay again"));
        m_buttonStopLog->setToolTip(QStringLiteral("Stop the replay"));
        m_buttonRecordLog->setEnabled(false);
        setPlaybackButtons(true);
        for (QPushButton* button : findChildren<QPushButton*>()) {
            button->setEnabled(false);
        }
    } else {
        m_buttonStopLog->setEnabled(false);
        m_buttonBackLog->setEnabled(false);
        m_buttonFrontLog->setEnabled(false);
    }

    const bool graphFeatures = settingFlag(SettingsKeys::GraphView::kGraphFeatures);
    for (QWidget* widget : std::as_const(m_graphFeatureWidgets)) {
        widget->setVisible(graphFeatures);
    }
    if (graphFeatures) {
        const QList<QToolButton*> checks = {findChild<QToolButton*>(QStringLiteral("checkFA")),
                                            findChild<QToolButton*>(QStringLiteral("checkFB")),
                                            findChild<QToolButton*>(QStringLiteral("checkSWB"))};
        const QString keys[] = {SettingsKeys::GraphView::kFlipA, SettingsKeys::GraphView::kFlipB,
                                SettingsKeys::GraphView::kSwapAB};
        for (int i = 0; i < checks.size(); ++i) {
            checks[i]->setChecked(settingFlag(keys[i]));
        }
        connect(this, &FormSensThreshEditor::signalDataRight, this,
                &FormSensThreshEditor::on_DisplaySnapRate, Qt::UniqueConnection);
    } else {
        disconnect(this, &FormSensThreshEditor::signalDataRight, this,
                   &FormSensThreshEditor::on_DisplaySnapRate);
    }

    setAttribute(Qt::WA_DeleteOnClose);
    setTestModeIcon(false);
    lookUpDelegates();
    for (OvEqualizerLines* equalizer : {m_equalizerA, m_equalizerB}) {
        equalizer->setDisplayOptions(OvEqualizerLines::kAllOptions);
    }
    if (m_parameters) {
        connect(m_parameters, QOverload<>::of(&ResponseDelegateCurrentParameters::valuesChanged),
                this, &FormSensThreshEditor::setUiFlags);
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalSoftResetInactive, this,
                &QWidget::raise);
        connect(m_parameters,
                QOverload<QByteArray>::of(&ResponseDelegateCurrentParameters::valuesChanged), this,
                &FormSensThreshEditor::slotParametersChanged);
    }
    if (m_edge) {
        connect(m_edge, &ResponseDelegateProcessedEdge::edgeA, this,
                &FormSensThreshEditor::pushDataA);
        connect(m_edge, &ResponseDelegateProcessedEdge::edgeB, this,
                &FormSensThreshEditor::pushDataB);
    }
    for (OvEqualizerLines* equalizer : {m_equalizerA, m_equalizerB}) {
        connect(equalizer, &OvEqualizerLines::finishedAccumulatingSamples, this,
                &FormSensThreshEditor::onFinishedAccumulatingSamples);
    }
    connectOperations();
    // Starts the parameter polls; each answer asks for the next.
    setUiFlags();

    const int edge = m_get.getEdgeThreshold();
    const int touch = m_get.getTouchThreshold();
    updateEdgeThreshold(edge);
    setEdgeDigitCount(edge);
    updateTouchThreshold(touch);
    setTouchDigitCount(touch);
    if (m_parameters) {
        m_memento = m_parameters->parameterBlock();
        slotParametersChanged(m_memento);
    }
    m_testMode = false;
}

// Connections to the process-wide operations are made once, however often the window
// opens or switches test mode.
void FormSensThreshEditor::connectOperations() {
    if (m_operations == nullptr) {
        return;
    }
    connect(m_operations, &SetOperations::signal_finishSetMonScanAB, m_equalizerA,
            &OvEqualizerLines::emptyScanOutData, Qt::UniqueConnection);
    connect(m_operations, &SetOperations::signal_finishSetMonScanAB, m_equalizerB,
            &OvEqualizerLines::emptyScanOutData, Qt::UniqueConnection);
    connect(m_operations, &SetOperations::signal_finishSetMonDiagAB, m_equalizerA,
            &OvEqualizerLines::emptyWireOutData, Qt::UniqueConnection);
    connect(m_operations, &SetOperations::signal_finishSetMonDiagAB, m_equalizerB,
            &OvEqualizerLines::emptyWireOutData, Qt::UniqueConnection);
    connect(m_operations, &SetOperations::signalReEnable, this, &FormSensThreshEditor::doReEnable,
            Qt::UniqueConnection);
}

void FormSensThreshEditor::applyOpening() {
    const QSignalBlocker blocker(m_tabs);
    if (m_productTest) {
        if (DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr) {
            connect(provider, &DeviceIoDataProvider::deviceUnplugged, m_equalizerA,
                    &OvEqualizerLines::emptyWireOutData);
            connect(provider, &DeviceIoDataProvider::deviceUnplugged, m_equalizerB,
                    &OvEqualizerLines::emptyWireOutData);
            connect(provider, &DeviceIoDataProvider::deviceUnplugged, m_equalizerA,
                    &OvEqualizerLines::emptyEdgeData);
            connect(provider, &DeviceIoDataProvider::deviceUnplugged, m_equalizerB,
                    &OvEqualizerLines::emptyEdgeData);
        }
        m_tabIndex = EdgeTab;
        m_tabs->setCurrentIndex(EdgeTab);
        connectDisconnect();
        if (!m_replay) {
            const QSignalBlocker buttonBlocker(m_buttonTestMode);
            m_buttonTestMode->setChecked(true);
            on_buttonTestMode_toggled(true);
            if (!m_disableMonEdge) {
                m_operations->doScanOrEdge();
            }
        }
        return;
    }
    if (m_brokenWire && !m_replay) {
        m_tabIndex = EdgeTab;
        m_tabs->setCurrentIndex(EdgeTab);
        connectDisconnect();
        const QSignalBlocker buttonBlocker(m_buttonTestMode);
        m_buttonTestMode->setChecked(true);
        on_buttonTestMode_toggled(true);
        return;
    }
    m_tabIndex = ScanTab;
    m_tabs->setCurrentIndex(ScanTab);
    connectDisconnect();
}

void FormSensThreshEditor::selectTab(int index) {
    m_tabs->setCurrentIndex(index);
}

bool FormSensThreshEditor::areStepButtonsEnabled() const {
    for (const QPushButton* button : m_stepButtons) {
        if (!button->isEnabled()) {
            return false;
        }
    }
    return true;
}

int FormSensThreshEditor::touchDisplay() const {
    return m_touchDisplay->intValue();
}

int FormSensThreshEditor::edgeDisplay() const {
    return m_edgeDisplay->intValue();
}

QString FormSensThreshEditor::scanRateText() const {
    return m_scanRate->text();
}

void FormSensThreshEditor::updateTouchThreshold(int value) {
    showKeepingDigits(m_touchDisplay, value);
}

void FormSensThreshEditor::updateEdgeThreshold(int value) {
    showKeepingDigits(m_edgeDisplay, value);
}

// The digit count stays, unless the value would not fit: an overflowing display shows
// nothing at all (a block read before the first one gives 0, one digit).
void FormSensThreshEditor::showKeepingDigits(QLCDNumber* display, int value) {
    if (display->checkOverflow(value)) {
        setDigits(display, value);
    } else {
        display->display(value);
    }
}

void FormSensThreshEditor::setDigits(QLCDNumber* display, int value) {
    display->setDigitCount(value > kThreeDigits ? 3 : value > kTwoDigits ? 2 : 1);
    display->display(value);
}

void FormSensThreshEditor::setTouchDigitCount(int value) {
    setDigits(m_touchDisplay, value);
}

void FormSensThreshEditor::setEdgeDigitCount(int value) {
    setDigits(m_edgeDisplay, value);
}

void FormSensThreshEditor::slotParametersChanged(QByteArray memento) {
    m_memento = std::move(memento);
}

void FormSensThreshEditor::setUIThresholdChange() {
    if (!m_parameters) {
        return;
    }
    const int edge = m_parameters->edgeThreshold();
    for (OvEqualizerLines* equalizer : {m_equalizerA, m_equalizerB}) {
        if (equalizer->press() != edge) {
            equalizer->setPress(edge);
        }
    }
    if (m_tabIndex == EdgeTab) {
        setEdgeDigitCount(edge);
    } else {
        setTouchDigitCount(m_parameters->touchThreshold());
    }
}

void FormSensThreshEditor::on_DisplayScanRate() {
    if (m_parameters) {
        m_scanRate->setText(QString::number(m_parameters->scanRate()));
    }
}

void FormSensThreshEditor::on_DisplaySnapRate() {
    if (m_parameters) {
        m_snapRate->setText(QString::number(m_parameters->snapRate()));
    }
}

void FormSensThreshEditor::setStepButtonsEnabled(bool on) {
    for (QPushButton* button : std::as_const(m_stepButtons)) {
        button->setEnabled(on && !m_replay);
    }
}

void FormSensThreshEditor::step(Threshold threshold, int delta) {
    if (m_replay || !m_parameters || m_operations == nullptr) {
        return;
    }
    const int current = threshold == Threshold::Touch  ? m_parameters->touchThreshold()
                        : threshold == Threshold::Edge ? m_parameters->edgeThreshold()
                                                       : m_parameters->pressThreshold();
    const int target = current + delta;
    // The operations would keep their previous target and run with it.
    if (target < SetOperations::kMinThreshold || target > SetOperations::kMaxThreshold) {
        TLOG_INFO(QStringLiteral("Threshold %1 is out of range; nothing is sent.").arg(target));
        return;
    }
    setStepButtonsEnabled(false);
    m_reEnableGuard.start();
    switch (threshold) {
        case Threshold::Touch:
            m_operations->setDesiredTouchThreshold(target);
            m_operations->SetTouchTreshold();
            break;
        case Threshold::Edge:
            m_operations->setDesiredEdgeThreshold(target);
            m_operations->SetEdgeThreshold();
            break;
        case Threshold::Press:
            m_operations->setDesiredPressThreshold(target);
            m_operations->SetPressThreshold();
            break;
    }
}

void FormSensThreshEditor::on_buttonTouchMinus10_clicked() {
    emit signalThresholdSaved(false);
}

void FormSensThreshEditor::on_buttonTouchMinus1_clicked() {
    emit signalThresholdSaved(false);
    step(Threshold::Touch, -kStep);
}

void FormSensThreshEditor::on_buttonTouchPlus1_clicked() {
    emit signalThresholdSaved(false);
    step(Threshold::Touch, kStep);
}

void FormSensThreshEditor::on_buttonTouchPlus10_clicked() {
    emit signalThresholdSaved(false);
}

void FormSensThreshEditor::on_buttonEdgeMinus10_clicked() {}

void FormSensThreshEditor::on_buttonEdgeMinus1_clicked() {
    step(Threshold::Edge, -kStep);
}

void FormSensThreshEditor::on_buttonEdgePlus1_clicked() {
    step(Threshold::Edge, kStep);
}

void FormSensThreshEditor::on_buttonEdgePlus10_clicked() {}

void FormSensThreshEditor::on_buttonPressMinus10_clicked() {}

void FormSensThreshEditor::on_buttonPressMinus1_clicked() {
    step(Threshold::Press, -kStep);
}

void FormSensThreshEditor::on_buttonPressPlus1_clicked() {
    step(Threshold::Press, kStep);
}

void FormSensThreshEditor::on_buttonPressPlus10_clicked() {}

void FormSensThreshEditor::doReEnable() {
    m_reEnableGuard.stop();
    setStepButtonsEnabled(true);
}

void FormSensThreshEditor::doThresholdOperations() {
    doReEnable();
}

void FormSensThreshEditor::showLevels() {
    setUIThresholdChange();
}

void FormSensThreshEditor::EmptyWireoutABData() {
    m_equalizerA->emptyWireOutData();
    m_equalizerB->emptyWireOutData();
}

void FormSensThreshEditor::pushDataA(QByteArray levels) {
    emit signalDataLeft(levels);
}

void FormSensThreshEditor::pushDataB(QByteArray levels) {
    emit signalDataRight(levels);
}

void FormSensThreshEditor::paintDataA(QByteArray levels) {
    m_equalizerA->paintData(levels);
}

void FormSensThreshEditor::paintDataB(QByteArray levels) {
    m_equalizerB->paintData(levels);
}

void FormSensThreshEditor::DoConnections() {
    if (m_edge) {
        connect(m_edge, &ResponseDelegateProcessedEdge::edgeA, m_equalizerA,
                &OvEqualizerLines::push, Qt::UniqueConnection);
        connect(m_edge, &ResponseDelegateProcessedEdge::edgeB, m_equalizerB,
                &OvEqualizerLines::push, Qt::UniqueConnection);
    }
    if (m_parameters) {
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalEdgeThreshold, m_equalizerA,
                &OvEqualizerLines::setPress, Qt::UniqueConnection);
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalEdgeThreshold, m_equalizerB,
                &OvEqualizerLines::setPress, Qt::UniqueConnection);
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalEdgeThreshold, this,
                &FormSensThreshEditor::updateEdgeThreshold, Qt::UniqueConnection);
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalTouchThreshold, this,
                &FormSensThreshEditor::updateTouchThreshold, Qt::UniqueConnection);
    }
}

void FormSensThreshEditor::DodisConnections() {
    if (m_edge) {
        disconnect(m_edge, &ResponseDelegateProcessedEdge::edgeA, m_equalizerA,
                   &OvEqualizerLines::push);
        disconnect(m_edge, &ResponseDelegateProcessedEdge::edgeB, m_equalizerB,
                   &OvEqualizerLines::push);
    }
    m_equalizerA->clearStats();
    m_equalizerB->clearStats();
}

void FormSensThreshEditor::setMonDiagAB(bool on) {
    m_productTest = settingFlag(SettingsKeys::General::kProductTest);
    m_disableMonEdge = settingFlag(SettingsKeys::General::kDisableMonEdge);
    if (!m_diagnostics) {
        return;
    }
    const bool ownPainting = m_productTest && m_disableMonEdge;
    using Diag = ResponseDelegateOutputDiagnostics;
    if (on) {
        connect(m_diagnostics, &Diag::outputDiagA, m_equalizerA,
                &OvEqualizerLines::analyzeAndDisplay, Qt::UniqueConnection);
        connect(m_diagnostics, &Diag::outputDiagB, m_equalizerB,
                &OvEqualizerLines::analyzeAndDisplay, Qt::UniqueConnection);
        if (ownPainting) {
            connect(m_diagnostics, &Diag::outputDiagA, this, &FormSensThreshEditor::paintDataA,
                    Qt::UniqueConnection);
            connect(m_diagnostics, &Diag::outputDiagB, this, &FormSensThreshEditor::paintDataB,
                    Qt::UniqueConnection);
        } else {
            connect(m_diagnostics, &Diag::outputDiagA, m_equalizerA, &OvEqualizerLines::paintData,
                    Qt::UniqueConnection);
            connect(m_diagnostics, &Diag::outputDiagB, m_equalizerB, &OvEqualizerLines::paintData,
                    Qt::UniqueConnection);
        }
        return;
    }
    disconnect(m_diagnostics, &Diag::outputDiagA, m_equalizerA, nullptr);
    disconnect(m_diagnostics, &Diag::outputDiagB, m_equalizerB, nullptr);
    disconnect(m_diagnostics, &Diag::outputDiagA, this, &FormSensThreshEditor::paintDataA);
    disconnect(m_diagnostics, &Diag::outputDiagB, this, &FormSensThreshEditor::paintDataB);
}

void FormSensThreshEditor::setMonEdgeAB(bool on) {
    if (on) {
        DoConnections();
    } else {
        DodisConnections();
    }
}

void FormSensThreshEditor::setUiFlags() {
    if (!m_testMode && m_parameters) {
        const bool diagnosing = m_parameters->isMonitorTestMode() ||
                                m_parameters->isMonitorDiagA() || m_parameters->isMonitorDiagB();
        if (!diagnosing) {
            if (m_parameters->isDiagWireErrorA() || m_parameters->isDiagWireErrorB()) {
                showExplanation(true);
            } else {
                hideExplanation();
            }
            if (!m_productTest) {
                setTestModeIcon(false);
            }
        } else {
            setTestModeIcon(true);
            hideExplanation();
        }
    }
    on_DisplayScanRate();
    queueParametersPoll();
}

// One request of ours waits in the queue at most: every other get-parameters (each pass
// of an operation queues one) also brings an answer, and answering each with a request of
// our own would grow the queue without end.
void FormSensThreshEditor::queueParametersPoll() {
    if (m_replay || !m_dispatcher || m_poll) {
        return;
    }
    SimpleCommand* poll = CommandFactory::getParams();
    m_poll = poll;
    m_dispatcher->queueCommand(poll);
}

void FormSensThreshEditor::setTestModeIcon(bool on) {
    m_buttonTestMode->setIcon(QIcon(styleImage(on ? kSwitchOnImage : kSwitchOffImage)));
}

void FormSensThreshEditor::showExplanation(bool diagnose) {
    m_explanationImage->setVisible(diagnose);
    m_explanationText->setVisible(true);
    if (diagnose) {
        m_explanationImage->setText(QString::fromLatin1(kWireDiagnosisImage));
        m_explanationText->setText(QString::fromLatin1(kDiagnoseText));
    }
}

void FormSensThreshEditor::showCollecting() {
    m_explanationText->setVisible(true);
    m_explanationText->setText(QString::fromLatin1(kCollectingText));
    m_feedback->setVisible(true);
    m_feedbackMovie->start();
}

void FormSensThreshEditor::hideExplanation() {
    m_explanationImage->setVisible(false);
    m_explanationText->setVisible(false);
    m_feedback->setVisible(false);
    m_feedbackMovie->stop();
}

void FormSensThreshEditor::on_buttonTestMode_toggled(bool checked) {
    TTRACE();
    if (m_replay || m_operations == nullptr) {
        return;
    }
    if (checked) {
        m_tabIndex = EdgeTab;
        if (m_get.getScanModeEnabled()) {
            m_operations->setDesiredScanMode(false);
            m_operations->setMonitorScanMode();
            connect(m_operations, &SetOperations::signal_finishDisableMonScanAB, this,
                    &FormSensThreshEditor::slotSetMonitorMode, Qt::UniqueConnection);
        } else {
            slotSetMonitorMode(true);
        }
    } else {
        slotSetMonitorMode(false);
    }
    m_testMode = checked;
    setTestModeIcon(checked);
    if (checked) {
        showCollecting();
    }
    connect(m_operations, &SetOperations::signal_finishedSetMonEdgeABFlags, this,
            &FormSensThreshEditor::changeIndexOnTestMode, Qt::UniqueConnection);
}

void FormSensThreshEditor::slotSetMonitorMode(bool on) {
    if (m_operations == nullptr) {
        return;
    }
    disconnect(m_operations, &SetOperations::signal_finishDisableMonScanAB, this,
               &FormSensThreshEditor::slotSetMonitorMode);
    m_operations->setDesiredDiagAB(on);
    m_operations->setMonDiagAB();
    setMonDiagAB(on);
}

void FormSensThreshEditor::changeIndexOnTestMode() {
    disconnect(m_operations, &SetOperations::signal_finishedSetMonEdgeABFlags, this,
               &FormSensThreshEditor::changeIndexOnTestMode);
    m_tabs->setCurrentIndex(m_tabIndex);
    showCollecting();
}

void FormSensThreshEditor::onFinishedAccumulatingSamples() {
    hideExplanation();
}

void FormSensThreshEditor::on_widgetContainer_currentChanged(int index) {
    m_tabIndex = index;
    if (index == ScanTab && m_get.getMonitorDiagAB() && m_get.getTestMode()) {
        doSetMonitorEdge();
        return;
    }
    connectDisconnect();
    doSetMonitorEdge();
}

void FormSensThreshEditor::connectDisconnect() {
    if (m_tabIndex == ScanTab) {
        if (m_operations != nullptr) {
            disconnect(m_operations, &SetOperations::signal_finishSetMonDiagAB, m_equalizerA,
                       &OvEqualizerLines::emptyWireOutData);
            disconnect(m_operations, &SetOperations::signal_finishSetMonDiagAB, m_equalizerB,
                       &OvEqualizerLines::emptyWireOutData);
        }
        DodisConnections();
        m_heatMap->setTestMode(m_testMode);
        m_viewStack->setCurrentIndex(ScanTab);
        m_heatMap->DoConnections();
        return;
    }
    m_heatMap->DodisConnections();
    m_viewStack->setCurrentIndex(EdgeTab);
    DoConnections();
}

void FormSensThreshEditor::doSetMonitorEdge() {
    if (m_replay || m_operations == nullptr) {
        return;
    }
    if (m_tabIndex == EdgeTab) {
        if (!m_disableMonEdge) {
            m_operations->setViewMode(kEdgeViewMode);
            m_operations->doScanOrEdge();
        }
        return;
    }
    if (m_get.getMonitorDiagAB() || m_get.getTestMode()) {
        setTestModeIcon(false);
        connectDisconnect();
    }
}

void FormSensThreshEditor::on_buttonCloseSave_clicked() {
    TTRACE();
    on_buttonStopLog_pressed();
    emit signalThresholdSaved(true);
    {
        const QSignalBlocker blocker(m_buttonTestMode);
        m_buttonTestMode->setChecked(false);
    }
    close();
}

void FormSensThreshEditor::closeEvent(QCloseEvent* event) {
    TTRACE();
    m_heatMap->DodisConnections();
    DodisConnections();
    UndoChanges();
    emit signalClosed();
    stopRecording();
    // Nobody watches the log any more.
    if (m_replay) {
        if (DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr) {
            provider->close();
        }
    }
    QWidget::closeEvent(event);
}

void FormSensThreshEditor::UndoChanges() {
    TTRACE();
    m_reEnableGuard.stop();
    m_equalizerA->emptyWireOutData();
    m_equalizerB->emptyWireOutData();
    if (m_brokenWire) {
        QSettings().setValue(SettingsKeys::GraphView::kBrokenWire, false);
    }
    if (m_replay || m_operations == nullptr) {
        return;
    }
    // The monitor mode comes back once the flags are down; a one-shot link, since this
    // window is gone by then.
    SetOperations* operations = m_operations;
    auto link = std::make_shared<QMetaObject::Connection>();
    *link = connect(operations, &SetOperations::signal_finishedUnsettingParameters, operations,
                    [operations, link] {
                        QObject::disconnect(*link);
                        operations->SetMonitorMode();
                    });
    operations->unSetMonitorParameters();
}

void FormSensThreshEditor::on_buttonRestart_clicked() {
    TTRACE();
    if (m_dispatcher && !m_replay) {
        m_dispatcher->queueCommand(CommandFactory::softReset());
    }
}

void FormSensThreshEditor::on_recordGetAndSetParams() {
    TTRACE();
    if (m_replay) {
        return;
    }
    const CurrentParametersSource source(m_dispatcher);
    if (auto command = source.commandOrAsk("record parameters")) {
        source.sendAndAsk(std::move(command));
    }
}

void FormSensThreshEditor::on_buttonRecordLog_pressed() {
    TTRACE();
    if (m_replay || m_recording) {
        return;
    }
    on_buttonRecordLog_Triggered();
    m_recordMemento = m_memento;

    const LoggingAnswer answer =
        m_loggingQuestion ? m_loggingQuestion(this) : LoggingAnswer::Dismissed;
    if (answer != LoggingAnswer::Dismissed && m_operations != nullptr) {
        m_operations->setDesiredOutputEnabled(answer == LoggingAnswer::Yes);
        if (answer == LoggingAnswer::Yes) {
            m_operations->setDesiredOutputEncoding(kMouseEncoding);
        }
        m_operations->setDeviceOutputMode();
    }

    SillyLogger* logger = SillyLogger::instance();
    logger->stop();
    logger->setLevel(kRecordLevel);
    QString fileName = m_saveFileChooser ? m_saveFileChooser(this, QStringLiteral("Save Log File"),
                                                             QString::fromLatin1(kRecordFilter))
                                         : QString();
    if (fileName.isEmpty()) {
        fileName = QString::fromLatin1(kDefaultRecordName);
    }
    logger->start(fileName);
    m_recording = true;
    const DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr;
    const DeviceInfoData* info = provider != nullptr ? provider->info() : nullptr;
    if (info != nullptr) {
        TLOG_DEBUG(info->toText());
    } else {
        TLOG_WARNING(
            QStringLiteral("No device information to record; the log cannot be "
                           "replayed."));
    }
}

void FormSensThreshEditor::stopRecording() {
    if (!m_recording) {
        return;
    }
    m_recording = false;
    SillyLogger::instance()->stop();
    on_buttonStopLog_Triggered();
}

void FormSensThreshEditor::on_buttonStopLog_pressed() {
    TTRACE();
    if (m_replay) {
        if (DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr) {
            provider->close();
        }
        setPlaybackButtons(false);
        return;
    }
    stopRecording();
}

// Live: the replay window. Replay: the log again from its start.
void FormSensThreshEditor::on_buttonPlayLog_pressed() {
    TTRACE();
    emit signalPlayButtonTriggered();
    if (!m_replay) {
        emit signalReplayer();
        return;
    }
    // After the dispatcher has closed the finished replay.
    QTimer::singleShot(0, this, &FormSensThreshEditor::restartReplay);
}

void FormSensThreshEditor::restartReplay() {
    DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr;
    if (provider == nullptr || provider->isReadFromDevice()) {
        return;
    }
    if (provider->reconnect()) {
        m_equalizerA->emptyEdgeData();
        m_equalizerB->emptyEdgeData();
        setPlaybackButtons(true);
    } else {
        TLOG_WARNING(QStringLiteral("The log cannot be replayed again."));
        setPlaybackButtons(false);
    }
}

void FormSensThreshEditor::on_buttonBackLog_pressed() {
    if (m_replay) {
        restartReplay();
    }
}

void FormSensThreshEditor::on_buttonFrontLog_pressed() {
    auto* replayer =
        qobject_cast<LogReplayer*>(m_dispatcher ? m_dispatcher->ioProvider() : nullptr);
    if (m_replay && replayer != nullptr) {
        replayer->skipAhead(kReplaySkipMs);
    }
}

void FormSensThreshEditor::setPlaybackButtons(bool playing) {
    m_buttonPlayLog->setEnabled(!playing || !m_replay);
    m_buttonStopLog->setEnabled(playing);
    m_buttonBackLog->setEnabled(m_replay);
    m_buttonFrontLog->setEnabled(m_replay && playing);
}

void FormSensThreshEditor::on_buttonRecordLog_Triggered() {
    m_buttonRecordLog->setEnabled(false);
    m_buttonPlayLog->setEnabled(false);
    m_buttonStopLog->setEnabled(true);
}

void FormSensThreshEditor::on_buttonPlayLog_Triggered() {
    setPlaybackButtons(true);
}

void FormSensThreshEditor::on_buttonStopLog_Triggered() {
    m_buttonRecordLog->setEnabled(!m_replay);
    m_buttonPlayLog->setEnabled(true);
    m_buttonStopLog->setEnabled(false);
}

void FormSensThreshEditor::on_buttonRestartLog_Triggered() {
    setPlaybackButtons(false);
}
