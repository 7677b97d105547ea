#pragma once

#include <QByteArray>
#include <QString>

class CliLink;

// What `info` tells about the connected controller: its USB identity and strings, the
// running and original firmware versions from its firmware header, the split type and
// wire counts measured from its edge data, its parameter version and calibration status.
class ControllerInfo {
public:
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString manufacturer;
    QString product;
    QString serialNumber;
    QString firmwareVersion;
    QString originalFirmwareVersion;
    // 0 when the edge data did not tell.
    int splitType = 0;
    int wiresA = 0;
    int wiresB = 0;
    int parameterVersion = 0;
    bool calibrated = false;
    bool calibrationBadConditions = false;

    // Asks the controller; false, with the reason in *error, when it does not answer.
    bool gather(CliLink& link, QString* error);
    // Measures the wires of both arrays from one edge report each (the edge stream is
    // switched on and off again); the split type, 0 when the edge data did not tell.
    static int measureSplitType(CliLink& link, int* wiresA, int* wiresB);

    QString toText() const;
    QByteArray toJson() const;

private:
    QString calibrationText() const;
};
