#pragma once

#include <QString>

// Firmware facts shared by the whole application: written by the firmware checks and
// the upload dialog, read by the information page and the troubleshooting page.
// One instance per process, created on first use and never destroyed; plain values,
// no signals. Every value starts "unknown": empty texts, 0 numbers, false flag.
class FirmwareInformation {
public:
    static FirmwareInformation& instance();

    // Running firmware version as lower-case hex text (the original version when the
    // running one reads 0xFFFFFFFF); empty until a header was read.
    QString currentFirmwareVersion() const { return m_currentFirmwareVersion; }
    void setCurrentFirmwareVersion(const QString& version) { m_currentFirmwareVersion = version; }

    // Original (factory) firmware version as lower-case hex text; empty until read.
    QString originalFirmwareVersion() const { return m_originalFirmwareVersion; }
    void setOriginalFirmwareVersion(const QString& version) { m_originalFirmwareVersion = version; }

    // The controller's version with its hex digits read as a decimal number
    // (0x615 -> 615; 0 when the hex text holds a letter or nothing was read).
    int deviceFirmwareVersion() const { return m_deviceFirmwareVersion; }
    void setDeviceFirmwareVersion(int version) { m_deviceFirmwareVersion = version; }

    // Version number of the delivered firmware file last looked at; 0 when none.
    int deliveredFirmwareVersion() const { return m_deliveredFirmwareVersion; }
    void setDeliveredFirmwareVersion(int version) { m_deliveredFirmwareVersion = version; }

    // Sensor variant: 4040, 4024 or 2440; 0 until detected.
    int splitType() const { return m_splitType; }
    void setSplitType(int splitType) { m_splitType = splitType; }

    // Wires on array A and array B; 0 until measured.
    int wireCountA() const { return m_wireCountA; }
    void setWireCountA(int count) { m_wireCountA = count; }
    int wireCountB() const { return m_wireCountB; }
    void setWireCountB(int count) { m_wireCountB = count; }

    // Whether a hand-picked update file has passed the split-type guard.
    bool chosenFileMatches() const { return m_chosenFileMatches; }
    void setChosenFileMatches(bool matches) { m_chosenFileMatches = matches; }

    // Oldest firmware this software works with, as a decimal number; 0 until defined.
    int firmwareMinimumVersion() const { return m_firmwareMinimumVersion; }
    void setFirmwareMinimumVersion(int version) { m_firmwareMinimumVersion = version; }

    // Version text this software was defined against; empty until defined.
    QString definedVersionString() const { return m_definedVersionString; }
    void setDefinedVersionString(const QString& version) { m_definedVersionString = version; }

    // Back to the start values (tests, and a fresh controller after re-enumeration).
    void clear() { *this = FirmwareInformation(); }

private:
    FirmwareInformation() = default;

    QString m_currentFirmwareVersion;
    QString m_originalFirmwareVersion;
    int m_deviceFirmwareVersion = 0;
    int m_deliveredFirmwareVersion = 0;
    int m_splitType = 0;
    int m_wireCountA = 0;
    int m_wireCountB = 0;
    bool m_chosenFileMatches = false;
    int m_firmwareMinimumVersion = 0;
    QString m_definedVersionString;
};
