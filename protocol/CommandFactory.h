#pragma once

#include <QByteArray>

class CommandSetCurrentParameters;
class CommandSetFilterAB;
class CommandSetTrackerParams;
class CommandSetZoneFilter;
class SimpleCommand;
class commandsetfirmareupdate;

// Builders of the controller's plain requests. Each returns a new command without a
// parent; the caller queues it with DeviceEventDispatcher::queueCommand, which deletes
// it after sending.
class CommandFactory {
public:
    // Bytes of a whole report as a delegate holds it (a 61-byte report without its id).
    static constexpr int kReportBlockSize = 60;
    // True for a whole report of the given response code, as the controller sends it.
    static bool isControllerBlock(const QByteArray& block, int responseCode);

    static SimpleCommand* softReset();
    static SimpleCommand* getVersion();
    static SimpleCommand* getCopyright();
    static SimpleCommand* getParams();
    static SimpleCommand* saveParamsToFlash();
    static SimpleCommand* loadParamsFromFlash();
    static SimpleCommand* loadDefaults();
    static SimpleCommand* eraseFlashContent();
    // Opcode 14 followed by the calibration bytes as given.
    static SimpleCommand* calibration3(const QByteArray& calibrationData);
    static SimpleCommand* getFilterAB();
    static SimpleCommand* storeClear();
    static SimpleCommand* headerGetParams();
    static SimpleCommand* updateIsReady();
    static SimpleCommand* updatePerform();
    static SimpleCommand* getZoneFilterA();
    static SimpleCommand* getZoneFilterB();
    static SimpleCommand* getTrackerParams();
    // Set-parameters (opcode 4) built from `previous`, normally a copy of the
    // "CurrentParameters" delegate's block; edit it through its writers, then queue it.
    static CommandSetCurrentParameters* setParams(const QByteArray& previous);
    // Opcode 18: the filter set from `previous` (a received "FilterAB" report, normally
    // a copy of the delegate's data()); edit it through its writers, then queue it.
    // Null (with a warning) unless previous is a whole filter report the controller sent
    // (response code 21, 60 bytes): the controller zero-fills what a command lacks, so a
    // command built from less would wipe the filter values it does not carry.
    static CommandSetFilterAB* setFilterAB(const QByteArray& previous);
    // Opcode 35: the tracker set from `previous` (a received "TrackerParams" report).
    // Null (with a warning) unless previous is a whole tracker report (code 37, 60 bytes).
    static CommandSetTrackerParams* setTrackerParams(const QByteArray& previous);
    // Opcodes 31 (A) and 32 (B): the coefficient count, then the coefficients (at most 57).
    // Null (with a warning) for an empty string: the caller checks that it holds one
    // coefficient per wire of the array.
    static CommandSetZoneFilter* setZoneFilterA(const QByteArray& values);
    static CommandSetZoneFilter* setZoneFilterB(const QByteArray& values);
    // Header set (22) or item set (24) built from `previous`, normally a copy of the
    // "FirmwareUpdate" delegate's last answer; write it through its writers, then queue it.
    static commandsetfirmareupdate* firmwareUpdateCommand(const QByteArray& previous);
};
