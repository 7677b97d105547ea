#pragma once

#include <array>

#include "engineering/ParameterSetDialog.h"

class QDoubleSpinBox;
class ResponseDelegateFilterAB;

// "Touch Filter Options": the controller's touch filter set ("FilterAB") in seven
// decimal editors. OK writes the edited fields into a copy of the controller's last
// filter report and sends it; a field whose editor still shows what the controller sent
// keeps the controller's bytes, so opening and confirming never shifts a value through
// the editor's rounding.
//
// Besides OK and Cancel, without closing the dialog:
//  - "SwitchOff" keeps the editors' values, sets every editor to 0 and sends;
//  - "SwitchOn" puts the kept values back and sends; it does nothing (and stays
//    disabled) until "SwitchOff" or "Factory Defaults" has filled the store;
//  - "Factory Defaults" loads the values kept at the first connection
//    ("FilterValue/..." settings, 0 where none) into the store and the editors; nothing
//    is sent until OK.
class DialogFilterOptions : public ParameterSetDialog {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 7;
    // Editors in table order.
    enum Field {
        StdDeviation,
        PCovFactor,
        QCovFactor,
        CriticalLockingDistance,
        WarpFactor,
        LockingStdDev,
        OrthoEnhancement
    };
    using Values = std::array<double, kFieldCount>;

    explicit DialogFilterOptions(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);

    QDoubleSpinBox* editor(Field field) const { return m_editors[field]; }
    Values editorValues() const;
    // What "SwitchOn" restores; all 0 until filled.
    const Values& savedValues() const { return m_saved; }

public slots:
    // Forgets the last answer, asks the controller for its filter set and arms the refresh.
    void requestCurrentFilterABParamsInALongNamedMethod();
    // "SwitchOff"
    void on_pushButton_Restore_clicked();
    // "SwitchOn"
    void on_pushButton_clicked();
    // "Factory Defaults"
    void on_pushButton_FactoryReset_clicked();

protected:
    bool isValuesUpdated() override;
    void updateValues() override;
    bool sendValues() override;

private:
    QWidget* buildEditors();
    void setEditorValues(const Values& values);

    ResponseDelegateFilterAB* m_filter = nullptr;
    std::array<QDoubleSpinBox*, kFieldCount> m_editors{};
    // The editors' values as last loaded from or sent to the controller.
    Values m_loaded{};
    Values m_saved{};
    bool m_savedFilled = false;
    QPushButton* m_switchOff = nullptr;
    QPushButton* m_switchOn = nullptr;
    QPushButton* m_factoryDefaults = nullptr;
};
