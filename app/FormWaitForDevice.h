#pragma once

#include <QDialog>

#include <functional>

#include "app/DeviceWaitLoop.h"

namespace Ui {
class FormWaitForDevice;
}

// The small "waiting for a response from the device" dialog of the start-up wait.
// Cancel ends the program with exit code 0; so do Escape and closing the dialog, which
// would otherwise only hide it and leave the wait running unseen. By default that happens at once;
// start-up installs an action that ends its wait loop instead, so the program still leaves through
// its normal clean-up (and releases its single-instance segment).
class FormWaitForDevice : public QDialog {
    Q_OBJECT
public:
    using CancelAction = std::function<void()>;

    explicit FormWaitForDevice(QWidget* parent = nullptr);
    ~FormWaitForDevice() override;

    void setCancelAction(CancelAction action);

    // The live-mode start-up wait: shows the dialog and asks the dispatcher for a first
    // connection until a controller answers (true) or Cancel is pressed (false). A
    // controller of another vendor is used anyway; only a warning is logged.
    static bool waitForDevice(int intervalMs = DeviceWaitLoop::kDefaultIntervalMs);

public slots:
    // Escape and closing the dialog: the same as Cancel.
    void reject() override;

private slots:
    void on_buttonBox_rejected();

private:
    Ui::FormWaitForDevice* m_ui;
    CancelAction m_cancelAction;
};
