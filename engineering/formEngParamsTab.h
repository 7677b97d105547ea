#pragma once

#include <QPointer>
#include <QString>
#include <QTabWidget>
#include <QTimer>

#include <vector>

class CommandSetCurrentParameters;
class ConvergingPass;
class DeviceCommand;
#include "device/DeviceEventDispatcher.h"
class FormOutput;
class ParameterSetDialog;
class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFrame;
class QLCDNumber;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class ResponseDelegateCurrentParameters;
class SetOperations;

// The engineering parameters in five tabs: the raw engine values of the controller's
// current parameters with read-backs beside their editors, the calibration state, the
// diagnostics flags with the service switches kept in the settings store, the output
// page's advanced editors, and the ways into the three filter dialogs. The "Flash
// Operations" menu (load, save, factory reset, erase, restart) is flashMenu(); the dialog
// offers it beside its buttons.
//
// The editors are loaded from the first real block of the controller; until then Apply
// does nothing (boardValuesLoaded() tells when). The read-backs follow every block.
//
// applyChanges() stores the service switches, then either applies the output page (on
// the "Output Control" tab) or converges the controller's engine values to the editors
// and, once it reports them, saves its parameters to flash. The loop never queues a pass
// while the previous one's answer is outstanding, gives up after applyPassLimit passes
// (applyGaveUp()) and ends with stopApplying() (the dialog calls it when it closes).
class formEngParamsTab : public QTabWidget {
    Q_OBJECT
public:
    enum Tab { EngineTab, CalibrationTab, DiagnosticsTab, OutputControlTab, FiltersTab };

    struct Timings {
        // Period of the apply loop.
        int applyRetryMs = 150;
        // Passes the apply loop makes before it gives up.
        int applyPassLimit = 20;
        // How long a pass waits for the block it asked for.
        int answerWaitMs = 1000;
        // From a flash load or factory reset to reloading the editors.
        int refreshDelayMs = 1000;
    };

    static constexpr const char* kIndicatorOnStyle = "background-color: rgb(0, 0, 0);";
    static constexpr double kDefaultPartialThreshold = 0.3;
    // "Angular Base" item i stands for "Calibration/Mode" = i - 1 (item 0 "Off" is -1).
    static constexpr int kAngularBaseOffset = 1;

    formEngParamsTab(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                     QWidget* parent = nullptr);
    ~formEngParamsTab() override;

    void setTimings(const Timings& timings);
    const Timings& timings() const { return m_timings; }
    // The editors hold the controller's values.
    bool hasBoardValues() const { return m_boardValuesLoaded; }
    // The apply loop runs.
    bool isApplying() const { return m_applying; }
    FormOutput* outputForm() const { return m_output; }
    QMenu* flashMenu() const { return m_flashMenu; }

signals:
    void boardValuesLoaded();
    void applyStarted();
    // The controller reported the engine values; the save to flash is on its way.
    void applySaved();
    // The controller did not take the engine values within the pass limit.
    void applyGaveUp();

public slots:
    void applyChanges();
    // Ends the apply loop; a pass already queued is not followed up.
    void stopApplying();
    void updateValuesFromBoard(bool updateEditable);
    void updateView();
    void on_buttonBox_clicked(QAbstractButton* button);
    void on_actionEraseFlash_triggered();
    void on_actionLoadDefaults_triggered();
    void on_actionLoadFromFlash_triggered();
    void on_actionRestartBoard_triggered();
    void on_actionSaveToFlash_triggered();
    // Ticking sends a soft reset; the box unticks itself once the reset is over.
    void on_CheckBoxsoftReset_toggled(bool checked);
    void on_CheckBoxNoUISoftReset_toggled(bool checked);
    void on_CheckBoxProTouchWindow_toggled(bool checked);
    void on_cbSensMonitor_toggled(bool checked);
    void on_cbSensReport_toggled(bool checked);
    void on_checkBoxCalibValue_toggled(bool checked);
    void on_checkBoxGraphFeatures_toggled(bool checked);
    void on_pbTrackerParams_clicked();
    void on_pbZonalFilter_clicked();
    void on_pushButtonFilterParams_clicked();
    // Greys the tabs and reloads the editors after refreshDelayMs.
    void scheduleTotalRefresh();
    void slot_enableAndRefreshView();
    void updateSingleFrameBox(QWidget* frame, bool state);

private:
    struct ServiceSwitch {
        const QString* key;
        QCheckBox* box;
        QFrame* indicator;
    };

    QWidget* buildEngineTab();
    QWidget* buildCalibrationTab();
    QWidget* buildDiagnosticsTab();
    QWidget* buildOutputTab();
    QWidget* buildFiltersTab();
    void buildFlashMenu();
    void connectControls();
    QCheckBox* addServiceSwitch(const QString& key, const char* name, const char* text);
    void loadSettings();
    void storeServiceSwitches();
    void showServiceSwitches();
    void trackSoftReset(const ResponseDelegateCurrentParameters& block);
    void loadEditors(const ResponseDelegateCurrentParameters& block);
    void convergeEngineValues();
    bool writeEngineValues(CommandSetCurrentParameters& command) const;
    void onEngineValuesSettled();
    void flashCommand(DeviceCommand* command);
    void openFilterDialog(ParameterSetDialog* dialog);
    void logToggle(const char* control, bool checked);
    const ResponseDelegateCurrentParameters* block() const;

    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    ConvergingPass* m_applyPass = nullptr;
    QTimer m_refreshTimer;
    Timings m_timings;
    double m_partialThreshold = kDefaultPartialThreshold;
    // What the "Partial Threshold" editor showed when loaded, to tell a change.
    double m_loadedPartialThreshold = kDefaultPartialThreshold;
    bool m_softResetPending = false;
    bool m_boardValuesLoaded = false;
    bool m_applying = false;

    QSpinBox* m_edgePs = nullptr;
    QSpinBox* m_touchThreshold = nullptr;
    QSpinBox* m_edgeThreshold = nullptr;
    QSpinBox* m_linearity = nullptr;
    QSpinBox* m_scanPs = nullptr;
    QSpinBox* m_pressThreshold = nullptr;
    QDoubleSpinBox* m_partialThresholdEditor = nullptr;
    QLCDNumber* m_edgePsReadBack = nullptr;
    QLCDNumber* m_touchThresholdReadBack = nullptr;
    QLCDNumber* m_edgeThresholdReadBack = nullptr;
    QLCDNumber* m_linearityReadBack = nullptr;
    QLCDNumber* m_scanPsReadBack = nullptr;
    QLCDNumber* m_pressThresholdReadBack = nullptr;
    QLCDNumber* m_partialThresholdReadBack = nullptr;

    QComboBox* m_angularBase = nullptr;
    QCheckBox* m_useCalib3 = nullptr;
    QCheckBox* m_calibSuccess = nullptr;
    QCheckBox* m_calibErrBadCond = nullptr;
    QFrame* m_useCalib3Indicator = nullptr;
    QFrame* m_calibSuccessIndicator = nullptr;
    QFrame* m_calibErrBadCondIndicator = nullptr;
    QLabel* m_exclusionZone = nullptr;

    std::vector<ServiceSwitch> m_switches;
    QCheckBox* m_productTest = nullptr;
    QCheckBox* m_softReset = nullptr;
    QFrame* m_softResetIndicator = nullptr;
    QFrame* m_wireoutA = nullptr;
    QFrame* m_wireoutB = nullptr;
    QFrame* m_noOpenGL = nullptr;

    FormOutput* m_output = nullptr;
    QMenu* m_flashMenu = nullptr;
    QPushButton* m_flashMenuButton = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
};
