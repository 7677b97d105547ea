#include "CalibrationWizardProxy.h"

#include <QAbstractButton>
#include <QLabel>
#include <QVBoxLayout>
#include <QWizard>

namespace {
constexpr int kLabelMaxWidth = 500;
constexpr int kLabelMaxHeight = 50;
constexpr int kEmptyAreaHeight = 225;
}  // namespace

CalibrationWizardProxy::CalibrationWizardProxy(QWidget* parent) : QWizardPage(parent) {
    setWindowTitle(QStringLiteral("Form"));
    setTitle(QStringLiteral("Showing Output Window"));
    auto* label = new QLabel(
        QStringLiteral(
            "<html><head/><body><p>Calibration in progress.Please wait....</p></body></html>"),
        this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    label->setMaximumSize(kLabelMaxWidth, kLabelMaxHeight);
    auto* empty = new QWidget(this);
    empty->setMinimumHeight(kEmptyAreaHeight);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(empty);
}

void CalibrationWizardProxy::initializePage() {
    if (QWizard* wizard = this->wizard()) {
        wizard->button(QWizard::NextButton)->setVisible(false);
        wizard->button(QWizard::BackButton)->setVisible(false);
    }
}

bool CalibrationWizardProxy::isComplete() const {
    const QWizard* wizard = this->wizard();
    return wizard != nullptr && wizard->button(QWizard::NextButton)->isVisible();
}

int CalibrationWizardProxy::nextId() const {
    return m_nextIdOverride >= 0 ? m_nextIdOverride : QWizardPage::nextId();
}

void CalibrationWizardProxy::setCalibrationResult(int result) {
    switch (result) {
        case 0:
        case 1:
            m_nextIdOverride = m_nextIdOk;
            break;
        case 2:
            m_nextIdOverride = m_nextIdCancelled;
            break;
        case 3:
        case 4:
            m_nextIdOverride = m_nextIdFailed;
            break;
        default:
            m_nextIdOverride = -1;
            break;
    }
}
