#pragma once

#include "device/DeviceResponseDelegate.h"

// Base of the delegates that keep a parameter set of float codes as last received (the
// filter set and the tracker set): one response code, and per report valuesChanged()
// followed by valuesChanged(memento). The concrete delegate adds the set's readers over
// data().
class FloatSetResponseDelegate : public DeviceResponseDelegate {
    Q_OBJECT
public:
    explicit FloatSetResponseDelegate(int responseCode, QObject* parent = nullptr);

    // True exactly for the set's response code in byte 1.
    bool isUnderstood(QByteArray data) override;

    using DeviceResponseDelegate::valuesChanged;

signals:
    // memento: a copy of the whole report.
    void valuesChanged(QByteArray memento);

public slots:
    // Emits valuesChanged(), then valuesChanged(memento).
    void execute() override;

private:
    const int m_responseCode;
};
