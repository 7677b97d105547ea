#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "protocol/NormalVariable.h"
#include "calibration/CalibrationRenderer.h"
#include "calibration/CalibrationTarget.h"

class CalibrationClasses;
class DeviceEventDispatcher;
class QLabel;
class QProgressBar;
class QSlider;
class QToolButton;
class ResponseDelegateUntrackedFinger;
class SetOperations;

// The full-screen three-target calibration. The untracked-finger delegate samples the
// finger on each target (contact, 100 samples, lift); the window records each target's
// statistics and screen position, and after the third builds, stores and sends the
// calibration data, asks the controller for its parameters, reports the outcome and
// closes with a result code:
//   0 success, 1 success with a reduced calibration area, 2 cancelled (Cancel, Escape),
//   3 failed (delegate timeout, unplug), 4 no touch signal (delegate feedback timeout).
// The first outcome is final: later timeouts, Cancel or Reset change nothing.
//
// The creator calls setShowDialogs() and startCalibrationProcess(), runs the dialog
// modally (tests: show() and finished(int)) and hands the result to the operations.
class FormCalibration : public QDialog {
    Q_OBJECT
public:
    // Delays of the window; tests shorten them.
    struct Timings {
        // From the start of a target's acquisition to the first untracked-finger report.
        int acquisitionTimeoutMs = 2000;
        // From completion to reading back the controller's status.
        int completionDelayMs = 500;
        // From a target's completion to the finger's lift; a finger that stays fails the run.
        int liftTimeoutMs = 5000;
    };
    // The virtual desktop (all screens), in global coordinates.
    using DesktopSource = std::function<QRect()>;
    // Shows the result box (the window is its parent).
    using MessageShower = std::function<void(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text)>;

    static constexpr int kNumberOfSamples = 100;
    static constexpr int kProgressRangeMs = 50000;
    // Smallest side of the calibration area: three targets of the minimum size.
    static constexpr int kMinimumAreaSide = 3 * CalibrationTargetRenderer::minimumSize;

    explicit FormCalibration(QWidget* parent = nullptr);
    FormCalibration(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                    QWidget* parent = nullptr);
    ~FormCalibration() override;

    // Defaults for windows created from now on.
    static void setDefaultTimings(const Timings& timings);
    static void setDesktopSource(DesktopSource source);
    static void setMessageShower(MessageShower shower);

    void startCalibrationProcess(bool flag);
    void setShowDialogs(bool flag) { m_showDialogs = flag; }

    void setUpperBorder(int value);
    void setLowerBorder(int value);
    void setLeftBorder(int value);
    void setRightBorder(int value);
    void setUpperBorderRelative(int delta);
    void setLowerBorderRelative(int delta);
    void setLeftBorderRelative(int delta);
    void setRightBorderRelative(int delta);
    // Keeps the area inside the window and at least kMinimumAreaSide on each side, and
    // sets the area-modified flag unless it is the whole window.
    void saturateBoundary(QRect& area);
    void cleanUpCalibration();

    QRect calibrationArea() const { return m_area; }
    bool isAreaModified() const { return m_areaModified; }
    int currentIndex() const { return m_index; }
    int result() const { return m_result; }
    const CalibrationTarget::PList& targets() const { return m_list; }

signals:
    void signalStartAcquisition();
    void signalStopAcquisition();
    void signalShowSensThresEditor();
    void signalSliderMod(bool flag);
    void signalResetClicked();

public slots:
    void slotAdvanceCalibrationProcess();
    void slotCompleted(NormalVariable a, NormalVariable b);
    void slotProgress(int percentage);
    void slotFingerUp();
    void slotFingerDown();
    void slotTimeout();
    void SlotFeedbackTimeout();
    void on_buttonNorthUp_clicked();
    void on_buttonNorthDown_clicked();
    void on_buttonSouthUp_clicked();
    void on_buttonSouthDown_clicked();
    void on_buttonWestLeft_clicked();
    void on_buttonWestRight_clicked();
    void on_buttonEastLeft_clicked();
    void on_buttonEastRight_clicked();
    void on_sliderNorth_valueChanged(int value);
    void on_sliderSouth_valueChanged(int value);
    void on_sliderWest_valueChanged(int value);
    void on_sliderEast_valueChanged(int value);
    void calibrationUpdate();
    void setCalibResult();
    void on_buttonCancel_clicked();
    void resetGeometry();
    void on_buttonReset_clicked();
    void setProgressBarValues(int rangeValue, int currentValue);
    void queryFinalStatusFromBoard();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape ends the run as Cancel does.
    void reject() override;

private:
    void buildForm();
    QToolButton* addButton(const char* name, const QString& text);
    QSlider* addSlider(const char* name, Qt::Orientation orientation);
    void connectDelegate();
    void logScreens() const;
    bool isRunning() const;
    // Fixes the outcome once; false when one is fixed already.
    bool fixResult(int result);
    void completeProcedure();
    void onUnplugged();
    void resetTargets();
    void applyArea(const QRect& area, bool edited);
    void syncSliders();
    void storeSliderValues() const;
    void showResultBox();
    QPoint screenPositionOf(const CalibrationTarget& target) const;

    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    QPointer<ResponseDelegateUntrackedFinger> m_finger;
    CalibrationClasses* m_classes;
    CalibrationRenderer m_renderer;
    std::vector<std::unique_ptr<CalibrationTarget>> m_targets;
    CalibrationTarget::PList m_list;
    Timings m_timings;
    int m_index = -1;
    bool m_startFlag = false;
    bool m_showDialogs = true;
    QRect m_area;
    bool m_areaModified = false;
    int m_result = -1;
    bool m_resultFixed = false;
    bool m_finalQueried = false;
    int m_calibrationMode = 0;
    QTimer m_liftTimer;

    QSlider* m_sliderNorth = nullptr;
    QSlider* m_sliderSouth = nullptr;
    QSlider* m_sliderWest = nullptr;
    QSlider* m_sliderEast = nullptr;
    QProgressBar* m_progressBar = nullptr;
};
