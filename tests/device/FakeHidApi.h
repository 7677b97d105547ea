#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

#include "device/HidApi.h"

// A scripted HID backend for the tests. One device model may be attached: it is listed
// by enumerate() and opened by open() while attached. Reads return the queued script
// (reports, 0 or -1) in order and 0 once it is exhausted; writes are captured.
class FakeHidApi : public HidApi {
public:
    struct Listed {
        unsigned short vendorId = 0;
        unsigned short productId = 0;
        QString manufacturer;
        QString product;
        unsigned short usagePage = 0;
        unsigned short usage = 0;
    };

    // The device that open(vid, pid) finds while it is attached.
    void attach(unsigned short vendorId, unsigned short productId);
    // Removes the device from the enumeration and makes open() fail; reads on an open
    // handle return -1.
    void detach();
    // Every handle open now fails its reads and writes (-1) while the device stays listed
    // and can be opened again, as after a fast re-enumeration; later handles work.
    void invalidateOpenHandles() { m_firstLiveHandle = m_nextHandle; }
    // Other devices listed before ours (ours is appended last while attached).
    void setOtherDevices(const QList<Listed>& devices) { m_others = devices; }

    void queueReport(const QByteArray& report) { m_reads.append(Read{report, 0}); }
    // A bare read result without data: 0 (nothing waiting), -1 (error), or a length that
    // the provider must refuse (the buffer is filled with 0xEE up to it).
    void queueReadResult(int result) { m_reads.append(Read{QByteArray(), result}); }
    int pendingReads() const { return m_reads.size(); }

    QList<QByteArray> writes;
    bool failManufacturer = false;
    bool failProduct = false;
    bool failSerial = false;
    bool failNonblocking = false;
    QString manufacturerText = QStringLiteral("Orvello");
    QString productText = QStringLiteral("tavirel touch");
    QString serialText = QStringLiteral("SN0042");

    // Called at the start of every open().
    std::function<void()> onOpen;
    // Every open() call's pair, in order.
    QList<QPair<unsigned short, unsigned short>> openAttempts;
    int initCalls = 0;
    int exitCalls = 0;
    int openCalls = 0;
    int closeCalls = 0;
    int enumerateCalls = 0;
    int freeCalls = 0;
    int openHandles = 0;
    int nonblockingValue = -1;
    size_t lastReadCapacity = 0;

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

private:
    struct Read {
        QByteArray report;
        int result;
    };

    static int copyString(const QString& text, bool fail, wchar_t* buffer, size_t capacity);

    bool m_attached = false;
    unsigned short m_vendorId = 0;
    unsigned short m_productId = 0;
    QList<Listed> m_others;
    QList<Read> m_reads;
    bool isDead(HidDeviceHandle* device) const;

    quintptr m_nextHandle = 0x10;
    quintptr m_firstLiveHandle = 0;
};
