#include "AutoSensWizardProxy.h"

#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "protocol/SettingsKeys.h"
#include "sensitivity/FormSensCal.h"

AutoSensWizardProxy::AutoSensWizardProxy(DeviceEventDispatcher* dispatcher,
                                         SetOperations* operations, QWidget* parent)
    : QWizardPage(parent),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_label(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Form"));
    setTitle(QStringLiteral("Autosensitivity"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
}

QString AutoSensWizardProxy::labelText() const {
    return m_label->text();
}

void AutoSensWizardProxy::initializePage() {
    if (m_dialog) {
        return;
    }
    setTitle(QStringLiteral("Autosensitivity"));
    m_label->clear();
    m_dialog = new FormSensCal(m_dispatcher, m_operations);
    if (m_delays) {
        m_dialog->setDelays(*m_delays);
    }
    connect(m_dialog, &FormSensCal::noiseFigure, this, &AutoSensWizardProxy::slotNoiseFigure);
    connect(m_dialog, &FormSensCal::signalToNoiseRatio, this, &AutoSensWizardProxy::slotSNR);
    connect(m_dialog, &QDialog::finished, this, &AutoSensWizardProxy::showOutcome);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->show();
}

void AutoSensWizardProxy::showOutcome(int result) {
    slotFinished(result);
    if (result == AutoSensitivityProcedure::ResultCompleted) {
        setTitle(QStringLiteral("Autosensitivity Complete"));
        QString text = QStringLiteral(
            "The sensitivity has been adjusted. Press Next to proceed to calibration.");
        if (QSettings().value(SettingsKeys::Sensitivity::kShowMonitor, false).toBool()) {
            text += QStringLiteral("\n Noise Figure: %1, SNR: %2")
                        .arg(m_noiseFigure, 0, 'g')
                        .arg(m_snr, 0, 'g');
        }
        m_label->setText(text);
    } else {
        setTitle(QStringLiteral("Autosensitivity Failed"));
        m_label->setText(QStringLiteral(
            "The sensitivity has not been adjusted.Press Next to continue or Cancel to Close"));
    }
    emit showNext();
}

void AutoSensWizardProxy::slotFinished(int result) {
    TLOG_INFO(QStringLiteral("Automatic sensitivity finished with result %1.").arg(result));
}

bool AutoSensWizardProxy::onCancelButtonClicked() {
    return false;
}

int AutoSensWizardProxy::nextId() const {
    return m_nextIdWhenOk ? *m_nextIdWhenOk : QWizardPage::nextId();
}

void AutoSensWizardProxy::slotNoiseFigure(double theValue) {
    m_noiseFigure = theValue;
}

void AutoSensWizardProxy::slotSNR(double theSnr) {
    m_snr = theSnr;
}
