#include "app/FormWaitForDevice.h"

#include <cstdlib>
#include <utility>

#include "ui_FormWaitForDevice.h"

namespace {
// The start-up wait is part of the program's entry point and logs as such.
const char* const kMainSignature = "int __cdecl main(int,char *[])";
}  // namespace

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"

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

void FormWaitForDevice::reject() {
    on_buttonBox_rejected();
    QDialog::reject();
}

bool FormWaitForDevice::waitForDevice(int intervalMs) {
    FormWaitForDevice dialog;
    dialog.setWindowTitle(QStringLiteral("tavirel Configuration Software"));
    dialog.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinMaxButtonsHint);
    dialog.show();

    DeviceWaitLoop loop([] { return DeviceEventDispatcher::instance()->firstConnection(); },
                        intervalMs);
    dialog.setCancelAction([&loop] { loop.cancel(); });
    const bool connected = loop.run();
    if (connected && !DeviceEventDispatcher::instance()->isOrvelloVid()) {
        SillyLogger::instance()->logFrom(SillyLogger::Warning, kMainSignature,
                                         QStringLiteral("Using a different VID of the one "
                                                        "expected."));
    }
    dialog.hide();
    return connected;
}
