#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "troubleshoot/formdisplayCurrentData.h"

class DeviceEventDispatcher;
class QTimer;

namespace Ui {
class FormSoftReset;
}

// The full-screen "Please do not touch" notice shown while the controller recalibrates
// itself (soft reset). While shown it re-reads the controller's parameters every 50 ms,
// so the end of the soft reset is noticed; after 2000 polls (100 s) it hides and reports
// a fault once. "Ctrl+Alt+N" closes and deletes it; "Ctrl+Alt+Q" opens the live flag
// display above it.
//
// Polling runs only while the notice is shown: hiding it (the soft reset ended) stops
// the polls and clears the count, so a soft reset that ends in time never reports a
// fault and the next one starts counting afresh.
class FormSoftReset : public QWidget {
    Q_OBJECT
public:
    using PollAction = std::function<void()>;

    static constexpr int kTickIntervalMs = 50;
    static constexpr int kMaxTicks = 2000;
    static constexpr const char* kFaultText =
        "System is continously trying to adjust itself to the environment.However system "
        "detected some faults .Please contact Orvello for more information";
    static constexpr const char* kFaultQuestion = "Do you want to close this window?";

    // dispatcher: the link the polls go to and the flag display reads (the process-wide
    // one by default).
    explicit FormSoftReset(QWidget* parent = nullptr);
    explicit FormSoftReset(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);
    ~FormSoftReset() override;

    // What one poll does; by default it queues a get-parameters request.
    void setPollAction(PollAction action);

    int pollCount() const { return m_tickCount; }
    bool isPolling() const;
    // The flag display opened with "Ctrl+Alt+Q"; nullptr until then and after it closed.
    formdisplayCurrentData* currentDataWindow() const { return m_currentData; }

public slots:
    void bringFront();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void showCurrentDataWindow();

private:
    void stopPolling();
    void reportFault();

    Ui::FormSoftReset* m_ui;
    QPointer<DeviceEventDispatcher> m_dispatcher;
    QPointer<formdisplayCurrentData> m_currentData;
    QPointer<QTimer> m_tickTimer;
    int m_tickCount = 0;
    PollAction m_pollAction;
};
