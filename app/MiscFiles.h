#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "engineering/DialogEngParamsTab.h"
#include "firmware/FormFirmwareUpdate.h"
#include "sensitivity/FormSensThreshEditor.h"

class CalibrationLauncher;
class ConnectionWatcher;
class DeviceEventDispatcher;
class QLabel;
class QWidget;
class SetOperations;

// Opens the main window's secondary windows and holds the small helpers they share.
// Owned by the main window.
class MiscFiles : public QObject {
    Q_OBJECT
public:
    using DocumentOpener = std::function<bool(const QString& path)>;

    static constexpr const char* kDocsFolder = "/Docs/";
    static constexpr const char* kInstallationGuide = "tavirel_TR4-80_SetupInstallationGuide.pdf";
    static constexpr const char* kReplayFilter = "Replay Log files (*.log)";
    static constexpr const char* kReplayDefault = "*.log";
    static constexpr const char* kSupportEmail = "support@orvello.example";

    // dispatcher: the link a replay is switched into; operations: what the graph window
    // and the engineering dialog change the controller with (the process-wide ones by
    // default).
    explicit MiscFiles(QWidget* window, DeviceEventDispatcher* dispatcher = nullptr,
                       SetOperations* operations = nullptr);

    // Shows flag's text and style sheet on the label.
    static void updateBooleanTextAndStyle(QLabel* label, bool flag, const QString& textOn,
                                          const QString& textOff, const QString& styleOn,
                                          const QString& styleOff);

    // How documents are opened; by default with the desktop's viewer (false when the file
    // is missing or no viewer started). For tests.
    void setDocumentOpener(DocumentOpener opener);

    // The calibration's launcher; nullptr until the first calibration.
    CalibrationLauncher* calibrationLauncher() const { return m_calibration; }
    // The open engineering parameters dialog; nullptr when none.
    DialogEngParamsTab* engineeringDialog() const { return m_engineering; }
    // The open firmware upload dialog; nullptr when none.
    FormFirmwareUpdate* firmwareUpdateDialog() const { return m_firmwareUpdate; }

    // True while the sensitivity editor is open.
    bool isGraphInitializedOnce() const { return m_graphInitializedOnce; }
    // The open graph window, or nullptr.
    FormSensThreshEditor* sensThresholdEditor() const { return m_editor; }
    // The tool was started to replay (-r or -f): the graph leads to the replay window.
    void setReplayOnly(bool on) { m_replayOnly = on; }
    bool isReplayOnly() const { return m_replayOnly; }
    // Replays the log and opens the graph window on it; false (logged) when the log
    // cannot be replayed.
    bool openReplay(const QString& fileName);

public slots:
    // Puts the controller into calibration mode and runs the calibration window; flag:
    // the window reports its outcome in a message box.
    void showCalibrate(bool flag);
    void showSensThresholdEditor();
    void showReplayWindow();
    // Switches the device link to replaying the given log.
    bool replayerMode(QString fileName);
    // Opens the firmware upload dialog (application-modal, without blocking the caller),
    // with the connection watcher paused until it closes. With a file name the dialog
    // uploads that file without questions. While one is open, it is raised instead.
    void showFirmwareUpdateWizard(QString fileName);
    // Opens the engineering parameters dialog (application-modal, without blocking the
    // caller; it deletes itself when closed). While one is open, it is raised instead.
    void showEngineeringParameters();
    // The firmware-upgrade offer for the delivered file fileName (flag: a newer file is
    // there). Asks unless flag is false or the user chose to be asked no more
    // ("VersionValue/FirstConfiguration" set, "VersionValue/minUiRepoFlag" clear); a ticked
    // "Remember my decision" stores the answer in both keys. True when the user accepted
    // and there is a file to upload.
    bool showCompatibilityMessage(bool flag, QString fileName);
    void on_buttonHelp_clicked();
    void setGraphInitializedOnceFalse();
    // The watcher paused while a replay is switched in; the main window hands it over
    // once the heartbeat runs.
    void setConnectionWatcher(ConnectionWatcher* watcher);

private:
    void openSensThresholdEditor();
    void closeSensThresholdEditor();
    void pauseWatcher();
    void continueWatcher();

    QWidget* m_window;
    QPointer<DeviceEventDispatcher> m_dispatcher;
    // nullptr: the process-wide operations, made when first needed.
    SetOperations* m_operations;
    QPointer<ConnectionWatcher> m_watcher;
    QPointer<FormSensThreshEditor> m_editor;
    bool m_graphInitializedOnce = false;
    bool m_replayOnly = false;
    DocumentOpener m_documentOpener;
    QPointer<DialogEngParamsTab> m_engineering;
    QPointer<FormFirmwareUpdate> m_firmwareUpdate;
    CalibrationLauncher* m_calibration = nullptr;
};
