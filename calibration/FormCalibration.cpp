#include "FormCalibration.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "calibration/CalibrationClasses.h"

namespace {
namespace Keys = SettingsKeys::Calibration;

constexpr int kResultSuccess = 0;
constexpr int kResultReducedArea = 1;
constexpr int kResultCancelled = 2;
constexpr int kResultFailed = 3;
constexpr int kResultNoTouch = 4;
constexpr int kModeNoRotation = -1;
constexpr int kMsPerSecond = 1000;

const QString kTitle = QStringLiteral("Tavirel calibration");

FormCalibration::Timings& defaultTimings() {
    static FormCalibration::Timings timings;
    return timings;
}

FormCalibration::DesktopSource& desktopSource() {
    static FormCalibration::DesktopSource source;
    return source;
}

FormCalibration::MessageShower& messageShower() {
    static FormCalibration::MessageShower shower;
    return shower;
}

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

QString orientationName(Qt::ScreenOrientation orientation) {
    switch (orientation) {
        case Qt::PortraitOrientation:
            return QStringLiteral("Portrait");
        case Qt::InvertedLandscapeOrientation:
            return QStringLiteral("Inverted landscape");
        case Qt::InvertedPortraitOrientation:
            return QStringLiteral("Inverted portrait");
        default:
            return QStringLiteral("Landscape");
    }
}

void setSliderQuietly(QSlider* slider, int maximum, int value) {
    const QSignalBlocker blocker(slider);
    slider->setRange(0, maximum);
    slider->setValue(value);
}
}  // namespace

FormCalibration::FormCalibration(QWidget* parent)
    : FormCalibration(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {}

FormCalibration::FormCalibration(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                 QWidget* parent)
    : QDialog(parent),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_classes(new CalibrationClasses(dispatcher, this)),
      m_timings(defaultTimings()) {
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // The geometry as well as the state: without a window manager the state alone
    // leaves the window at its layout's size.
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        setGeometry(primary->geometry());
    }
    setWindowState(Qt::WindowFullScreen);
    m_targets.push_back(
        std::make_unique<CalibrationTarget>(CalibrationTarget::Left, CalibrationTarget::Top));
    m_targets.push_back(
        std::make_unique<CalibrationTarget>(CalibrationTarget::Right, CalibrationTarget::Top));
    m_targets.push_back(
        std::make_unique<CalibrationTarget>(CalibrationTarget::Left, CalibrationTarget::Bottom));
    for (const auto& target : m_targets) {
        m_list << target.get();
    }
    m_liftTimer.setSingleShot(true);
    m_liftTimer.setInterval(m_timings.liftTimeoutMs);
    connect(&m_liftTimer, &QTimer::timeout, this, [this] {
        TLOG_WARNING(QStringLiteral("The finger did not leave target %1").arg(m_index));
        slotTimeout();
    });
    buildForm();
    m_calibrationMode = QSettings().value(Keys::kMode, 0).toInt();
    connectDelegate();
    logScreens();
    resetGeometry();
}

FormCalibration::~FormCalibration() = default;

void FormCalibration::setDefaultTimings(const Timings& timings) {
    defaultTimings() = timings;
}

void FormCalibration::setDesktopSource(DesktopSource source) {
    desktopSource() = std::move(source);
}

void FormCalibration::setMessageShower(MessageShower shower) {
    messageShower() = std::move(shower);
}

void FormCalibration::buildForm() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("controlPanel"));
    panel->setAutoFillBackground(true);
    auto* grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(QStringLiteral("Top edge"), panel), 0, 0);
    grid->addWidget(addButton("buttonNorthUp", QStringLiteral("\u2191")), 0, 1);
    grid->addWidget(m_sliderNorth = addSlider("sliderNorth", Qt::Horizontal), 0, 2);
    grid->addWidget(addButton("buttonNorthDown", QStringLiteral("\u2193")), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Left edge"), panel), 1, 0);
    grid->addWidget(addButton("buttonWestLeft", QStringLiteral("\u2190")), 1, 1);
    grid->addWidget(m_sliderWest = addSlider("sliderWest", Qt::Horizontal), 1, 2);
    grid->addWidget(addButton("buttonWestRight", QStringLiteral("\u2192")), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Right edge"), panel), 2, 0);
    grid->addWidget(addButton("buttonEastLeft", QStringLiteral("\u2190")), 2, 1);
    grid->addWidget(m_sliderEast = addSlider("sliderEast", Qt::Horizontal), 2, 2);
    grid->addWidget(addButton("buttonEastRight", QStringLiteral("\u2192")), 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Bottom edge"), panel), 3, 0);
    grid->addWidget(addButton("buttonSouthUp", QStringLiteral("\u2191")), 3, 1);
    grid->addWidget(m_sliderSouth = addSlider("sliderSouth", Qt::Horizontal), 3, 2);
    grid->addWidget(addButton("buttonSouthDown", QStringLiteral("\u2193")), 3, 3);
    m_progressBar = new QProgressBar(panel);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setFormat(QStringLiteral("%v"));
    m_progressBar->setRange(0, kProgressRangeMs);
    m_progressBar->setValue(0);
    grid->addWidget(m_progressBar, 4, 0, 1, 3);
    auto* label = new QLabel(QStringLiteral("sec remaining"), panel);
    label->setObjectName(QStringLiteral("label"));
    grid->addWidget(label, 4, 3);
    grid->addWidget(addButton("buttonReset", QStringLiteral("Reset")), 5, 0, 1, 2);
    grid->addWidget(addButton("buttonCancel", QStringLiteral("Cancel")), 5, 2, 1, 2);

    auto* outer = new QGridLayout(this);
    outer->setRowStretch(0, 1);
    outer->setRowStretch(2, 1);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(2, 1);
    outer->addWidget(panel, 1, 1);
    QMetaObject::connectSlotsByName(this);
}

QToolButton* FormCalibration::addButton(const char* name, const QString& text) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumWidth(40);
    return button;
}

QSlider* FormCalibration::addSlider(const char* name, Qt::Orientation orientation) {
    auto* slider = new QSlider(orientation, this);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setMinimumWidth(240);
    return slider;
}

void FormCalibration::connectDelegate() {
    if (m_dispatcher == nullptr) {
        TLOG_CRITICAL(QStringLiteral("No device link, the calibration cannot run."));
        return;
    }
    m_finger = qobject_cast<ResponseDelegateUntrackedFinger*>(
        m_dispatcher->responseDelegate(ResponseDelegateUntrackedFinger::registryName()));
    if (m_finger == nullptr) {
        TLOG_CRITICAL(QStringLiteral("No untracked-finger delegate, the calibration cannot run."));
    } else {
        using Finger = ResponseDelegateUntrackedFinger;
        m_finger->setNumberOfSamples(kNumberOfSamples);
        m_finger->setTimeout(m_timings.acquisitionTimeoutMs);
        connect(m_finger, &Finger::completed, this, &FormCalibration::slotCompleted);
        connect(m_finger, &Finger::progress, this, &FormCalibration::slotProgress);
        connect(m_finger, &Finger::fingerUp, this, &FormCalibration::slotFingerUp);
        connect(m_finger, &Finger::fingerDown, this, &FormCalibration::slotFingerDown);
        connect(m_finger, &Finger::timeout, this, &FormCalibration::slotTimeout);
        connect(m_finger, &Finger::feedbacktimeout, this, &FormCalibration::SlotFeedbackTimeout);
        connect(m_finger, &Finger::remainingTime, this, &FormCalibration::setProgressBarValues);
        connect(this, &FormCalibration::signalResetClicked, m_finger, &Finger::onRestartClicked);
        connect(this, &FormCalibration::signalSliderMod, m_finger, &Finger::setStartStopTimerFlag);
        connect(this, &FormCalibration::signalStopAcquisition, m_finger, &Finger::acquisitionStop);
        connect(this, &FormCalibration::signalStartAcquisition, m_finger,
                &Finger::acquisitionStart);
    }
    if (DeviceIoDataProvider* provider = m_dispatcher->ioProvider()) {
        connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
                &FormCalibration::onUnplugged);
    }
}

void FormCalibration::logScreens() const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    TLOG_INFO(QStringLiteral("Number of screens: %1").arg(screens.size()));
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        TLOG_INFO(QStringLiteral("Primary screen: %1").arg(primary->name()));
    }
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const QRect a = screen->availableGeometry();
        TLOG_INFO(QStringLiteral("Screen %1: %2, geometry %3,%4 %5x%6, available %7,%8 %9x%10")
                      .arg(screen->name(), orientationName(screen->orientation()))
                      .arg(g.x())
                      .arg(g.y())
                      .arg(g.width())
                      .arg(g.height())
                      .arg(a.x())
                      .arg(a.y())
                      .arg(a.width())
                      .arg(a.height()));
        TLOG_INFO(QStringLiteral("Screen %1: depth %2, DPI %3 x %4 (logical %5), physical size "
                                 "%6 x %7 mm, refresh rate %8 Hz")
                      .arg(screen->name())
                      .arg(screen->depth())
                      .arg(screen->physicalDotsPerInchX())
                      .arg(screen->physicalDotsPerInchY())
                      .arg(screen->logicalDotsPerInch())
                      .arg(screen->physicalSize().width())
                      .arg(screen->physicalSize().height())
                      .arg(screen->refreshRate()));
    }
}

bool FormCalibration::isRunning() const {
    return m_index >= 0 && m_index < m_list.size();
}

void FormCalibration::startCalibrationProcess(bool flag) {
    m_startFlag = flag;
    if (m_index != -1) {
        TLOG_WARNING(
            QStringLiteral("Starting calibration without being finished first, expect problems!"));
    }
    m_index = 0;
    resetTargets();
    slotAdvanceCalibrationProcess();
}

void FormCalibration::slotAdvanceCalibrationProcess() {
    if (m_index == -1) {
        TLOG_WARNING(QStringLiteral("Advancing calibration without starting it, request ignored"));
        return;
    }
    if (m_index < m_list.size()) {
        TLOG_INFO(QStringLiteral("Attending target %1").arg(m_index));
        m_list.at(m_index)->setState(CalibrationTarget::Attending);
        calibrationUpdate();
        // The delegate lengthens its timer once a finger is down; every target starts
        // with the short wait for the controller's first report.
        if (m_finger != nullptr) {
            m_finger->setTimeout(m_timings.acquisitionTimeoutMs);
        }
        emit signalStartAcquisition();
        return;
    }
    completeProcedure();
}

void FormCalibration::slotProgress(int percentage) {
    if (!isRunning() || m_resultFixed) {
        TLOG_INFO(QStringLiteral("calibration not running, ignoring"));
        return;
    }
    CalibrationTarget* target = m_list.at(m_index);
    // The delegate reports 0 when it starts waiting for the finger: still attending.
    if (percentage > 0) {
        target->setState(CalibrationTarget::Acquiring);
    }
    target->setCalibrationProgress(percentage);
    calibrationUpdate();
}

void FormCalibration::slotCompleted(NormalVariable a, NormalVariable b) {
    if (!isRunning() || m_resultFixed) {
        TLOG_INFO(QStringLiteral("calibration not running, ignoring"));
        return;
    }
    TLOG_INFO(QStringLiteral("Accumulated data A:%1 B:%2").arg(a.mean()).arg(b.mean()));
    CalibrationTarget* target = m_list.at(m_index);
    target->statA = a;
    target->statB = b;
    const QPoint position = screenPositionOf(*target);
    target->screenPosition = {position.x(), position.y()};
    target->setCalibrationProgress(100);
    target->setState(CalibrationTarget::Done);
    m_liftTimer.start();
    calibrationUpdate();
}

// Relative to the desktop's top-left, so a screen left of or above the primary one
// gives no negative coordinates; always within the calibration space.
QPoint FormCalibration::screenPositionOf(const CalibrationTarget& target) const {
    QRect desktop;
    if (desktopSource()) {
        desktop = desktopSource()();
    } else if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        desktop = primary->virtualGeometry();
    }
    if (desktop.width() <= 0 || desktop.height() <= 0) {
        desktop = geometry();
    }
    const QPoint global =
        mapToGlobal(CalibrationTargetRenderer::position(m_area, target)) - desktop.topLeft();
    const auto scale = [](int value, int extent) {
        const double scaled = value / static_cast<double>(extent) * CalibrationClasses::kFullScale;
        return std::clamp(static_cast<int>(scaled), 0, CalibrationClasses::kFullScale);
    };
    return QPoint(scale(global.x(), desktop.width()), scale(global.y(), desktop.height()));
}

void FormCalibration::slotFingerUp() {
    if (!isRunning() || m_resultFixed) {
        TLOG_INFO(QStringLiteral("calibration not running, ignoring"));
        return;
    }
    // Only a lift after the target's samples moves on.
    if (m_list.at(m_index)->state() != CalibrationTarget::Done) {
        TLOG_WARNING(QStringLiteral("Finger up before target %1 was done, ignored").arg(m_index));
        return;
    }
    m_liftTimer.stop();
    ++m_index;
    slotAdvanceCalibrationProcess();
}

void FormCalibration::slotFingerDown() {}

void FormCalibration::completeProcedure() {
    TLOG_INFO(QStringLiteral("Calibration process completed"));
    m_index = -1;
    const QByteArray unrotated = m_classes->buildCalibrationData(m_list);
    if (m_calibrationMode != kModeNoRotation) {
        m_list = m_classes->rotateIfNeeded(m_list, m_calibrationMode);
    }
    const QByteArray rotated = m_classes->buildCalibrationData(m_list);
    if (m_operations != nullptr) {
        m_operations->setRotationCalibrationData(unrotated, rotated);
    }
    m_classes->sendCalibrationData();
    fixResult(m_areaModified ? kResultReducedArea : kResultSuccess);
    QTimer::singleShot(m_timings.completionDelayMs, this,
                       &FormCalibration::queryFinalStatusFromBoard);
}

bool FormCalibration::fixResult(int result) {
    if (m_resultFixed) {
        TLOG_INFO(QStringLiteral("Result %1 already fixed, %2 ignored").arg(m_result).arg(result));
        return false;
    }
    m_result = result;
    m_resultFixed = true;
    return true;
}

void FormCalibration::slotTimeout() {
    if (fixResult(kResultFailed)) {
        queryFinalStatusFromBoard();
    }
}

void FormCalibration::SlotFeedbackTimeout() {
    if (fixResult(kResultNoTouch)) {
        queryFinalStatusFromBoard();
    }
}

void FormCalibration::on_buttonCancel_clicked() {
    if (fixResult(kResultCancelled)) {
        queryFinalStatusFromBoard();
    }
}

void FormCalibration::reject() {
    on_buttonCancel_clicked();
}

void FormCalibration::onUnplugged() {
    if (!fixResult(kResultFailed)) {
        return;
    }
    TLOG_WARNING(QStringLiteral("Controller unplugged, calibration ended."));
    m_index = -1;
    m_finalQueried = true;
    m_liftTimer.stop();
    emit signalStopAcquisition();
    QSettings().setValue(Keys::kStart, false);
    setCalibResult();
}

void FormCalibration::queryFinalStatusFromBoard() {
    if (m_finalQueried) {
        return;
    }
    m_finalQueried = true;
    m_liftTimer.stop();
    m_index = -1;
    emit signalStopAcquisition();
    resetTargets();
    if (m_dispatcher != nullptr) {
        m_dispatcher->queueCommand(CommandFactory::getParams());
    }
    if (m_showDialogs) {
        showResultBox();
    }
    if (m_result == kResultFailed) {
        emit signalShowSensThresEditor();
    }
    if (m_areaModified) {
        QSettings().setValue(Keys::kSliderModified, true);
        storeSliderValues();
    }
    setCalibResult();
    QSettings().setValue(Keys::kStart, false);
}

void FormCalibration::showResultBox() {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString text = QStringLiteral("The calibration was successful.");
    switch (m_result) {
        case kResultCancelled:
            icon = QMessageBox::Warning;
            text = QStringLiteral("The calibration was interrupted by the user.");
            break;
        case kResultNoTouch:
            icon = QMessageBox::Warning;
            text = QStringLiteral(
                "The sensor detected no touch signal. Please try calibrating again. If you were "
                "touching, please make sure that the FPC ribbon is inserted into the controller "
                "board correctly (note that the connectors are top-contact).");
            break;
        case kResultFailed:
            icon = QMessageBox::Warning;
            text = QStringLiteral(
                "The calibration has failed! Please check the Graph for further diagnostics.");
            break;
        default:
            break;
    }
    // The window is the parent, so the box never opens beneath this stay-on-top window.
    if (messageShower()) {
        messageShower()(this, icon, kTitle, text);
    } else {
        showMessageBox(this, icon, kTitle, text);
    }
}

void FormCalibration::setCalibResult() {
    done(m_result);
}

void FormCalibration::cleanUpCalibration() {
    m_index = -1;
    emit signalStopAcquisition();
    resetTargets();
    calibrationUpdate();
}

void FormCalibration::resetTargets() {
    for (CalibrationTarget* target : m_list) {
        target->reset();
    }
}

void FormCalibration::on_buttonReset_clicked() {
    if (m_resultFixed) {
        TLOG_INFO(QStringLiteral("Reset after the result was fixed, ignored"));
        return;
    }
    m_areaModified = false;
    QSettings settings;
    settings.setValue(Keys::kStart, true);
    settings.setValue(Keys::kSliderModified, false);
    resetTargets();
    m_index = 0;
    emit signalStopAcquisition();
    // Stopping the acquisition cleared the run's switch; this run goes on.
    settings.setValue(Keys::kStart, true);
    resetGeometry();
    m_index = -1;
    startCalibrationProcess(m_startFlag);
    emit signalSliderMod(false);
    emit signalResetClicked();
    calibrationUpdate();
}

void FormCalibration::calibrationUpdate() {
    update();
}

void FormCalibration::setProgressBarValues(int rangeValue, int currentValue) {
    m_progressBar->setRange(0, rangeValue / kMsPerSecond);
    m_progressBar->setValue(currentValue / kMsPerSecond);
}

void FormCalibration::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    m_renderer.paint(painter, event, m_area, m_list);
}

void FormCalibration::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    resetGeometry();
}

void FormCalibration::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QSettings().setValue(Keys::kStart, true);
}

void FormCalibration::resetGeometry() {
    m_area = QRect(0, 0, width(), height());
    m_areaModified = false;
    syncSliders();
    QSettings settings;
    if (settings.value(Keys::kSliderModified, false).toBool()) {
        QRect stored;
        stored.setLeft(settings.value(Keys::kSliderWestValue, m_area.left()).toInt());
        stored.setTop(settings.value(Keys::kSliderNorthValue, m_area.top()).toInt());
        stored.setRight(settings.value(Keys::kSliderEastValue, m_area.right()).toInt());
        stored.setBottom(settings.value(Keys::kSliderSouthValue, m_area.bottom()).toInt());
        applyArea(stored, false);
        m_areaModified = true;
        return;
    }
    storeSliderValues();
    emit signalSliderMod(false);
}

void FormCalibration::storeSliderValues() const {
    QSettings settings;
    settings.setValue(Keys::kSliderEastValue, m_sliderEast->value());
    settings.setValue(Keys::kSliderWestValue, m_sliderWest->value());
    settings.setValue(Keys::kSliderNorthValue, m_sliderNorth->value());
    settings.setValue(Keys::kSliderSouthValue, m_sliderSouth->value());
}

// Sliders follow the area without reporting an edit.
void FormCalibration::syncSliders() {
    const int lastColumn = std::max(0, width() - 1);
    const int lastRow = std::max(0, height() - 1);
    setSliderQuietly(m_sliderWest, lastColumn, m_area.left());
    setSliderQuietly(m_sliderEast, lastColumn, m_area.right());
    setSliderQuietly(m_sliderNorth, lastRow, m_area.top());
    setSliderQuietly(m_sliderSouth, lastRow, m_area.bottom());
}

void FormCalibration::applyArea(const QRect& area, bool edited) {
    QRect corrected = area;
    saturateBoundary(corrected);
    m_area = corrected;
    syncSliders();
    if (edited) {
        emit signalSliderMod(true);
    }
    calibrationUpdate();
}

void FormCalibration::saturateBoundary(QRect& area) {
    area = area.normalized();
    const int lastColumn = width() - 1;
    const int lastRow = height() - 1;
    area.setLeft(std::max(0, area.left()));
    area.setTop(std::max(0, area.top()));
    area.setRight(std::min(area.right(), lastColumn));
    area.setBottom(std::min(area.bottom(), lastRow));
    area.setLeft(std::max(0, std::min(area.left(), width() - kMinimumAreaSide)));
    area.setTop(std::max(0, std::min(area.top(), height() - kMinimumAreaSide)));
    if (area.right() - area.left() + 1 < kMinimumAreaSide) {
        area.setRight(std::min(area.left() + kMinimumAreaSide - 1, lastColumn));
    }
    if (area.bottom() - area.top() + 1 < kMinimumAreaSide) {
        area.setBottom(std::min(area.top() + kMinimumAreaSide - 1, lastRow));
    }
    m_areaModified = !(area.left() == 0 && area.top() == 0 && area.right() == lastColumn &&
                       area.bottom() == lastRow);
}

void FormCalibration::setUpperBorder(int value) {
    QRect area = m_area;
    area.setTop(value);
    applyArea(area, true);
}

void FormCalibration::setLowerBorder(int value) {
    QRect area = m_area;
    area.setBottom(value);
    applyArea(area, true);
}

void FormCalibration::setLeftBorder(int value) {
    QRect area = m_area;
    area.setLeft(value);
    applyArea(area, true);
}

void FormCalibration::setRightBorder(int value) {
    QRect area = m_area;
    area.setRight(value);
    applyArea(area, true);
}

void FormCalibration::setUpperBorderRelative(int delta) {
    setUpperBorder(m_area.top() + delta);
}

void FormCalibration::setLowerBorderRelative(int delta) {
    setLowerBorder(m_area.bottom() + delta);
}

void FormCalibration::setLeftBorderRelative(int delta) {
    setLeftBorder(m_area.left() + delta);
}

void FormCalibration::setRightBorderRelative(int delta) {
    setRightBorder(m_area.right() + delta);
}

void FormCalibration::on_buttonNorthUp_clicked() {
    setUpperBorderRelative(-1);
}

void FormCalibration::on_buttonNorthDown_clicked() {
    setUpperBorderRelative(1);
}

void FormCalibration::on_buttonSouthUp_clicked() {
    setLowerBorderRelative(-1);
}

void FormCalibration::on_buttonSouthDown_clicked() {
    setLowerBorderRelative(1);
}

void FormCalibration::on_buttonWestLeft_clicked() {
    setLeftBorderRelative(-1);
}

void FormCalibration::on_buttonWestRight_clicked() {
    setLeftBorderRelative(1);
}

void FormCalibration::on_buttonEastLeft_clicked() {
    setRightBorderRelative(-1);
}

void FormCalibration::on_buttonEastRight_clicked() {
    setRightBorderRelative(1);
}

void FormCalibration::on_sliderNorth_valueChanged(int value) {
    setUpperBorder(value);
}

void FormCalibration::on_sliderSouth_valueChanged(int value) {
    setLowerBorder(value);
}

void FormCalibration::on_sliderWest_valueChanged(int value) {
    setLeftBorder(value);
}

void FormCalibration::on_sliderEast_valueChanged(int value) {
    setRightBorder(value);
}
