#include "VirtualHidApi.h"

#include <algorithm>

#include "sim/SimReport.h"

namespace {

// A keyboard that shares the bus, so scans always see more than the controller.
constexpr unsigned short kKeyboardVendorId = 0x046D;
constexpr unsigned short kKeyboardProductId = 0xC31C;
constexpr unsigned short kKeyboardUsagePage = 0x0001;
constexpr unsigned short kKeyboardUsage = 0x0006;
constexpr char kKeyboardPath[] = "sim:keyboard";
constexpr char kKeyboardManufacturer[] = "Logitech";
constexpr char kKeyboardProduct[] = "USB Keyboard";
constexpr char kControllerPath[] = "sim:controller";
constexpr unsigned short kControllerRelease = 0x0100;
constexpr int kControllerInterface = 0;

bool matches(unsigned short wanted, unsigned short actual) {
    return wanted == 0 || wanted == actual;
}

}  // namespace

VirtualHidApi::VirtualHidApi(VirtualController* controller) : m_controller(controller) {
    if (!controller) {
        return;
    }
    m_reportConnection = QObject::connect(controller, &VirtualController::reportSent,
                                          [this](const QByteArray& report) { deliver(report); });
    m_busConnection = QObject::connect(controller, &VirtualController::busPresenceChanged,
                                       [this](bool onBus) { busChanged(onBus); });
    m_invalidateConnection = QObject::connect(controller, &VirtualController::handlesInvalidated,
                                              [this]() { killOpenHandles(); });
}

VirtualHidApi::~VirtualHidApi() {
    QObject::disconnect(m_reportConnection);
    QObject::disconnect(m_busConnection);
    QObject::disconnect(m_invalidateConnection);
}

int VirtualHidApi::init() {
    return 0;
}

int VirtualHidApi::exit() {
    return 0;
}

HidDeviceHandle* VirtualHidApi::open(unsigned short vendorId, unsigned short productId) {
    if (!m_controller || !m_controller->isOnBus()) {
        return nullptr;
    }
    const SimScenario& scenario = m_controller->scenario();
    if (vendorId != scenario.vendorId || productId != scenario.productId) {
        return nullptr;
    }
    m_devices.push_back(std::make_unique<OpenDevice>());
    return reinterpret_cast<HidDeviceHandle*>(m_devices.back().get());
}

VirtualHidApi::OpenDevice* VirtualHidApi::find(HidDeviceHandle* device) const {
    const auto found = std::find_if(m_devices.begin(), m_devices.end(), [device](const auto& d) {
        return reinterpret_cast<HidDeviceHandle*>(d.get()) == device;
    });
    return found == m_devices.end() ? nullptr : found->get();
}

bool VirtualHidApi::isUsable(const OpenDevice* device) const {
    return device && device->alive && m_controller && m_controller->isOnBus();
}

int VirtualHidApi::copyString(const QString& text, wchar_t* buffer, size_t capacity) {
    if (!buffer || capacity == 0) {
        return -1;
    }
    const int length = int(std::min<size_t>(size_t(text.size()), capacity - 1));
    const int written = text.left(length).toWCharArray(buffer);
    buffer[std::min<size_t>(size_t(written), capacity - 1)] = L'\0';
    return 0;
}

int VirtualHidApi::getManufacturerString(HidDeviceHandle* device, wchar_t* buffer,
                                         size_t capacity) {
    if (!isUsable(find(device))) {
        return -1;
    }
    return copyString(m_controller->scenario().manufacturer, buffer, capacity);
}

int VirtualHidApi::getProductString(HidDeviceHandle* device, wchar_t* buffer, size_t capacity) {
    if (!isUsable(find(device))) {
        return -1;
    }
    return copyString(m_controller->scenario().product, buffer, capacity);
}

int VirtualHidApi::getSerialNumberString(HidDeviceHandle* device, wchar_t* buffer,
                                         size_t capacity) {
    if (!isUsable(find(device))) {
        return -1;
    }
    return copyString(m_controller->scenario().serialNumber, buffer, capacity);
}

int VirtualHidApi::setNonblocking(HidDeviceHandle* device, int nonblock) {
    OpenDevice* open = find(device);
    if (!isUsable(open)) {
        return -1;
    }
    open->nonblocking = nonblock != 0;
    return 0;
}

int VirtualHidApi::read(HidDeviceHandle* device, unsigned char* buffer, size_t length) {
    OpenDevice* open = find(device);
    if (!isUsable(open) || !buffer) {
        return -1;
    }
    if (open->input.isEmpty()) {
        return 0;
    }
    const QByteArray report = open->input.takeFirst();
    const int copied = int(std::min<size_t>(size_t(report.size()), length));
    std::copy_n(report.constData(), copied, reinterpret_cast<char*>(buffer));
    return copied;
}

int VirtualHidApi::write(HidDeviceHandle* device, const unsigned char* data, size_t length) {
    OpenDevice* open = find(device);
    if (!isUsable(open) || !data || length == 0 || length > size_t(SimReport::kWireLength) ||
        data[0] != SimReport::kReportId) {
        return -1;
    }
    const QByteArray report(reinterpret_cast<const char*>(data), int(length));
    return m_controller->receiveReport(report) ? SimReport::kWireLength : -1;
}

void VirtualHidApi::close(HidDeviceHandle* device) {
    m_devices.erase(std::remove_if(m_devices.begin(), m_devices.end(),
                                   [device](const auto& d) {
                                       return reinterpret_cast<HidDeviceHandle*>(d.get()) == device;
                                   }),
                    m_devices.end());
}

void VirtualHidApi::deliver(const QByteArray& report) {
    for (const auto& device : m_devices) {
        if (!device->alive) {
            continue;
        }
        device->input.append(report);
        while (device->input.size() > kInputQueueCapacity) {
            device->input.removeFirst();
        }
    }
}

void VirtualHidApi::busChanged(bool onBus) {
    if (!onBus) {
        killOpenHandles();
    }
}

void VirtualHidApi::killOpenHandles() {
    for (const auto& device : m_devices) {
        device->alive = false;
        device->input.clear();
    }
}

HidDeviceInfo* VirtualHidApi::keyboardInfo() {
    auto* info = new HidDeviceInfo;
    info->path = QString::fromLatin1(kKeyboardPath);
    info->vendorId = kKeyboardVendorId;
    info->productId = kKeyboardProductId;
    info->manufacturer = QString::fromLatin1(kKeyboardManufacturer);
    info->product = QString::fromLatin1(kKeyboardProduct);
    info->usagePage = kKeyboardUsagePage;
    info->usage = kKeyboardUsage;
    info->interfaceNumber = 0;
    return info;
}

HidDeviceInfo* VirtualHidApi::controllerInfo() const {
    const SimScenario& scenario = m_controller->scenario();
    auto* info = new HidDeviceInfo;
    info->path = QString::fromLatin1(kControllerPath);
    info->vendorId = scenario.vendorId;
    info->productId = scenario.productId;
    info->serialNumber = scenario.serialNumber;
    info->releaseNumber = kControllerRelease;
    info->manufacturer = scenario.manufacturer;
    info->product = scenario.product;
    info->usagePage = kUsagePage;
    info->usage = kUsage;
    info->interfaceNumber = kControllerInterface;
    return info;
}

HidDeviceInfo* VirtualHidApi::enumerate(unsigned short vendorId, unsigned short productId) {
    HidDeviceInfo* first = nullptr;
    HidDeviceInfo** tail = &first;
    auto append = [&tail](HidDeviceInfo* info) {
        *tail = info;
        tail = &info->next;
    };
    if (matches(vendorId, kKeyboardVendorId) && matches(productId, kKeyboardProductId)) {
        append(keyboardInfo());
    }
    if (m_controller && m_controller->isOnBus() &&
        matches(vendorId, m_controller->scenario().vendorId) &&
        matches(productId, m_controller->scenario().productId)) {
        append(controllerInfo());
    }
    return first;
}

void VirtualHidApi::freeEnumeration(HidDeviceInfo* devices) {
    while (devices) {
        HidDeviceInfo* next = devices->next;
        delete devices;
        devices = next;
    }
}
