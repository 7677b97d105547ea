#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QPointer>

#include <memory>
#include <vector>

#include "device/HidApi.h"
#include "sim/VirtualController.h"

// A simulated USB bus for the HID provider: one keyboard that is always there and the
// virtual controller while it is plugged in. Contracts are hidapi's (see HidApi.h); on
// top of them:
//
//  - enumerate(vid, pid): 0 matches any id. The controller is listed only while it is on
//    the bus, with the scenario's ids and strings, usage page 0xFF00, usage 1.
//  - open(vid, pid): a new handle for each call while the controller is on the bus.
//  - read(): takes the oldest waiting input report (61 bytes, report id 1, unless the
//    scenario makes the board send malformed ones) and copies
//    at most `length` bytes of it. Reports reach only handles that are open when they
//    are sent; a handle keeps at most kInputQueueCapacity of them and drops the oldest,
//    as the operating system's HID buffer does. Returns 0 when none waits (a blocking
//    read cannot wait on the event loop either), -1 once the controller has left the
//    bus or invalidated its handles since the handle was opened (the handle stays dead
//    after a re-plug), or for an unknown handle or a null buffer.
//  - write(): the report must start with report id 1 and be 1..61 bytes; shorter ones are
//    padded with zeros. Returns 61 (the output report length), or -1 when the handle is
//    dead or unknown or the report is malformed.
//
// The controller is not owned; if it is destroyed, the bus reads as empty. Installing it:
//   VirtualController board(scenario);
//   HidApiIoDataProvider provider(std::make_shared<VirtualHidApi>(&board));
class VirtualHidApi : public HidApi {
public:
    static constexpr int kInputQueueCapacity = 64;
    static constexpr unsigned short kUsagePage = 0xFF00;
    static constexpr unsigned short kUsage = 0x0001;

    explicit VirtualHidApi(VirtualController* controller);
    ~VirtualHidApi() override;

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

    // Handles currently open (closed ones are forgotten).
    int openHandleCount() const { return int(m_devices.size()); }

private:
    struct OpenDevice {
        bool alive = true;
        bool nonblocking = false;
        QList<QByteArray> input;
    };

    OpenDevice* find(HidDeviceHandle* device) const;
    bool isUsable(const OpenDevice* device) const;
    void deliver(const QByteArray& report);
    void busChanged(bool onBus);
    void killOpenHandles();
    static int copyString(const QString& text, wchar_t* buffer, size_t capacity);
    HidDeviceInfo* controllerInfo() const;
    static HidDeviceInfo* keyboardInfo();

    QPointer<VirtualController> m_controller;
    std::vector<std::unique_ptr<OpenDevice>> m_devices;
    QMetaObject::Connection m_reportConnection;
    QMetaObject::Connection m_busConnection;
    QMetaObject::Connection m_invalidateConnection;
};
