#pragma once

#include <QByteArray>

class DeviceCommand;

// Builds the requests of one device kind. Every builder returns a new command without
// a parent, which the caller queues with DeviceEventDispatcher::queueCommand (the
// dispatcher deletes it after sending). Builders of parameter-writing commands are
// added by the blocks that define those commands.
class DeviceCommandFactory {
public:
    virtual ~DeviceCommandFactory() = default;

    virtual DeviceCommand* softReset() const = 0;
    virtual DeviceCommand* getVersion() const = 0;
    virtual DeviceCommand* getCopyright() const = 0;
    virtual DeviceCommand* getParams() const = 0;
    virtual DeviceCommand* saveParamsToFlash() const = 0;
    virtual DeviceCommand* loadParamsFromFlash() const = 0;
    virtual DeviceCommand* loadDefaults() const = 0;
    virtual DeviceCommand* eraseFlashContent() const = 0;
    // The calibration bytes are sent as given, after the opcode.
    virtual DeviceCommand* calibration3(QByteArray calibrationData) const = 0;
    virtual DeviceCommand* getFilterAB() const = 0;
    virtual DeviceCommand* getTrackerParams() const = 0;
    virtual DeviceCommand* storeClear() const = 0;
    virtual DeviceCommand* storeIsClear() const = 0;
    virtual DeviceCommand* headerGetParams() const = 0;
    // The payload is sent as given, after the opcode.
    virtual DeviceCommand* itemSetParams(QByteArray payload) const = 0;
    virtual DeviceCommand* itemGetParams() const = 0;
    virtual DeviceCommand* updateIsReady() const = 0;
    virtual DeviceCommand* updatePerform() const = 0;
    // Requests 28 to 30 of the update sub-protocol; nothing in the tool sends them.
    virtual DeviceCommand* updateRequest29() const = 0;
    virtual DeviceCommand* updateRequest28(QByteArray payload) const = 0;
    virtual DeviceCommand* updateRequest30() const = 0;
    virtual DeviceCommand* getZoneFilterA() const = 0;
    virtual DeviceCommand* getZoneFilterB() const = 0;
    // A set-parameters command over a copy of a current-parameters block the controller
    // sent (previous), ready for the writers.
    virtual DeviceCommand* setParams(QByteArray previous) const = 0;
    // Set-filter and set-tracker commands over a copy of a filter or tracker report the
    // controller sent (previous), ready for the writers; null when previous is not a
    // whole report of that set.
    virtual DeviceCommand* setFilterAB(QByteArray previous) const = 0;
    virtual DeviceCommand* setTrackerParams(QByteArray previous) const = 0;
    // The zonal filter coefficients of array A or B: count byte, then the values; null
    // for an empty string.
    virtual DeviceCommand* setZoneFilterA(QByteArray values) const = 0;
    virtual DeviceCommand* setZoneFilterB(QByteArray values) const = 0;
    // A firmware-update request (header set or item set) over a copy of a firmware-update
    // answer the controller sent (previous), ready for the writers.
    virtual DeviceCommand* firmwareUpdateCommand(QByteArray previous) const = 0;
    // The same, built only when the connected controller's parameter version admits
    // request 22 (asked once, remembered when admitted); null otherwise.
    virtual DeviceCommand* guardedFirmwareUpdateCommand(QByteArray previous) const = 0;
};
