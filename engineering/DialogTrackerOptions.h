#pragma once

#include <array>

#include "engineering/ParameterSetDialog.h"

class QDoubleSpinBox;
class ResponseDelegateTrackerParams;

// "Tracker Options": the controller's tracker set ("TrackerParams") in three decimal
// editors. OK writes the edited fields into a copy of the controller's last tracker
// report and sends it; a field whose editor still shows what the controller sent keeps
// the controller's bytes. Controllers of the first parameter layout have no tracker set
// and do not answer; the dialog then stays disabled.
class DialogTrackerOptions : public ParameterSetDialog {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 3;
    enum Field { StdDeviation, PCovFactor, QCovFactor };

    explicit DialogTrackerOptions(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);

    QDoubleSpinBox* editor(Field field) const { return m_editors[field]; }

public slots:
    // Forgets the last answer, asks the controller for its tracker set and arms the refresh.
    void requestTrackerParams();

protected:
    bool isValuesUpdated() override;
    void updateValues() override;
    bool sendValues() override;

private:
    QWidget* buildEditors();

    ResponseDelegateTrackerParams* m_tracker = nullptr;
    std::array<QDoubleSpinBox*, kFieldCount> m_editors{};
    std::array<double, kFieldCount> m_loaded{};
};
