#pragma once

#include <QList>

// A USB vendor id and product id pair.
struct DeviceUsbVidPid {
    DeviceUsbVidPid() = default;
    DeviceUsbVidPid(int vendorId, int productId) : vid(vendorId), pid(productId) {}

    bool operator==(const DeviceUsbVidPid& other) const {
        return vid == other.vid && pid == other.pid;
    }
    bool operator!=(const DeviceUsbVidPid& other) const { return !(*this == other); }

    int vid = 0;
    int pid = 0;
};
