#pragma once

#include <QByteArray>
#include <QString>

#include "engineering/ParameterSetDialog.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPlainTextEdit;
class QSpinBox;
class ResponseDelegateCurrentParameters;
class ResponseDelegateZoneFilterAB;

// "Zonal Filter Options": the zonal filter fields of the current-parameters block
// ("CurrentParameters"), the zonal coefficients of arrays A and B ("ZoneFilterAB",
// shown, not edited) and the sensor model kept in the setting "Model/Mux".
//
// The editors are loaded once, when the parameter block and both coefficient sets have
// arrived after the dialog's request; the controller's keep-alive answers later on do not
// overwrite what the user edits, they only refresh the coefficient box. OK writes the
// eight fields into a copy of the controller's block, sends it and stores the model. An
// editor whose range cannot show the controller's value (a time rejector of 120, an
// intensity the two decimals round) writes the controller's value back while untouched.
class DialogZonalFilterOptions : public ParameterSetDialog {
    Q_OBJECT
public:
    // The intensity byte counts 1/256; a coefficient byte 1/32.
    static constexpr double kIntensityUnit = 0.00390625;
    static constexpr double kCoefficientUnit = 0.03125;
    static constexpr int kLargestIntensityByte = 255;

    explicit DialogZonalFilterOptions(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);

    // The intensity byte written for an editor value: value * 256 truncated, at most 255.
    static int intensityByte(double value);
    // One line of the coefficient box: position (width 2), the byte in hexadecimal (width
    // 2), its value in 1/32 (6 significant digits, left-aligned in 10) and a 16-character
    // bar whose first byte / 16 + 1 characters count up "0123456789ABCDEF".
    static QString coefficientLine(int position, quint8 coefficient);
    // "A coefficients", a line per A coefficient, "B coefficients", a line per B one.
    static QString coefficientText(const QByteArray& alphasA, const QByteArray& alphasB);

    QString coefficientBoxText() const;

public slots:
    // Forgets the last answers, asks for the parameter block and both coefficient sets and
    // arms the refresh.
    void requestParams();

protected:
    bool isValuesUpdated() override;
    void updateValues() override;
    bool sendValues() override;

private:
    QWidget* buildEditors();
    void loadEditors();

    ResponseDelegateCurrentParameters* m_parameters = nullptr;
    ResponseDelegateZoneFilterAB* m_zones = nullptr;
    QSpinBox* m_timeRejector = nullptr;
    QSpinBox* m_hysteresis = nullptr;
    QDoubleSpinBox* m_intensity = nullptr;
    QCheckBox* m_monitorFiltered = nullptr;
    QCheckBox* m_monitorHysteresis = nullptr;
    QCheckBox* m_activate = nullptr;
    QSpinBox* m_warpDistance = nullptr;
    QSpinBox* m_warpIntensity = nullptr;
    QComboBox* m_model = nullptr;
    QPlainTextEdit* m_coefficients = nullptr;
    // The editors' values as loaded, to tell an untouched editor.
    int m_loadedTimeRejector = 0;
    int m_loadedHysteresis = 0;
    double m_loadedIntensity = 0.0;
    int m_loadedWarpDistance = 0;
    int m_loadedWarpIntensity = 0;
    bool m_editorsLoaded = false;
};
