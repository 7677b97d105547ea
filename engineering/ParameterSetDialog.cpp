#include "engineering/ParameterSetDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "device/DeviceCommand.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceResponseDelegate.h"

ParameterSetDialog::ParameterSetDialog(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : QDialog(parent), m_dispatcher(dispatcher) {
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this,
            &ParameterSetDialog::slot_enableAndRefreshView);
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    okButton()->setEnabled(false);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this,
            &ParameterSetDialog::on_buttonBox_accepted);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ParameterSetDialog::~ParameterSetDialog() = default;

QPushButton* ParameterSetDialog::okButton() const {
    return m_buttonBox->button(QDialogButtonBox::Ok);
}

void ParameterSetDialog::setContent(QWidget* content) {
    m_content = content;
    m_content->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_content);
    layout->addWidget(m_buttonBox);
}

void ParameterSetDialog::scheduleTotalRefresh() {
    m_refreshTimer.start(m_refreshDelayMs);
}

void ParameterSetDialog::slot_enableAndRefreshView() {
    if (!isValuesUpdated()) {
        return;
    }
    m_content->setEnabled(true);
    okButton()->setEnabled(true);
    m_hasValues = true;
    updateValues();
}

void ParameterSetDialog::on_buttonBox_accepted() {
    TTRACE();
    if (!m_hasValues) {
        return;
    }
    if (sendValues()) {
        accept();
    }
}

DeviceResponseDelegate* ParameterSetDialog::findDelegate(const QString& name) const {
    DeviceResponseDelegate* delegate =
        m_dispatcher ? m_dispatcher->responseDelegate(name) : nullptr;
    if (delegate == nullptr) {
        TLOG_WARNING(QStringLiteral("No \"%1\" delegate; the dialog stays disabled.").arg(name));
    }
    return delegate;
}

bool ParameterSetDialog::queue(DeviceCommand* command) const {
    if (command == nullptr) {
        return false;
    }
    if (!m_dispatcher) {
        delete command;
        return false;
    }
    m_dispatcher->queueCommand(command);
    return true;
}
