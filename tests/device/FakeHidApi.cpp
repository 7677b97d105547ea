#include "FakeHidApi.h"

#include <cstring>

namespace {
constexpr unsigned char kFillByte = 0xEE;
}

void FakeHidApi::attach(unsigned short vendorId, unsigned short productId) {
    m_attached = true;
    m_vendorId = vendorId;
    m_productId = productId;
}

void FakeHidApi::detach() {
    m_attached = false;
}

int FakeHidApi::init() {
    ++initCalls;
    return 0;
}

int FakeHidApi::exit() {
    ++exitCalls;
    return 0;
}

HidDeviceHandle* FakeHidApi::open(unsigned short vendorId, unsigned short productId) {
    ++openCalls;
    if (onOpen) {
        onOpen();
    }
    openAttempts.append(qMakePair(vendorId, productId));
    if (!m_attached || vendorId != m_vendorId || productId != m_productId) {
        return nullptr;
    }
    ++openHandles;
    return reinterpret_cast<HidDeviceHandle*>(m_nextHandle++);
}

int FakeHidApi::copyString(const QString& text, bool fail, wchar_t* buffer, size_t capacity) {
    if (fail || capacity == 0) {
        return -1;
    }
    const size_t count = qMin(static_cast<size_t>(text.size()), capacity - 1);
    text.left(static_cast<int>(count)).toWCharArray(buffer);
    buffer[count] = L'\0';
    return 0;
}

int FakeHidApi::getManufacturerString(HidDeviceHandle*, wchar_t* buffer, size_t capacity) {
    return copyString(manufacturerText, failManufacturer, buffer, capacity);
}

int FakeHidApi::getProductString(HidDeviceHandle*, wchar_t* buffer, size_t capacity) {
    return copyString(productText, failProduct, buffer, capacity);
}

int FakeHidApi::getSerialNumberString(HidDeviceHandle*, wchar_t* buffer, size_t capacity) {
    return copyString(serialText, failSerial, buffer, capacity);
}

int FakeHidApi::setNonblocking(HidDeviceHandle*, int nonblock) {
    nonblockingValue = nonblock;
    return failNonblocking ? -1 : 0;
}

bool FakeHidApi::isDead(HidDeviceHandle* device) const {
    return !m_attached || reinterpret_cast<quintptr>(device) < m_firstLiveHandle;
}

int FakeHidApi::read(HidDeviceHandle* device, unsigned char* buffer, size_t length) {
    lastReadCapacity = length;
    if (isDead(device)) {
        return -1;
    }
    if (m_reads.isEmpty()) {
        return 0;
    }
    const Read next = m_reads.takeFirst();
    if (next.report.isEmpty()) {
        const size_t fill = next.result > 0 ? qMin(static_cast<size_t>(next.result), length) : 0;
        std::memset(buffer, kFillByte, fill);
        return next.result;
    }
    const size_t count = qMin(static_cast<size_t>(next.report.size()), length);
    std::memcpy(buffer, next.report.constData(), count);
    return static_cast<int>(count);
}

int FakeHidApi::write(HidDeviceHandle* device, const unsigned char* data, size_t length) {
    if (isDead(device)) {
        return -1;
    }
    writes.append(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(length)));
    return static_cast<int>(length);
}

void FakeHidApi::close(HidDeviceHandle*) {
    ++closeCalls;
    --openHandles;
}

HidDeviceInfo* FakeHidApi::enumerate(unsigned short, unsigned short) {
    ++enumerateCalls;
    QList<Listed> listed = m_others;
    if (m_attached) {
        listed.append(Listed{m_vendorId, m_productId, manufacturerText, productText, 0xFF00, 1});
    }
    HidDeviceInfo* first = nullptr;
    HidDeviceInfo** link = &first;
    for (const Listed& device : listed) {
        auto* info = new HidDeviceInfo;
        info->vendorId = device.vendorId;
        info->productId = device.productId;
        info->manufacturer = device.manufacturer;
        info->product = device.product;
        info->usagePage = device.usagePage;
        info->usage = device.usage;
        *link = info;
        link = &info->next;
    }
    return first;
}

void FakeHidApi::freeEnumeration(HidDeviceInfo* devices) {
    ++freeCalls;
    while (devices != nullptr) {
        HidDeviceInfo* next = devices->next;
        delete devices;
        devices = next;
    }
}
