#pragma once

#include <QTimer>

#include <memory>
#include <vector>

#include "device/DeviceIoDataProvider.h"
#include "device/HidApi.h"

// The live USB HID provider. It reaches HID only through the HidApi seam, so the same
// code runs over the system hidapi, the tests' scripted fake and the virtual controller.
//
// Reports are 61 bytes: report id, then 60 bytes. Outgoing reports are padded with
// zeros to 61 bytes so the bytes on the wire do not depend on the platform's HID layer;
// a longer one is refused with a warning and nothing is written. Incoming reports
// shorter than 61 bytes, or of 4096 bytes and more, are dropped.
//
// The report id (first byte) is learned from the first report after a device is opened
// (until then the last one learned, 1 at first) and is put in front of every outgoing
// report. A later report with another first byte is logged as "Wrong USB Report ID" and
// dropped; it does not change the id, so one stray report cannot make the controller
// refuse everything we send. Only kReportIdAdoptCount consecutive reports of one new id
// (a controller that really changed its id, say after a firmware update) make that the
// id; the last of them is returned.
//
// A periodic scan (every 50 s by default, started by the first successful connect)
// enumerates HID devices. The first scan that misses the open device closes it and
// emits deviceUnplugged() once; a read error (-1) does the same even while the device
// is still listed, since the handle stays broken. When the device has been seen again
// on five scans it is reopened and devicePlugged() is emitted. While the interval is the
// fast one (250 ms) and the device stays away, deviceFirstConnection() is emitted every
// fifth missed scan so the dispatcher can look for the device under any known VID/PID.
class HidApiIoDataProvider : public DeviceIoDataProvider {
    Q_OBJECT
public:
    static constexpr int kReportLength = 61;
    static constexpr int kBufferSize = 4096;
    static constexpr quint8 kInitialReportId = 1;
    static constexpr int kDefaultRescanIntervalMs = 50000;
    static constexpr int kFastRescanIntervalMs = 250;
    // Scans that must see the device again before it is reopened, and missed scans
    // between two deviceFirstConnection() emissions in fast mode.
    static constexpr int kScansBeforeReconnect = 5;
    static constexpr int kVersionTextLength = 18;
    // Consecutive reports of one new report id that make it the expected id.
    static constexpr int kReportIdAdoptCount = 3;

    // Calls hidApi->init(). hidApi must not be null.
    explicit HidApiIoDataProvider(std::shared_ptr<HidApi> hidApi, QObject* parent = nullptr);
    // Stops the scan timer, closes an open device and calls hidApi->exit().
    ~HidApiIoDataProvider() override;

    QString name() const override;
    bool isDevicePresent() override { return m_present; }
    bool isWatchDogNeeded() const override { return true; }
    bool isReadFromDevice() const override { return true; }
    bool isCompleted() const override { return false; }
    bool isRescanSuspended() override { return m_rescanSuspended; }
    void setRescanSuspended(bool suspended) override { m_rescanSuspended = suspended; }
    bool deviceConnect(const QString& path, int vid, int pid) override;
    bool close() override;
    bool reconnect() override;
    bool rescan() override;
    bool setRescanInterval(int ms) override;
    QList<QByteArray> getData() override;
    void sendData(QByteArray data) override;
    const DeviceInfoData* info() const override { return &m_info; }
    const DeviceInfoData* scannedInfo() const override { return &m_scanned; }
    QMap<int, DeviceInfoData> deviceMap() const override { return m_deviceMap; }

    // The scan interval a successful connect starts with (default 50000 ms). Tests and
    // the virtual controller shorten it.
    void setConnectRescanInterval(int ms) { m_connectRescanIntervalMs = ms; }
    int rescanInterval() const { return m_rescanTimer.interval(); }
    bool isRescanTimerActive() const { return m_rescanTimer.isActive(); }

    bool isOpen() const { return m_handle != nullptr; }
    bool isLost() const { return m_lost; }
    bool isFastRescan() const { return m_fastRescan; }
    int missedScans() const { return m_missedScans; }
    int scansSinceLoss() const { return m_scansSinceLoss; }
    quint8 expectedReportId() const { return m_expectedReportId; }
    QString manufacturer() const { return m_manufacturer; }
    QString product() const { return m_product; }
    QString serialNumber() const { return m_serialNumber; }

public slots:
    // One scan; runs on the scan timer, from rescan() and at the end of close().
    void onRescan();

private:
    void readDeviceStrings(int vid, int pid);
    void fillInfo(int vid, int pid);
    void scanDevices();
    void handleDeviceMissing();
    void handleDevicePresent();
    // Applies the report-id rule to a received report id; false when the report is
    // foreign and must be dropped.
    bool acceptReportId(quint8 reportId);
    void dropFailedHandle();
    void reportUnloggedDataRequests();

    std::shared_ptr<HidApi> m_hidApi;
    HidDeviceHandle* m_handle = nullptr;
    QString m_path;
    QString m_manufacturer;
    QString m_product;
    QString m_serialNumber;
    quint8 m_expectedReportId = kInitialReportId;
    bool m_reportIdLearned = false;
    quint8 m_candidateReportId = 0;
    int m_candidateReportCount = 0;
    std::vector<unsigned char> m_readBuffer;
    DeviceInfoData m_info;
    DeviceInfoData m_scanned;
    QMap<int, DeviceInfoData> m_deviceMap;
    bool m_present = false;
    bool m_lost = false;
    bool m_rescanSuspended = false;
    bool m_fastRescan = false;
    int m_scansSinceLoss = 0;
    int m_missedScans = 0;
    // getData() calls while no device was open, since the last one that opened.
    int m_unloggedDataRequests = 0;
    int m_connectRescanIntervalMs = kDefaultRescanIntervalMs;
    QTimer m_rescanTimer;
};
