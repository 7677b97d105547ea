#include "troubleshoot/brokenWireWizardProxy.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <QWizard>

#include "logging/LogMacros.h"
#include "operations/SetOperations.h"

brokenWireWizardProxy::brokenWireWizardProxy(SetOperations* operations, QWidget* parent)
    : QWizardPage(parent), m_operations(operations) {
    setWindowTitle(QStringLiteral("Form"));
    auto* text = new QLabel(
        QStringLiteral(
            "<html><head/><body><p>We have detected a potential issue with the sensor. Please "
            "ensure that the FPC ribbon is inserted correctly into the FPC connector on the "
            "controller board. Click the Troubleshoot Graph button to investigate the issue "
            "further.</p><p>If this error persists, please contact orvello "
            "support.</p></body></html>"),
        this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    auto* image = new QLabel(this);
    image->setPixmap(
        QPixmap(QStringLiteral(":/new/WindowStyles/images/WindowsStyles/FPC_Con_500x162.png")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(image);
}

void brokenWireWizardProxy::initializePage() {
    m_wireOut = m_operations->checkForWireOut();
    if (!m_wireOut) {
        return;
    }
    QWizardPage::initializePage();
    QWizard* wizard = this->wizard();
    // Once per page: arriving again must not stack further connections.
    if (wizard == nullptr || m_buttonsConnected) {
        return;
    }
    connect(wizard->button(QWizard::BackButton), &QAbstractButton::pressed, this,
            &brokenWireWizardProxy::backClicked);
    connect(wizard->button(QWizard::NextButton), &QAbstractButton::pressed, this,
            &brokenWireWizardProxy::nextClicked);
    m_buttonsConnected = true;
}

int brokenWireWizardProxy::nextId() const {
    return m_nextIdWhenOk == kDefaultOrder ? QWizardPage::nextId() : m_nextIdWhenOk;
}

void brokenWireWizardProxy::backClicked() {
    hideGraphButtonWhileWireOut();
}

void brokenWireWizardProxy::nextClicked() {
    hideGraphButtonWhileWireOut();
}

void brokenWireWizardProxy::hideGraphButtonWhileWireOut() {
    if (m_wireOut && wizard() != nullptr) {
        wizard()->button(QWizard::CustomButton1)->setVisible(false);
    }
}

void brokenWireWizardProxy::slotFinished(int result) {
    TLOG_INFO(QStringLiteral("Broken-wire check finished with result %1.").arg(result));
}

bool brokenWireWizardProxy::onCancelButtonClicked() {
    return false;
}
