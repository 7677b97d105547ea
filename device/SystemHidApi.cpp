#include "SystemHidApi.h"

#include <hidapi.h>

namespace {
hid_device* native(HidDeviceHandle* device) {
    return reinterpret_cast<hid_device*>(device);
}

QString fromWide(const wchar_t* text) {
    return text != nullptr ? QString::fromWCharArray(text) : QString();
}
}  // namespace

int SystemHidApi::init() {
    return hid_init();
}

int SystemHidApi::exit() {
    return hid_exit();
}

HidDeviceHandle* SystemHidApi::open(unsigned short vendorId, unsigned short productId) {
    return reinterpret_cast<HidDeviceHandle*>(hid_open(vendorId, productId, nullptr));
}

int SystemHidApi::getManufacturerString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) {
    return hid_get_manufacturer_string(native(device), buffer, capacity);
}

int SystemHidApi::getProductString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) {
    return hid_get_product_string(native(device), buffer, capacity);
}

int SystemHidApi::getSerialNumberString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) {
    return hid_get_serial_number_string(native(device), buffer, capacity);
}

int SystemHidApi::setNonblocking(HidDeviceHandle* device, int nonblock) {
    return hid_set_nonblocking(native(device), nonblock);
}

int SystemHidApi::read(HidDeviceHandle* device, unsigned char* buffer, size_t length) {
    return hid_read(native(device), buffer, length);
}

int SystemHidApi::write(HidDeviceHandle* device, const unsigned char* data, size_t length) {
    return hid_write(native(device), data, length);
}

void SystemHidApi::close(HidDeviceHandle* device) {
    hid_close(native(device));
}

HidDeviceInfo* SystemHidApi::enumerate(unsigned short vendorId, unsigned short productId) {
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    HidDeviceInfo* first = nullptr;
    HidDeviceInfo** link = &first;
    for (const hid_device_info* device = devices; device != nullptr; device = device->next) {
        auto* copy = new HidDeviceInfo;
        copy->path = QString::fromLocal8Bit(device->path != nullptr ? device->path : "");
        copy->vendorId = device->vendor_id;
        copy->productId = device->product_id;
        copy->serialNumber = fromWide(device->serial_number);
        copy->releaseNumber = device->release_number;
        copy->manufacturer = fromWide(device->manufacturer_string);
        copy->product = fromWide(device->product_string);
        copy->usagePage = device->usage_page;
        copy->usage = device->usage;
        copy->interfaceNumber = device->interface_number;
        *link = copy;
        link = &copy->next;
    }
    hid_free_enumeration(devices);
    return first;
}

void SystemHidApi::freeEnumeration(HidDeviceInfo* devices) {
    while (devices != nullptr) {
        HidDeviceInfo* next = devices->next;
        delete devices;
        devices = next;
    }
}
