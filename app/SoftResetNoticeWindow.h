#pragma once

#include <QPointer>

#include "protocol/SoftResetNotice.h"

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
    explicit SoftResetNoticeWindow(QObject* parent = nullptr);
    ~SoftResetNoticeWindow() override;

    // Makes SoftResetNotice::create() build notices of this kind.
    static void install();

    bool isNoticeShown() const override;
    int pollCount() const override;
    void showNotice() override;
    void hideNotice() override;

    // The window, or nullptr after it was closed and before it is shown again.
    FormSoftReset* window() const;

private:
    FormSoftReset* ensureWindow();

    QPointer<FormSoftReset> m_window;
};
