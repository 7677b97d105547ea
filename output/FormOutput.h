#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class CommandSetCurrentParameters;
class ConvergingPass;
class DeviceEventDispatcher;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLCDNumber;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class ResponseDelegateCurrentParameters;
class SetOperations;
class getoperations;

// What the controller reports to the operating system: mouse, one touch or two touch,
// output off, and the edge stretch. One form serves three places through its stacked
// pages: 0 the main window's three mode buttons and output switch, 1 the setup wizard's
// four radio buttons, 2 the engineering tab's editors with read-backs.
//
// Mode and output-enabled requests go through SetOperations, which converges the
// controller and reports back; the displayed state always follows what the controller
// reports ("CurrentParameters"), never what was asked for. Only page 2's edge-stretch
// editors write the parameter block directly (applyChanges()).
class FormOutput : public QWidget {
    Q_OBJECT
public:
    enum Page { ModeButtonsPage = 0, WizardPage = 1, AdvancedPage = 2 };

    static constexpr int kMouseMode = 1;
    static constexpr int kOneTouchMode = 2;
    static constexpr int kTwoTouchMode = 3;
    // The cached mode until loadMode() has read the controller.
    static constexpr int kModeNotRead = 255;
    static constexpr int kApplyRetryMs = 150;
    // Passes applyChanges() makes before it gives up on edge values the controller does
    // not take (a firmware without edge stretch keeps reporting its own).
    static constexpr int kApplyPassLimit = 20;

    static constexpr const char* kIndicatorOnStyle = "background-color: rgb(0, 0, 0);";
    static constexpr const char* kEnabledButtonStyle =
        "QPushButton { background-color: rgb(255, 255, 255); color: rgb(40, 40, 40);"
        " border: 2px solid rgb(0, 120, 215); border-radius: 8px; }"
        "QPushButton:hover { background-color: rgb(229, 241, 251); }";
    static constexpr const char* kSelectedButtonStyle =
        "QPushButton { background-color: rgb(0, 120, 215); color: rgb(255, 255, 255);"
        " border: 2px solid rgb(0, 84, 153); border-radius: 8px; }";
    static constexpr const char* kDisabledButtonStyle =
        "QPushButton { background-color: rgb(225, 225, 225); color: rgb(160, 160, 160);"
        " border: 2px solid rgb(200, 200, 200); border-radius: 8px; }";

    // Works on the process-wide dispatcher and operations.
    explicit FormOutput(QWidget* parent = nullptr);
    FormOutput(DeviceEventDispatcher* dispatcher, SetOperations* operations,
               QWidget* parent = nullptr);
    ~FormOutput() override;

    // Reads the controller's output state into the cache; on page 1 it ticks the radio
    // button of the controller's mode and then "Two Touch", the wizard's choice, which
    // requests that mode. Then setUiState().
    void loadMode();
    // Hands the request to SetOperations and starts its convergence.
    void setDeviceOutputMode(int mode, bool enable);
    void EnableButtons();
    void DisableButtons();
    // Enables the mode buttons, the encoding combo and its read-back, and the edge
    // editors (those only while edge stretch is ticked). The output switch stays usable
    // either way: it is the way back from output off.
    void EnableDisableUiSetting(bool enable);

    int stackIndex() const;
    int cachedOutputMode() const { return m_outputMode; }
    bool cachedOutputEnabled() const { return m_outputEnabled; }
    // Period of applyChanges()' loop (150 ms by default).
    void setApplyRetryInterval(int ms);
    // True while applyChanges() waits for the controller to take the edge values.
    bool isApplyPending() const;

signals:
    void modeChanged(int mode);

public slots:
    void setStackIndex(int value);
    // Page 2: converges the controller's edge stretch to the editors first, then its
    // output encoding and enabled flag, and saves to flash once all agree. Invoking it
    // while it waits joins the running loop instead of starting a second one. When the
    // controller has not taken the edge values after kApplyPassLimit passes, the loop
    // ends and the editors show the controller's values again.
    void applyChanges();
    void updateValuesFromBoard(bool updateEditable);
    void on_buttonDisableOutput_clicked();
    void on_buttonMouseMode_clicked();
    void on_buttonWindowsTouch_clicked();
    void on_buttonDoubleTouch_clicked();
    void updateSingleFrameBox(QWidget* myFrame, bool newState);
    void on_radioButton_NoTouch_toggled(bool checked);
    void on_radioButton_Mouse_toggled(bool);
    void on_radioButton_SingleTouch_toggled(bool);
    void on_radioButton_MultiTouch_toggled(bool);
    // Shows the controller's output state: enabled controls and the selected mode, or
    // everything but the switch greyed out while output is off.
    void setUiState();
    void on_checkBoxEdStrechActive_toggled(bool);
    void enableDisableEdgeState(bool flag);

private:
    void buildUi();
    QWidget* buildModeButtonsPage();
    QWidget* buildWizardPage();
    QWidget* buildAdvancedPage();
    QGroupBox* buildOutputControlGroup();
    QGroupBox* buildEdgeStretchGroup();
    QPushButton* modeButton(int mode) const;
    QRadioButton* modeRadioButton(int mode) const;
    void clearModeButtons();
    void refreshEdgeEditors();
    void requestMode(int mode);
    // The mode the controller reports: its encoding, with 0 read as two touch.
    int reportedMode() const;
    ResponseDelegateCurrentParameters* parameters() const;
    // Writes the edge-stretch editors into the command; true when any differed.
    bool writeEdgeStretch(CommandSetCurrentParameters& command) const;
    void applyOutputState(std::unique_ptr<CommandSetCurrentParameters> command);

    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    getoperations* m_getOperations;
    int m_outputMode = kModeNotRead;
    bool m_outputEnabled = true;
    ConvergingPass* m_applyPass;
    int m_applyRetryMs = kApplyRetryMs;

    QStackedWidget* m_stack = nullptr;
    QButtonGroup* m_modeButtons = nullptr;
    QPushButton* m_buttonMouseMode = nullptr;
    QPushButton* m_buttonWindowsTouch = nullptr;
    QPushButton* m_buttonDoubleTouch = nullptr;
    QPushButton* m_buttonDisableOutput = nullptr;
    QRadioButton* m_radioNoTouch = nullptr;
    QRadioButton* m_radioMouse = nullptr;
    QRadioButton* m_radioSingleTouch = nullptr;
    QRadioButton* m_radioMultiTouch = nullptr;
    QComboBox* m_comboOutputEncoding = nullptr;
    QLCDNumber* m_numberEncoding = nullptr;
    QCheckBox* m_checkBoxOutputEnabled = nullptr;
    QFrame* m_frameOutputEnabled = nullptr;
    QGroupBox* m_groupEdgeStretch = nullptr;
    QSpinBox* m_sboxEdStretchLevel = nullptr;
    QLCDNumber* m_numberEdStretchLevel = nullptr;
    QSpinBox* m_sboxEdStretchScale = nullptr;
    QLCDNumber* m_numberEdStretchScale = nullptr;
    QCheckBox* m_checkBoxEdStrechActive = nullptr;
    QFrame* m_frameEdStretchActive = nullptr;
};
