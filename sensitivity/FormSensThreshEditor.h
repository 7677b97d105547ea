#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "operations/getoperations.h"

class DeviceCommand;
class DeviceEventDispatcher;
class GLtexturewidget;
class OvEqualizerLines;
class QLCDNumber;
class QLabel;
class QMovie;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;
class ResponseDelegateCurrentParameters;
class ResponseDelegateOutputDiagnostics;
class ResponseDelegateProcessedEdge;
class ResponseDelegateProcessedScan;
class ResponseDelegateScanArea;
class SetOperations;

// The graph window: the controller's live edge levels (the equalizers of arrays A and B,
// "Edge" tab) and scan heat map ("Scan" tab), with the edge, touch and press thresholds
// stepped one at a time, the diagnostics test mode, recording of the traffic to a log,
// and the playback buttons of a replayed log.
//
// A threshold step sets the operations' target and runs the matching converging slot;
// the step buttons stay disabled until the operations report the step done
// (signalReEnable()), or until reEnableTimeoutMs has passed without that. A step that
// would leave 1..254 sends nothing and disables nothing.
//
// While it is open the window keeps the controller's parameter block fresh: every block
// that arrives queues the next request, but only while no request of the window is
// still waiting in the dispatcher's queue. Closing undoes the monitor modes the window
// caused; only Save reports the thresholds as saved (signalThresholdSaved(true)).
//
// Replay (the provider does not read a device): the window shows what the log carries.
// It switches nothing on the controller, asks for nothing, and its threshold, test-mode,
// restart and save buttons are disabled; the playback buttons restart the log, stop it
// and skip ahead.
//
// The window deletes itself when closed.
class FormSensThreshEditor : public QWidget {
    Q_OBJECT
public:
    enum Tab { EdgeTab = 0, ScanTab = 1 };
    enum class LoggingAnswer { Yes, No, Dismissed };
    // "Do you want the touch enabled, while logging?"
    using LoggingQuestion = std::function<LoggingAnswer(QWidget* parent)>;
    // Asks for the file to record to; a null text when cancelled.
    using SaveFileChooser =
        std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;

    static constexpr const char* kWindowTitle = "tavirel Graph";
    static constexpr const char* kDefaultRecordName = "data-record";
    static constexpr const char* kRecordFilter = "Log File (*.log)";
    static constexpr const char* kDiagnoseText =
        "We have detected a potential issue with the sensor. Please enable Test Mode to "
        "diagnose.";
    static constexpr const char* kCollectingText =
        "Collecting diagnostic information. Please wait ...";
    static constexpr int kDefaultReEnableTimeoutMs = 5000;
    // The logger level of a recording: raw traffic, critical and warnings.
    static constexpr quint8 kRecordLevel = 4;
    // How far the skip-ahead button moves a replay.
    static constexpr int kReplaySkipMs = 5000;

    // Works on the process-wide dispatcher and operations.
    explicit FormSensThreshEditor(QWidget* parent = nullptr);
    FormSensThreshEditor(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                         QWidget* parent = nullptr);
    ~FormSensThreshEditor() override;

    void setLoggingQuestion(LoggingQuestion question);
    void setSaveFileChooser(SaveFileChooser chooser);
    void setReEnableTimeout(int ms) { m_reEnableGuard.setInterval(ms); }

    bool isReplay() const { return m_replay; }
    bool isTestMode() const { return m_testMode; }
    bool isRecording() const { return m_recording; }
    bool areStepButtonsEnabled() const;
    int currentTab() const { return m_tabIndex; }
    int touchDisplay() const;
    int edgeDisplay() const;
    QString scanRateText() const;
    OvEqualizerLines* equalizerA() const { return m_equalizerA; }
    OvEqualizerLines* equalizerB() const { return m_equalizerB; }
    GLtexturewidget* heatMap() const { return m_heatMap; }
    // Selects a tab as the user would.
    void selectTab(int index);

signals:
    void signalGraph();
    void signalReplayer();
    void signalClosed();
    void signalPlayButtonTriggered();
    void signalDataLeft(QByteArray data);
    void signalDataRight(QByteArray);
    void signalThresholdSaved(bool flag);
    void signalShowCurrentData();

public slots:
    void updateTouchThreshold(int value);
    void updateEdgeThreshold(int);
    void slotParametersChanged(QByteArray memento);
    void slotSetMonitorMode(bool);
    void on_DisplayScanRate();
    void on_DisplaySnapRate();
    void EmptyWireoutABData();
    void showLevels();
    void UndoChanges();
    void on_buttonTouchMinus10_clicked();
    void on_buttonTouchMinus1_clicked();
    void on_buttonTouchPlus1_clicked();
    void on_buttonTouchPlus10_clicked();
    void on_buttonCloseSave_clicked();
    void setTouchDigitCount(int);
    void setEdgeDigitCount(int);
    void on_buttonRecordLog_pressed();
    void on_buttonStopLog_pressed();
    void on_buttonPlayLog_pressed();
    void on_buttonRecordLog_Triggered();
    void on_buttonPlayLog_Triggered();
    void on_buttonStopLog_Triggered();
    void on_buttonBackLog_pressed();
    void on_buttonFrontLog_pressed();
    void on_buttonRestartLog_Triggered();
    void on_buttonTestMode_toggled(bool checked);
    void on_buttonRestart_clicked();
    void setMonDiagAB(bool on);
    void setMonEdgeAB(bool on);
    void setUiFlags();
    void doReEnable();
    void on_recordGetAndSetParams();
    void doThresholdOperations();
    void pushDataA(QByteArray levels);
    void pushDataB(QByteArray levels);
    void paintDataA(QByteArray levels);
    void paintDataB(QByteArray levels);
    void doInitialize();
    void on_widgetContainer_currentChanged(int index);
    void connectDisconnect();
    void DoConnections();
    void DodisConnections();
    void doSetMonitorEdge();
    void setUIThresholdChange();
    void changeIndexOnTestMode();
    void onFinishedAccumulatingSamples();
    void on_buttonEdgeMinus10_clicked();
    void on_buttonEdgeMinus1_clicked();
    void on_buttonEdgePlus1_clicked();
    void on_buttonEdgePlus10_clicked();
    void on_buttonPressMinus10_clicked();
    void on_buttonPressMinus1_clicked();
    void on_buttonPressPlus1_clicked();
    void on_buttonPressPlus10_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Threshold { Touch, Edge, Press };

    void buildUi();
    QWidget* buildThresholdPanel();
    QWidget* buildButtonRow();
    QPushButton* stepButton(const QString& name, const QString& text,
                            void (FormSensThreshEditor::*slot)());
    void lookUpDelegates();
    void connectOperations();
    void applyOpening();
    void step(Threshold threshold, int delta);
    void setStepButtonsEnabled(bool on);
    void setTestModeIcon(bool on);
    void showExplanation(bool diagnose);
    void showCollecting();
    void hideExplanation();
    void queueParametersPoll();
    void stopRecording();
    void restartReplay();
    void setPlaybackButtons(bool playing);
    static void setDigits(QLCDNumber* display, int value);
    static void showKeepingDigits(QLCDNumber* display, int value);

    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    getoperations m_get;
    QPointer<ResponseDelegateCurrentParameters> m_parameters;
    QPointer<ResponseDelegateProcessedEdge> m_edge;
    QPointer<ResponseDelegateOutputDiagnostics> m_diagnostics;
    QPointer<ResponseDelegateProcessedScan> m_scan;
    QPointer<ResponseDelegateScanArea> m_scanArea;
    QPointer<DeviceCommand> m_poll;
    LoggingQuestion m_loggingQuestion;
    SaveFileChooser m_saveFileChooser;
    QTimer m_reEnableGuard;

    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_viewStack = nullptr;
    OvEqualizerLines* m_equalizerA = nullptr;
    OvEqualizerLines* m_equalizerB = nullptr;
    GLtexturewidget* m_heatMap = nullptr;
    QLCDNumber* m_edgeDisplay = nullptr;
    QLCDNumber* m_touchDisplay = nullptr;
    QList<QPushButton*> m_stepButtons;
    QPushButton* m_buttonTestMode = nullptr;
    QPushButton* m_buttonRestart = nullptr;
    QPushButton* m_buttonCloseSave = nullptr;
    QToolButton* m_buttonRecordLog = nullptr;
    QToolButton* m_buttonStopLog = nullptr;
    QToolButton* m_buttonPlayLog = nullptr;
    QToolButton* m_buttonBackLog = nullptr;
    QToolButton* m_buttonFrontLog = nullptr;
    QList<QWidget*> m_graphFeatureWidgets;
    QLabel* m_scanRate = nullptr;
    QLabel* m_snapRate = nullptr;
    QLabel* m_explanationImage = nullptr;
    QLabel* m_explanationText = nullptr;
    QLabel* m_feedback = nullptr;
    QMovie* m_feedbackMovie = nullptr;

    QByteArray m_memento;
    QByteArray m_recordMemento;
    int m_tabIndex = ScanTab;
    int m_outputEncodingAtOpening = 0;
    bool m_brokenWire = false;
    bool m_productTest = false;
    bool m_disableMonEdge = false;
    bool m_singleWireMode = false;
    bool m_testMode = false;
    bool m_replay = false;
    bool m_recording = false;
};
