#pragma once

#include "device/DeviceResponseDelegate.h"
#include "protocol/TrackerAccessor.h"

// The tracker set ("TrackerParams", response code 37) as last received; readers of
// TrackerAccessor decode it (fields beyond the end of a short report read as 0.0).
class ResponseDelegateTrackerParams : public DeviceResponseDelegate, public TrackerAccessor {
    Q_OBJECT
public:
    explicit ResponseDelegateTrackerParams(QObject* parent = nullptr);

    QString name() const override;
    // True exactly for code 37 in byte 1.
    bool isUnderstood(QByteArray data) override;

    using DeviceResponseDelegate::valuesChanged;

signals:
    // memento: a copy of the whole report.
    void valuesChanged(QByteArray memento);

public slots:
    // Emits valuesChanged(), then valuesChanged(memento).
    void execute() override;

protected:
    const QByteArray& floatBlock() const override { return m_data; }
};
