#pragma once

#include "protocol/FloatSetResponseDelegate.h"
#include "protocol/TrackerAccessor.h"

// The tracker set ("TrackerParams", response code 37) as last received; readers of
// TrackerAccessor decode it (fields beyond the end of a short report read as 0.0).
class ResponseDelegateTrackerParams : public FloatSetResponseDelegate, public TrackerAccessor {
    Q_OBJECT
public:
    explicit ResponseDelegateTrackerParams(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }

protected:
    const QByteArray& floatBlock() const override { return m_data; }
};
