#pragma once

#include <optional>

#include "device/DeviceIoDataProvider.h"

// A provider whose getData() returns scripted batches of reports; sends are captured.
// Lets the dispatcher tests deliver reports the HID provider would refuse (short ones)
// and play a provider without device information or one that completes.
class ScriptedProvider : public DeviceIoDataProvider {
public:
    explicit ScriptedProvider(const QString& name = QStringLiteral("Scripted")) : m_name(name) {}

    QString name() const override { return m_name; }
    bool isDevicePresent() override { return true; }
    bool isWatchDogNeeded() const override { return false; }
    bool isReadFromDevice() const override { return readFromDevice; }
    bool isCompleted() const override { return completed; }
    bool isRescanSuspended() override { return false; }
    void setRescanSuspended(bool) override {}
    bool deviceConnect(const QString&, int, int) override { return false; }
    bool close() override {
        ++closeCalls;
        return true;
    }
    bool reconnect() override { return false; }
    bool rescan() override { return true; }
    bool setRescanInterval(int) override { return false; }
    QList<QByteArray> getData() override {
        ++getDataCalls;
        return batches.isEmpty() ? QList<QByteArray>() : batches.takeFirst();
    }
    void sendData(QByteArray data) override { sent.append(data); }
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
    QList<QByteArray> sent;
    std::optional<DeviceInfoData> deviceInfo;
    bool readFromDevice = true;
    bool completed = false;
    int closeCalls = 0;
    int getDataCalls = 0;

private:
    QString m_name;
};
