#include "app/FormWaitForDevice.h"

#include "ui_FormWaitForDevice.h"

#include <cstdlib>
#include <utility>

#include "logging/LogMacros.h"

FormWaitForDevice::FormWaitForDevice(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::FormWaitForDevice), m_cancelAction([] { std::exit(0); }) {
    TTRACE_OBJECT();
    m_ui->setupUi(this);
}

FormWaitForDevice::~FormWaitForDevice() {
    TTRACE_OBJECT();
    delete m_ui;
}

void FormWaitForDevice::setCancelAction(CancelAction action) {
    m_cancelAction = std::move(action);
}

void FormWaitForDevice::on_buttonBox_rejected() {
    TTRACE();
    TLOG_INFO(QStringLiteral("Waiting for the device cancelled by the user."));
    if (m_cancelAction) {
        m_cancelAction();
    }
}
