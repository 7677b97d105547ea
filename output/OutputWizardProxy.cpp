#include "output/OutputWizardProxy.h"

#include <QAbstractButton>
#include <QLabel>
#include <QVBoxLayout>
#include <QWizard>

#include "logging/LogMacros.h"
#include "operations/SetOperations.h"
#include "output/FormOutput.h"

namespace {
// FormOutput's page of the wizard's radio buttons.
constexpr int kWizardOutputStackIndex = 1;

QString richText(const QString& body) {
    return QStringLiteral("<html><head/><body><p>%1</p></body></html>").arg(body);
}
}  // namespace

OutputWizardProxy::OutputWizardProxy(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                     QWidget* parent)
    : QWizardPage(parent),
      m_operations(operations),
      m_form(new FormOutput(dispatcher, operations, this)),
      m_message(
          new QLabel(richText(QStringLiteral("Calibration in progress.Please wait....")), this)),
      m_hint(
          new QLabel(richText(QStringLiteral(
                         "Press Touch Test to test touch output or Finish to close the wizard.")),
                     this)) {
    setWindowTitle(QStringLiteral("Form"));
    setTitle(QStringLiteral("Showing Output Window"));
    m_message->setWordWrap(true);
    m_hint->setWordWrap(true);
    m_form->setStackIndex(kWizardOutputStackIndex);
    m_form->hide();
    m_hint->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_form);
    layout->addWidget(m_hint);
}

QString OutputWizardProxy::messageText() const {
    return m_message->text();
}

bool OutputWizardProxy::isHintShown() const {
    return !m_hint->isHidden();
}

void OutputWizardProxy::initializePage() {
    QWizard* wizard = this->wizard();
    if (wizard == nullptr || m_finishConnected) {
        return;
    }
    connect(wizard->button(QWizard::FinishButton), &QAbstractButton::pressed, this,
            &OutputWizardProxy::finishClicked);
    m_finishConnected = true;
}

int OutputWizardProxy::nextId() const {
    return m_nextIdOverride >= 0 ? m_nextIdOverride : QWizardPage::nextId();
}

void OutputWizardProxy::finishClicked() {
    m_form->hide();
    m_message->setText(QStringLiteral("Please wait while we save the parameters for flash."));
    if (m_operations != nullptr) {
        connect(m_operations, &SetOperations::signal_finishedSavingParameters, this,
                &OutputWizardProxy::signalFinishedSavingParameters, Qt::UniqueConnection);
    }
    if (m_calibrationResult == DesiredState::kCalibFailed) {
        emit signalShowSensThresEditor();
    }
}

void OutputWizardProxy::slotOutputFinished(int OutputResult) {
    if (OutputResult < 0 || OutputResult > DesiredState::kCalibNoTouch) {
        TLOG_WARNING(QStringLiteral("Output page: no calibration outcome (%1).").arg(OutputResult));
        return;
    }
    m_calibrationResult = OutputResult;
    m_hint->hide();
    m_form->hide();
    switch (OutputResult) {
        case 0:
        case 1:
            setTitle(QStringLiteral("Output Mode"));
            m_message->setText(QStringLiteral(
                "The calibration has finished successfully.<br>Please select the output mode "
                "from the options below."));
            m_hint->show();
            TLOG_INFO(QStringLiteral("Activating output."));
            m_form->setStackIndex(kWizardOutputStackIndex);
            m_form->show();
            m_form->loadMode();
            emit signalShowOutputWindow();
            break;
        case 2:
            setTitle(QStringLiteral("Calilbration Cancelled"));
            m_message->setText(QStringLiteral(
                "The calibration has been cancelled by the user.<br>To perform it again please "
                "press the back button or press Cancel to close the wizard."));
            break;
        case 3:
            setTitle(QStringLiteral("Calilbration Failed :- Noisy Signal"));
            m_message->setText(QStringLiteral(
                "The calibration has failed!<br> Please press Finish to open the Graph for "
                "further diagnostics."));
            break;
        case 4:
            setTitle(QStringLiteral("Calilbration Failed :- No Signal"));
            m_message->setText(QStringLiteral(
                "The sensor detected no touch signal.<br> Please try calibrating again. If you "
                "were touching,<br> please make sure that the FPC ribbon is inserted into the "
                "controller board correctly <br>(note that the connectors are top-contact)."));
            break;
    }
    emit showCompletionDialog();
}
