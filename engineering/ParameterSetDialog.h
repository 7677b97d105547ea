#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

class DeviceCommand;
#include "device/DeviceEventDispatcher.h"
class DeviceResponseDelegate;
class QDialogButtonBox;
class QPushButton;

// Base of the dialogs that edit one of the controller's parameter sets (touch filter,
// tracker, zonal filter). They share one pattern:
//  - the subclass's constructor asks the controller for fresh values (resetting its
//    delegates' received state first) and arms a refresh after refreshDelay();
//  - until the values have arrived the editors, OK and every button that sends are
//    disabled, so nothing is ever built from an empty or stale copy; Cancel always works;
//  - the refresh enables the dialog and loads the editors once the delegates hold a
//    complete answer (the subclasses also refresh when their delegates report);
//  - OK sends the edited values and closes; when nothing could be sent the dialog stays.
class ParameterSetDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultRefreshDelayMs = 1000;
    // The largest value an editor of a float-coded field offers. The code keeps a value
    // of 1 or more as value * 256 in 31 bits; from 8388608 on that would reach the sign
    // bit, which the controller reads as a tiny reciprocal. 8388607 is also exact as a
    // float, the type the writers take.
    static constexpr double kLargestFloatValue = 8388607.0;
    static constexpr int kFloatDecimals = 7;

    ~ParameterSetDialog() override;

    // The delay between a request and the refresh that does not wait for a report.
    void setRefreshDelay(int ms) { m_refreshDelayMs = qMax(0, ms); }
    int refreshDelay() const { return m_refreshDelayMs; }
    // True once the controller's values have been loaded into the editors.
    bool hasValues() const { return m_hasValues; }
    QPushButton* okButton() const;

public slots:
    // Runs slot_enableAndRefreshView() after refreshDelay().
    void scheduleTotalRefresh();
    // When the delegates hold a complete answer: enables the dialog and loads the editors.
    void slot_enableAndRefreshView();
    // Sends the editors' values and closes.
    void on_buttonBox_accepted();

protected:
    ParameterSetDialog(DeviceEventDispatcher* dispatcher, QWidget* parent);

    // Puts the subclass's editors above the OK / Cancel box; they start disabled.
    void setContent(QWidget* content);

    // The delegates hold a complete answer of the controller.
    virtual bool isValuesUpdated() = 0;
    // Loads the editors from the delegates.
    virtual void updateValues() = 0;
    // Queues the edited values; false when nothing could be sent.
    virtual bool sendValues() = 0;

    DeviceEventDispatcher* dispatcher() const { return m_dispatcher; }
    // The dispatcher's delegate of that name, or nullptr (logged).
    DeviceResponseDelegate* findDelegate(const QString& name) const;
    // Queues the command; false (and the command deleted) without a dispatcher.
    bool queue(DeviceCommand* command) const;

private:
    QPointer<DeviceEventDispatcher> m_dispatcher;
    QTimer m_refreshTimer;
    QWidget* m_content = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
    int m_refreshDelayMs = kDefaultRefreshDelayMs;
    bool m_hasValues = false;
};
