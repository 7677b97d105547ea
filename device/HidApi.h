#pragma once

#include <QString>

#include <cstddef>

// The narrow seam between the HID provider and a HID implementation. It holds exactly
// the hidapi calls the provider makes, with hidapi's contracts:
//
//  - init()/exit(): 0 on success, -1 on error.
//  - open(vid, pid): a handle for the first device with that pair, or nullptr.
//  - get*String(handle, buffer, capacity): writes a NUL-terminated wide string of at
//    most `capacity` characters (including the NUL); 0 on success, -1 on error.
//  - setNonblocking(handle, 1): 0 on success, -1 on error.
//  - read(handle, buffer, length): non-blocking; the report length including its
//    report-id byte, 0 when nothing waits, -1 on error (device gone).
//  - write(handle, data, length): one output report whose first byte is the report id;
//    the number of bytes written, or -1 on error.
//  - close(handle): the handle is invalid afterwards.
//  - enumerate(0, 0): a list of every HID device (nullptr when there is none), released
//    with freeEnumeration().
//
// Three implementations fill it: SystemHidApi (the system's shared hidapi library), a
// scripted fake in the tests, and the virtual controller (--simulate).
struct HidDeviceHandle;

struct HidDeviceInfo {
    QString path;
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    QString serialNumber;
    unsigned short releaseNumber = 0;
    QString manufacturer;
    QString product;
    unsigned short usagePage = 0;
    unsigned short usage = 0;
    int interfaceNumber = -1;
    HidDeviceInfo* next = nullptr;
};

class HidApi {
public:
    virtual ~HidApi() = default;

    virtual int init() = 0;
    virtual int exit() = 0;
    virtual HidDeviceHandle* open(unsigned short vendorId, unsigned short productId) = 0;
    virtual int getManufacturerString(HidDeviceHandle* device, wchar_t* buffer,
                                      size_t capacity) = 0;
    virtual int getProductString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) = 0;
    virtual int getSerialNumberString(HidDeviceHandle* device, wchar_t* buffer,
                                      size_t capacity) = 0;
    virtual int setNonblocking(HidDeviceHandle* device, int nonblock) = 0;
    virtual int read(HidDeviceHandle* device, unsigned char* buffer, size_t length) = 0;
    virtual int write(HidDeviceHandle* device, const unsigned char* data, size_t length) = 0;
    virtual void close(HidDeviceHandle* device) = 0;
    virtual HidDeviceInfo* enumerate(unsigned short vendorId, unsigned short productId) = 0;
    virtual void freeEnumeration(HidDeviceInfo* devices) = 0;
};
