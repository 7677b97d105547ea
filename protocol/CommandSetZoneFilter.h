#pragma once

#include "device/DeviceCommand.h"

// Writes the zonal filter coefficients of one array: opcode 31 (array A) or 32 (array
// B), then the coefficient count, then the coefficients, one byte each. A packet carries
// at most 57 coefficients after the count byte; longer strings are cut to 57 (with a
// warning) so the count always matches the bytes sent.
class CommandSetZoneFilter : public DeviceCommand {
    Q_OBJECT
public:
    static constexpr int kMaxCoefficients = 57;

    // opcode: only its low 8 bits are sent.
    CommandSetZoneFilter(int opcode, const QByteArray& values);

public slots:
    QByteArray execute() override;

private:
    int m_opcode;
    QByteArray m_values;
};
