#pragma once

#include <QWizard>

#include "operations/DesiredState.h"

class AutoSensWizardProxy;
class CalibrationWizardProxy;
class DeviceEventDispatcher;
class OutputWizardProxy;
class QCloseEvent;
class QShowEvent;
class SetOperations;
class brokenWireWizardProxy;

// The first-run assistant: an optional broken-wire check, an optional automatic
// sensitivity run, the calibration and the choice of output. The page ids are fixed; the
// procedure pages and the main window refer to them. Deleted on close.
class SetupWizard : public QWizard {
    Q_OBJECT
public:
    enum PageId {
        WelcomePage = 0,
        BrokenWirePage = 1,
        AutoSensPage = 2,
        CalibrationPage = 3,
        OutputPage = 4,
        // Given for a failed step; no page carries it.
        FailedStepId = 1002,
    };
    // Result of a calibration that has not been reported yet.
    static constexpr int kNoCalibrationResult = DesiredState::kCalibNoneReported;

    SetupWizard(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                QWidget* parent = nullptr);

    int calibrationResult() const { return m_calibResult; }
    AutoSensWizardProxy* autoSensPage() const { return m_autoSens; }
    CalibrationWizardProxy* calibrationPage() const { return m_calibration; }
    OutputWizardProxy* outputPage() const { return m_output; }
    brokenWireWizardProxy* brokenWirePage() const { return m_brokenWire; }

signals:
    void signalShowCalibrationWindow(bool showCompletionDialog);
    void signalCalibrationFinished(int result);
    void signalShowOutputWindow();
    void signalShowSensThresEditor();
    void signalShowMonitor();
    void signalShortcutActivated();

public slots:
    void SetCalibrationResult(int Value);
    void showGraphOrClose();
    void displayMonitorButton(int result);
    void displayBrokenWireButton(bool on);
    void saveInfo();
    void hideCustomButtons(int id);
    void onNextButtonCliked();
    void onBackButtonClicked();
    void onFinishButtonClicked();
    void processCustomButtonClicks(int btnNo);
    void createAndAddCalibrationProxy();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createWelcomePage();
    void createAndAddBrokeWireProxy();
    void createAndAddAutosensProxy();
    void createAndAddOutputProxy();
    void makeConnections();
    void requestCalibrationOnArrival(int id);

    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    int m_calibResult = kNoCalibrationResult;
    bool m_graphRequested = false;
    bool m_closeHandled = false;
    // The page the calibration window was last requested for; a new arrival on the
    // calibration page from another page requests it again.
    int m_lastCalibrationPageId = WelcomePage;
    brokenWireWizardProxy* m_brokenWire = nullptr;
    AutoSensWizardProxy* m_autoSens = nullptr;
    CalibrationWizardProxy* m_calibration = nullptr;
    OutputWizardProxy* m_output = nullptr;
};
