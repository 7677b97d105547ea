#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include "device/DeviceInfoData.h"

// The only component that touches the transport: it opens one controller, returns what
// arrived since the last poll as raw reports, writes one report per call and watches
// whether the controller is still there. Providers are registered with the dispatcher
// under name(). GUI thread only; no call blocks.
class DeviceIoDataProvider : public QObject {
    Q_OBJECT
public:
    // Bytes of a packet as the response delegates see it (report id removed).
    static constexpr int kResponseSize = 60;

    explicit DeviceIoDataProvider(QObject* parent = nullptr) : QObject(parent) {}

    // Registry key: "DefaultPlatformDataIoProvider" or "LogReplayer".
    virtual QString name() const = 0;
    // Size of a full delegate packet in bytes (60).
    virtual int responseSize() { return kResponseSize; }
    // Whether the open device was seen by the last scan.
    virtual bool isDevicePresent() = 0;
    // Whether the connection watcher should send keep-alive requests.
    virtual bool isWatchDogNeeded() const = 0;
    // False for providers that replay recorded data instead of reading a device.
    virtual bool isReadFromDevice() const = 0;
    // True once a replay has delivered everything it had; always false for a device.
    virtual bool isCompleted() const = 0;
    virtual bool isRescanSuspended() = 0;
    // While suspended, scans do nothing.
    virtual void setRescanSuspended(bool suspended) = 0;
    // Opens the device with the given pair (HID; path is remembered but not used) or the
    // log file named path (replay). False on failure, which is logged.
    virtual bool deviceConnect(const QString& path, int vid, int pid) = 0;
    // True when something was open and is now closed, false when nothing was open.
    virtual bool close() = 0;
    // close() then deviceConnect() with what was opened last; the result of the latter.
    virtual bool reconnect() = 0;
    // Checks at once whether the device is still there; returns isDevicePresent().
    virtual bool rescan() = 0;
    // Interval of the periodic scan in ms. True when the interval is the fast
    // (restart-waiting) one of 250 ms.
    virtual bool setRescanInterval(int ms) = 0;
    // Every report that arrived since the last call, oldest first, each with its leading
    // report-id byte. Empty when nothing arrived or nothing is open.
    virtual QList<QByteArray> getData() = 0;
    // Writes one report: the provider puts the report id in front of data. Empty data
    // writes nothing.
    virtual void sendData(QByteArray data) = 0;
    // The open device's information, or nullptr when there is none (a replay before its
    // device-information line). Valid until the next connect or close.
    virtual const DeviceInfoData* info() const = 0;
    // The last enumerated device's information (the replayer returns info()).
    virtual const DeviceInfoData* scannedInfo() const = 0;
    // Every device of the last scan, keyed by its 1-based enumeration position.
    virtual QMap<int, DeviceInfoData> deviceMap() const = 0;

signals:
    void deviceUnplugged();
    void devicePlugged();
    // Asks the dispatcher to try every known VID/PID pair (the device re-enumerated).
    void deviceFirstConnection();
};
