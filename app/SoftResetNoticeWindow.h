#pragma once

#include <QPointer>

#include "protocol/SoftResetNotice.h"

class DeviceEventDispatcher;
class FormSoftReset;

// The soft-reset notice of the protocol layer, shown as the full-screen FormSoftReset.
// The window is a top-level widget (it cannot be a child of the delegate that owns
// this object); it is created hidden with the notice and deleted with it.
//
// "Ctrl+Alt+N" closes and deletes the window; the next showNotice() then builds a new
// one, so a later soft reset is still announced.
class SoftResetNoticeWindow : public SoftResetNotice {
    Q_OBJECT
public:
    // dispatcher: the link the window polls (the process-wide one by default).
    explicit SoftResetNoticeWindow(QObject* parent = nullptr,
                                   DeviceEventDispatcher* dispatcher = nullptr);
    ~SoftResetNoticeWindow() override;

    // Makes SoftResetNotice::create() build notices of this kind, polling the given link
    // (the process-wide one by default).
    static void install(DeviceEventDispatcher* dispatcher = nullptr);

    bool isNoticeShown() const override;
    int pollCount() const override;
    void showNotice() override;
    void hideNotice() override;

    // The window, or nullptr after it was closed and before it is shown again.
    FormSoftReset* window() const;

private:
    FormSoftReset* ensureWindow();

    QPointer<DeviceEventDispatcher> m_dispatcher;
    QPointer<FormSoftReset> m_window;
};
