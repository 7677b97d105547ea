#pragma once

#include "device/HidApi.h"

// The HidApi seam over the system's shared hidapi library (live use). Every call is
// passed straight to hidapi; enumerate() copies hidapi's list into HidDeviceInfo nodes
// that freeEnumeration() releases.
class SystemHidApi : public HidApi {
public:
    int init() override;
    int exit() override;
    HidDeviceHandle* open(unsigned short vendorId, unsigned short productId) override;
    int getManufacturerString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) override;
    int getProductString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) override;
    int getSerialNumberString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) override;
    int setNonblocking(HidDeviceHandle* device, int nonblock) override;
    int read(HidDeviceHandle* device, unsigned char* buffer, size_t length) override;
    int write(HidDeviceHandle* device, const unsigned char* data, size_t length) override;
    void close(HidDeviceHandle* device) override;
    HidDeviceInfo* enumerate(unsigned short vendorId, unsigned short productId) override;
    void freeEnumeration(HidDeviceInfo* devices) override;
};
