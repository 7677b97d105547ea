#pragma once

#include "protocol/FilterAccessor.h"
#include "protocol/FloatSetResponseDelegate.h"

// The filter set ("FilterAB", response code 21) as last received; readers of
// FilterAccessor decode it (fields beyond the end of a short report read as 0.0).
//
// On the first answer ever (setting "FilterValue/FirstConfiguration" false) the seven
// readable values are kept in the settings as the user's defaults, under the
// "FilterValue/..." keys the filter dialog reads.
class ResponseDelegateFilterAB : public FloatSetResponseDelegate, public FilterAccessor {
    Q_OBJECT
public:
    explicit ResponseDelegateFilterAB(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }

public slots:
    // Emits valuesChanged(), then valuesChanged(memento), then runs setDefaultParameters().
    void execute() override;
    // While "FilterValue/FirstConfiguration" is false: sets it true and stores the seven
    // readable values as float settings. A report too short to hold every field is not
    // taken as the defaults (logged; the next full report is).
    void setDefaultParameters();

protected:
    const QByteArray& floatBlock() const override { return m_data; }
};
