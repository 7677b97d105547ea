#include "app/MiscFiles.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QUrl>
#include <QWidget>

#include <utility>

#include "logging/LogMacros.h"
#include "device/ConnectionWatcher.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/SettingsKeys.h"
#include "operations/SetOperations.h"
#include "engineering/DialogEngParamsTab.h"
#include "sensitivity/FormSensThreshEditor.h"
#include "app/CalibrationLauncher.h"
#include "app/UserPrompt.h"

namespace {
const char* const kReplayProviderName = "LogReplayer";
const char* const kDeviceProviderName = "DefaultPlatformDataIoProvider";

FormSensThreshEditor::LoggingAnswer askLogging(QWidget* parent) {
    UserPrompt::Question question;
    question.icon = QMessageBox::Question;
    question.title = QStringLiteral("Logging");
    question.informativeText = QStringLiteral("Do you want the touch enabled, while logging?");
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::Yes;
    switch (UserPrompt::current().ask(question, parent).button) {
        case QMessageBox::Yes:
            return FormSensThreshEditor::LoggingAnswer::Yes;
        case QMessageBox::No:
            return FormSensThreshEditor::LoggingAnswer::No;
        default:
            return FormSensThreshEditor::LoggingAnswer::Dismissed;
    }
}

QString chooseRecordFile(QWidget* parent, const QString& caption, const QString& filter) {
    return UserPrompt::current().saveFileName(
        parent, caption, QString::fromLatin1(FormSensThreshEditor::kDefaultRecordName), filter);
}

bool openWithDesktopViewer(const QString& path) {
    return QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
}  // namespace

MiscFiles::MiscFiles(QWidget* window, DeviceEventDispatcher* dispatcher, SetOperations* operations)
    : QObject(window),
      m_window(window),
      m_dispatcher(dispatcher != nullptr ? dispatcher : DeviceEventDispatcher::instance()),
      m_operations(operations),
      m_documentOpener(openWithDesktopViewer) {
    TTRACE_OBJECT();
}

void MiscFiles::updateBooleanTextAndStyle(QLabel* label, bool flag, const QString& textOn,
                                          const QString& textOff, const QString& styleOn,
                                          const QString& styleOff) {
    if (label == nullptr) {
        return;
    }
    label->setText(flag ? textOn : textOff);
    label->setStyleSheet(flag ? styleOn : styleOff);
}

void MiscFiles::setDocumentOpener(DocumentOpener opener) {
    m_documentOpener = std::move(opener);
}

void MiscFiles::showCalibrate(bool flag) {
    TTRACE();
    if (m_calibration == nullptr) {
        m_calibration = new CalibrationLauncher(
            m_window, m_dispatcher,
            m_operations != nullptr ? m_operations : SetOperations::instance());
        connect(m_calibration, &CalibrationLauncher::signalShowSensThresEditor, this,
                &MiscFiles::showSensThresholdEditor);
    }
    m_calibration->start(flag);
}

void MiscFiles::showSensThresholdEditor() {
    TTRACE();
    // Started to replay there is no device to tune: replay a recording instead.
    if (m_replayOnly ||
        QSettings().value(SettingsKeys::Calibration::kNoSoftReset, false).toBool()) {
        showReplayWindow();
        return;
    }
    if (m_graphInitializedOnce && m_editor) {
        m_editor->raise();
        m_editor->activateWindow();
        return;
    }
    // Back from a replay, the graph shows the controller again.
    if (m_dispatcher) {
        m_dispatcher->setDeviceIoDataProvider(QString::fromLatin1(kDeviceProviderName));
    }
    openSensThresholdEditor();
}

void MiscFiles::showReplayWindow() {
    TTRACE();
    const QString fileName = UserPrompt::current().openFileName(
        m_window, QStringLiteral("Open File"), QString::fromLatin1(kReplayDefault),
        QString::fromLatin1(kReplayFilter));
    if (fileName.isEmpty()) {
        return;
    }
    openReplay(fileName);
}

bool MiscFiles::openReplay(const QString& fileName) {
    TTRACE();
    closeSensThresholdEditor();
    if (!replayerMode(fileName)) {
        UserPrompt::Question question;
        question.icon = QMessageBox::Warning;
        question.title = QStringLiteral("Replay");
        question.text = QStringLiteral("Cannot replay %1").arg(QDir::toNativeSeparators(fileName));
        question.informativeText =
            QStringLiteral("The file cannot be opened or is not a log of this tool.");
        UserPrompt::current().ask(question, m_window);
        return false;
    }
    openSensThresholdEditor();
    return true;
}

bool MiscFiles::replayerMode(QString fileName) {
    TTRACE();
    pauseWatcher();
    DeviceIoDataProvider* replayer =
        m_dispatcher
            ? m_dispatcher->setDeviceIoDataProvider(QString::fromLatin1(kReplayProviderName))
            : nullptr;
    const bool connected = replayer != nullptr && replayer->deviceConnect(fileName, 0, 0);
    if (!connected) {
        TLOG_WARNING(QStringLiteral("Cannot replay %1").arg(fileName));
    } else if (!m_dispatcher->takeDeviceKindFromProvider()) {
        TLOG_WARNING(QStringLiteral("The log %1 does not begin with the information of a known "
                                    "device; its packets are routed once it names one.")
                         .arg(fileName));
    }
    continueWatcher();
    return connected;
}

void MiscFiles::openSensThresholdEditor() {
    TTRACE();
    auto* editor = new FormSensThreshEditor(
        m_dispatcher, m_operations != nullptr ? m_operations : SetOperations::instance());
    editor->setLoggingQuestion(askLogging);
    editor->setSaveFileChooser(chooseRecordFile);
    connect(editor, &FormSensThreshEditor::signalReplayer, editor, &QWidget::close);
    connect(editor, &FormSensThreshEditor::signalReplayer, this, &MiscFiles::showReplayWindow);
    connect(editor, &FormSensThreshEditor::signalClosed, this,
            &MiscFiles::setGraphInitializedOnceFalse);
    if (m_watcher) {
        connect(m_watcher, &ConnectionWatcher::sigDisconnected, editor,
                &FormSensThreshEditor::EmptyWireoutABData);
    }
    m_editor = editor;
    m_graphInitializedOnce = true;
    editor->show();
}

void MiscFiles::closeSensThresholdEditor() {
    if (m_editor) {
        m_editor->close();
    }
}

void MiscFiles::setConnectionWatcher(ConnectionWatcher* watcher) {
    m_watcher = watcher;
}

void MiscFiles::pauseWatcher() {
    if (m_watcher) {
        m_watcher->pause();
    }
}

void MiscFiles::continueWatcher() {
    if (m_watcher) {
        m_watcher->cont();
    }
}

void MiscFiles::showFirmwareUpdateWizard(QString fileName) {
    TTRACE();
    if (m_firmwareUpdate) {
        m_firmwareUpdate->raise();
        m_firmwareUpdate->activateWindow();
        return;
    }
    // The controller restarts during an upload; the watcher must not take that for a loss.
    pauseWatcher();
    auto* dialog = new FormFirmwareUpdate(m_dispatcher.data(), nullptr);
    dialog->setFileDialog([](QWidget* parent, const QString& caption, const QString& directory,
                             const QString& filter) {
        return UserPrompt::current().openFileName(parent, caption, directory, filter);
    });
    connect(dialog, &FormFirmwareUpdate::signalFormClosed, this, &MiscFiles::continueWatcher);
    if (!fileName.isEmpty()) {
        dialog->onExternalInvoke(fileName);
    }
    // Modal without a local event loop: the caller returns at once.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    m_firmwareUpdate = dialog;
}

void MiscFiles::showEngineeringParameters() {
    TTRACE();
    if (m_engineering) {
        m_engineering->raise();
        m_engineering->activateWindow();
        return;
    }
    auto* dialog = new DialogEngParamsTab(
        m_dispatcher, m_operations != nullptr ? m_operations : SetOperations::instance());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Modal without a local event loop: the caller returns at once.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    m_engineering = dialog;
}

bool MiscFiles::showCompatibilityMessage(bool flag, QString fileName) {
    TTRACE();
    QSettings settings;
    const bool offerUpgrades =
        settings.value(SettingsKeys::VersionValue::kMinUiRepoFlag, false).toBool();
    const bool decisionStored =
        settings.value(SettingsKeys::VersionValue::kFirstConfiguration, false).toBool();
    if (!flag || (decisionStored && !offerUpgrades)) {
        return false;
    }

    UserPrompt::Question question;
    question.icon = QMessageBox::Information;
    question.title = QStringLiteral("Firmware update");
    question.text = QStringLiteral(
                        "Firmware update available!\nFor further information please "
                        "contact: ") +
                    QString::fromLatin1(kSupportEmail);
    question.informativeText = QStringLiteral("Would you like to upgarde to v.%1 ?")
                                   .arg(FirmwareInformation::instance().deliveredFirmwareVersion());
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::Yes;
    question.checkBoxText = QStringLiteral("Remember my decision");
    const UserPrompt::Answer answer = UserPrompt::current().ask(question, m_window);

    // Closing the box counts as No.
    const bool accepted = answer.button == QMessageBox::Yes;
    if (answer.checkBoxChecked) {
        settings.setValue(SettingsKeys::VersionValue::kMinUiRepoFlag, accepted);
        settings.setValue(SettingsKeys::VersionValue::kFirstConfiguration, true);
    }
    // Nothing to upload without a file.
    return accepted && !fileName.isEmpty();
}

void MiscFiles::on_buttonHelp_clicked() {
    TTRACE();
    const QString guide = QDir::currentPath() + QString::fromLatin1(kDocsFolder) +
                          QString::fromLatin1(kInstallationGuide);
    if (m_documentOpener && m_documentOpener(guide)) {
        return;
    }
    UserPrompt::Question question;
    question.icon = QMessageBox::Warning;
    question.title = QStringLiteral("File not found");
    question.text = QStringLiteral("File not found");
    question.informativeText =
        QStringLiteral("Do you want to proceed further or close the application");
    question.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    question.defaultButton = QMessageBox::Ok;
    if (UserPrompt::current().ask(question, m_window).button != QMessageBox::Ok) {
        TLOG_INFO(QStringLiteral("File not found"));
    }
}

void MiscFiles::setGraphInitializedOnceFalse() {
    TTRACE();
    m_graphInitializedOnce = false;
}
