#pragma once

#include <optional>

#include "device/DeviceIoDataProvider.h"

// A provider whose getData() returns scripted batches of reports. Lets the dispatcher tests
// deliver reports the HID provider would refuse (short ones) and play a provider without
// device information.
class ScriptedProvider : public DeviceIoDataProvider {
public:
    explicit ScriptedProvider(const QString& name = QStringLiteral("Scripted")) : m_name(name) {}

    QString name() const override { return m_name; }
    bool isDevicePresent() override { return true; }
    bool isWatchDogNeeded() const override { return false; }
    bool isReadFromDevice() const override { return true; }
    bool isCompleted() const override { return false; }
    bool isRescanSuspended() override { return false; }
    void setRescanSuspended(bool) override {}
    bool deviceConnect(const QString&, int, int) override { return false; }
    bool close() override { return true; }
    bool reconnect() override { return false; }
    bool rescan() override { return true; }
    bool setRescanInterval(int) override { return false; }
    QList<QByteArray> getData() override {
        return batches.isEmpty() ? QList<QByteArray>() : batches.takeFirst();
    }
    void sendData(QByteArray) override {}
    const DeviceInfoData* info() const override {
        return deviceInfo.has_value() ? &deviceInfo.value() : nullptr;
    }
    const DeviceInfoData* scannedInfo() const override { return info(); }
    QMap<int, DeviceInfoData> deviceMap() const override { return {}; }

    // Gives the provider device information with the given packet size.
    void setPacketSize(quint32 inputLength) {
        DeviceInfoData data;
        data.inputLength = inputLength;
        data.outputLength = inputLength;
        deviceInfo = data;
    }

    QList<QList<QByteArray>> batches;
    std::optional<DeviceInfoData> deviceInfo;

private:
    QString m_name;
};
