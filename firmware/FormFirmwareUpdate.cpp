#include "FormFirmwareUpdate.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/FirmwareInformation.h"
#include "firmware/DialogOverrideFmUpdate.h"

namespace {
constexpr int kWidth = 560;
constexpr int kHeight = 420;
constexpr int kPercentMax = 100;
}  // namespace

FormFirmwareUpdate::FormFirmwareUpdate(QWidget* parent)
    : FormFirmwareUpdate(DeviceEventDispatcher::instance(), parent) {}

FormFirmwareUpdate::FormFirmwareUpdate(DeviceEventDispatcher* dispatcher, QWidget* parent,
                                       const FirmwareUploader::Periods& periods)
    : QDialog(parent), m_uploader(new FirmwareUploader(dispatcher, this)) {
    TTRACE_OBJECT();
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    m_uploader->setPeriods(periods);
    connect(m_uploader, &FirmwareUploader::messageShown, this, &FormFirmwareUpdate::appendMessage);
    connect(m_uploader, &FirmwareUploader::uploadProgressChanged, m_uploadBar,
            &QProgressBar::setValue);
    connect(m_uploader, &FirmwareUploader::restartProgressChanged, m_restartBar,
            &QProgressBar::setValue);
    connect(m_uploader, &FirmwareUploader::fileChoiceAllowed, m_clear, &QPushButton::setEnabled);
    connect(m_uploader, &FirmwareUploader::uploadFinished, this,
            &FormFirmwareUpdate::onUploadFinished);
    m_uploader->start();
}

FormFirmwareUpdate::~FormFirmwareUpdate() {
    TTRACE_OBJECT();
}

void FormFirmwareUpdate::buildUi() {
    setObjectName(QStringLiteral("FormFirmwareUpdate"));
    setWindowTitle(QString::fromLatin1(kTitle));
    resize(kWidth, kHeight);
    auto* notice = new QLabel(
        QStringLiteral(
            "Firmware update in progress. Please do not close this window until it's completed."),
        this);
    notice->setWordWrap(true);
    m_uploadBar = new QProgressBar(this);
    m_uploadBar->setObjectName(QStringLiteral("progressBar"));
    m_restartBar = new QProgressBar(this);
    m_restartBar->setObjectName(QStringLiteral("progressBar_commit"));
    for (QProgressBar* bar : {m_uploadBar, m_restartBar}) {
        bar->setRange(0, kPercentMax);
        bar->setValue(0);
    }
    m_textEdit = new QTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setReadOnly(true);
    m_clear = new QPushButton(QString::fromLatin1(kChooseText), this);
    m_clear->setObjectName(QStringLiteral("Clear"));
    m_clear->setEnabled(false);
    m_clear->setAutoDefault(false);
    connect(m_clear, &QPushButton::clicked, this, &FormFirmwareUpdate::on_Clear_clicked);

    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(QStringLiteral("Firmware Upload"), this), 0, 0);
    bars->addWidget(m_uploadBar, 0, 1);
    bars->addWidget(new QLabel(QStringLiteral(" Restart Board   "), this), 1, 0);
    bars->addWidget(m_restartBar, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addLayout(bars);
    layout->addWidget(m_textEdit);
    layout->addWidget(m_clear, 0, Qt::AlignRight);
}

void FormFirmwareUpdate::setFileDialog(BinDataUtils::OpenFileDialog dialog) {
    m_fileDialog = std::move(dialog);
}

void FormFirmwareUpdate::appendMessage(const QString& text) {
    m_textEdit->append(FirmwareUploader::timestamped(text));
}

void FormFirmwareUpdate::onExternalInvoke(QString fileName) {
    TTRACE();
    appendMessage(QStringLiteral("Automatically uploading firmware %1").arg(fileName));
    setFileName(fileName);
    m_automatic = true;
    on_Clear_clicked();
}

void FormFirmwareUpdate::on_Clear_clicked() {
    TTRACE();
    if (m_automatic && !m_fileName.isEmpty()) {
        m_clear->setText(QString::fromLatin1(kStartText));
        updateToFile();
        return;
    }
    if (m_uploader->isBusy()) {
        TLOG_INFO(QStringLiteral("Busy: the file button is ignored."));
        return;
    }
    const QString chosen =
        BinDataUtils::showFileChooser(QString::fromLatin1(kCaption), QString::fromLatin1(kFilter),
                                      QString::fromLatin1(kPattern), this, m_fileDialog);
    if (chosen.isEmpty()) {
        return;
    }
    if (!FirmwareInformation::instance().chosenFileMatches()) {
        TLOG_INFO(
            QStringLiteral("Wrong split version chosen please contact Orvello support for "
                           "further assistance "));
        askOverride(chosen);
        return;
    }
    setFileName(chosen);
    updateToFile();
}

void FormFirmwareUpdate::askOverride(const QString& chosen) {
    if (m_override) {
        m_override->close();
    }
    // The file stays out of fileName until the user allows it.
    m_override = new DialogOverrideFmUpdate(this);
    connect(m_override, &DialogOverrideFmUpdate::yes_clicked, this, [this, chosen] {
        setFileName(chosen);
        updateToFile();
    });
    connect(m_override, &DialogOverrideFmUpdate::no_clicked, this, &QWidget::close);
    m_override->show();
    m_override->raise();
}

void FormFirmwareUpdate::updateToFile() {
    TTRACE();
    if (m_fileName.isEmpty() || m_uploader->isUploading()) {
        return;
    }
    m_uploader->upload(m_fileName);
}

void FormFirmwareUpdate::onUploadFinished() {
    // The next click chooses a file again.
    m_fileName.clear();
    m_automatic = false;
    m_clear->setText(QString::fromLatin1(kChooseText));
}

void FormFirmwareUpdate::finishOnce() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_uploader->abort();
    if (m_override) {
        m_override->close();
    }
    emit signalFormClosed();
}

void FormFirmwareUpdate::done(int result) {
    finishOnce();
    QDialog::done(result);
    // Escape ends the dialog without a close event; it must not linger hidden.
    if (testAttribute(Qt::WA_DeleteOnClose)) {
        deleteLater();
    }
}

void FormFirmwareUpdate::closeEvent(QCloseEvent* event) {
    finishOnce();
    QDialog::closeEvent(event);
    event->accept();
}
