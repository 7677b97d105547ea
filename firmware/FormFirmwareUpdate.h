#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "firmware/BinDataUtils.h"
#include "firmware/DialogOverrideFmUpdate.h"
#include "firmware/FirmwareUploader.h"

class DeviceEventDispatcher;
class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;

// The firmware upload dialog: a thin view of FirmwareUploader, which does the work. It
// shows the uploader's messages with the time of day, the upload bar and the restart bar,
// and the "Choose File ..." button, which picks a file (guarded by the sensor's split
// type, with DialogOverrideFmUpdate asking before a mismatching file is uploaded).
//
// Opened with a file name (onExternalInvoke) it uploads that file without questions.
// Closing it, however it is closed and whatever runs, stops the upload and restores the
// link at once. Deletes itself when closed.
class FormFirmwareUpdate : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)
public:
    static constexpr const char* kTitle = "tavirel Firmware Update";
    static constexpr const char* kChooseText = "Choose File ...";
    static constexpr const char* kStartText = "Start";
    static constexpr const char* kCaption = "Open File";
    static constexpr const char* kFilter = "Firmware Update Files (*.ovu *.OVU)";
    static constexpr const char* kPattern = "*.ovu *.OVU";

    // Works on the process-wide dispatcher.
    explicit FormFirmwareUpdate(QWidget* parent = nullptr);
    // Reads the controller's state at once; periods as FirmwareUploader takes them.
    FormFirmwareUpdate(DeviceEventDispatcher* dispatcher, QWidget* parent,
                       const FirmwareUploader::Periods& periods = FirmwareUploader::Periods());
    ~FormFirmwareUpdate() override;

    FirmwareUploader* uploader() const { return m_uploader; }
    // How the file is asked for (the tool's prompt, or a test's answer); empty: a real
    // file dialog.
    void setFileDialog(BinDataUtils::OpenFileDialog dialog);
    // The file to upload: given, chosen and matching, or allowed by the override's Yes.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    // The override question while it is open.
    DialogOverrideFmUpdate* overrideDialog() const { return m_override; }

signals:
    void signalFormClosed();

public slots:
    // Uploads fileName as soon as the controller's state is read.
    void onExternalInvoke(QString fileName);
    void on_Clear_clicked();
    // Uploads fileName.
    void updateToFile();
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void askOverride(const QString& chosen);
    void appendMessage(const QString& text);
    void onUploadFinished();
    void finishOnce();

    FirmwareUploader* m_uploader;
    BinDataUtils::OpenFileDialog m_fileDialog;
    QString m_fileName;
    bool m_automatic = false;
    bool m_closed = false;
    QPointer<DialogOverrideFmUpdate> m_override;
    QPushButton* m_clear = nullptr;
    QProgressBar* m_uploadBar = nullptr;
    QProgressBar* m_restartBar = nullptr;
    QTextEdit* m_textEdit = nullptr;
};
