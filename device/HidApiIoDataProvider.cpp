#include "HidApiIoDataProvider.h"

#include <algorithm>

#include "logging/LogMacros.h"

namespace {
const QString kProviderName = QStringLiteral("DefaultPlatformDataIoProvider");
const QString kClassName = QStringLiteral("HidApiIoDataProvider");
// Wide characters per device string read (including the terminating NUL).
constexpr size_t kStringCapacity = 256;
constexpr int kHexBase = 16;
constexpr int kIdFieldWidth = 4;
constexpr int kReadError = -1;
constexpr int kNonBlocking = 1;
constexpr unsigned short kAnyId = 0;

QString vidPidText(int vid, int pid) {
    return QStringLiteral("(VID: %1 PID: %2)")
        .arg(vid, kIdFieldWidth, kHexBase, QLatin1Char(' '))
        .arg(pid, kIdFieldWidth, kHexBase, QLatin1Char(' '));
}

QString hexText(quint32 value) {
    return QString::number(value, kHexBase);
}
}  // namespace

HidApiIoDataProvider::HidApiIoDataProvider(std::shared_ptr<HidApi> hidApi, QObject* parent)
    : DeviceIoDataProvider(parent), m_hidApi(std::move(hidApi)), m_readBuffer(kBufferSize, 0) {
    m_rescanTimer.setInterval(kDefaultRescanIntervalMs);
    connect(&m_rescanTimer, &QTimer::timeout, this, &HidApiIoDataProvider::onRescan);
    if (m_hidApi->init() != 0) {
        TLOG_CRITICAL(QStringLiteral("Unable to initialise the HID library."));
    }
}

HidApiIoDataProvider::~HidApiIoDataProvider() {
    m_rescanTimer.stop();
    if (m_handle != nullptr) {
        m_hidApi->close(m_handle);
        m_handle = nullptr;
    }
    m_hidApi->exit();
}

QString HidApiIoDataProvider::name() const {
    return kProviderName;
}

bool HidApiIoDataProvider::deviceConnect(const QString& path, int vid, int pid) {
    if (m_handle != nullptr) {
        close();
    }
    m_path = path;
    m_handle = m_hidApi->open(static_cast<unsigned short>(vid), static_cast<unsigned short>(pid));
    if (m_handle == nullptr) {
        TLOG_WARNING(QStringLiteral("No device found %1").arg(vidPidText(vid, pid)));
        return false;
    }
    TLOG_INFO(QStringLiteral("connected: %1").arg(reinterpret_cast<quintptr>(m_handle)));
    readDeviceStrings(vid, pid);
    if (m_hidApi->setNonblocking(m_handle, kNonBlocking) != 0) {
        TLOG_CRITICAL(QStringLiteral("Unable to set to non blocking %1").arg(vidPidText(vid, pid)));
    }
    fillInfo(vid, pid);
    m_reportIdLearned = false;
    TLOG_INFO(QStringLiteral("HidApiIoDataProvider %1").arg(m_info.versionText));
    reportUnloggedDataRequests();
    setRescanInterval(m_connectRescanIntervalMs);
    m_rescanTimer.start();
    emit devicePlugged();
    return true;
}

void HidApiIoDataProvider::reportUnloggedDataRequests() {
    const int unlogged = m_unloggedDataRequests - 1;
    m_unloggedDataRequests = 0;
    if (unlogged > 0) {
        TLOG_INFO(QStringLiteral("%1 more data requests with disconnected device were not "
                                 "logged.")
                      .arg(unlogged));
    }
}

void HidApiIoDataProvider::readDeviceStrings(int vid, int pid) {
    std::vector<wchar_t> text(kStringCapacity, L'\0');
    // A string is taken only when the call succeeded; the last character is forced to
    // NUL so a misbehaving backend cannot make us read past the buffer.
    auto readString = [&](auto call, QString* target, const QString& failure) {
        std::fill(text.begin(), text.end(), L'\0');
        if ((m_hidApi.get()->*call)(m_handle, text.data(), text.size()) != 0) {
            TLOG_WARNING(failure.arg(vidPidText(vid, pid)));
            return;
        }
        text.back() = L'\0';
        *target = QString::fromWCharArray(text.data());
    };
    readString(&HidApi::getManufacturerString, &m_manufacturer,
               QStringLiteral("Can't resolve manufacturer string %1"));
    readString(&HidApi::getProductString, &m_product,
               QStringLiteral("Can't resolve product string %1"));
    readString(&HidApi::getSerialNumberString, &m_serialNumber,
               QStringLiteral("Can't resolve serial number %1"));
}

void HidApiIoDataProvider::fillInfo(int vid, int pid) {
    m_info.vendorId = static_cast<quint32>(vid);
    m_info.productId = static_cast<quint32>(pid);
    m_info.inputLength = kReportLength;
    m_info.outputLength = kReportLength;
    m_info.bufferSize = kBufferSize;
    m_info.versionText = kClassName.left(kVersionTextLength);
}

bool HidApiIoDataProvider::close() {
    if (m_handle == nullptr) {
        TLOG_INFO(QStringLiteral("Null handle, no need to close device."));
        return false;
    }
    TLOG_INFO(QStringLiteral("Device Closed"));
    m_hidApi->close(m_handle);
    m_handle = nullptr;
    onRescan();
    return true;
}

bool HidApiIoDataProvider::reconnect() {
    close();
    const bool connected = deviceConnect(m_path, static_cast<int>(m_info.vendorId),
                                         static_cast<int>(m_info.productId));
    TLOG_INFO(connected ? QStringLiteral("Reconnection successful.")
                        : QStringLiteral("Unable to reconnect."));
    return connected;
}

bool HidApiIoDataProvider::rescan() {
    onRescan();
    return m_present;
}

bool HidApiIoDataProvider::setRescanInterval(int ms) {
    m_rescanTimer.setInterval(ms);
    m_fastRescan = (ms == kFastRescanIntervalMs);
    return m_fastRescan;
}

QList<QByteArray> HidApiIoDataProvider::getData() {
    QList<QByteArray> reports;
    if (m_handle == nullptr) {
        // Polled every receiver tick: one line per disconnection, the rest counted.
        if (m_unloggedDataRequests++ == 0) {
            TLOG_WARNING(QStringLiteral("Data requested with disconnected device."));
        }
        return reports;
    }
    const int minimum = std::max(static_cast<int>(m_info.inputLength), 1);
    int count = m_hidApi->read(m_handle, m_readBuffer.data(), m_readBuffer.size());
    while (count >= minimum && count < kBufferSize) {
        const QByteArray report(reinterpret_cast<const char*>(m_readBuffer.data()), count);
        TLOG(SillyLogger::Debug, QStringLiteral("Received %1 bytes, Hex Data: %2")
                                     .arg(count)
                                     .arg(QString::fromLatin1(report.toHex())));
        if (acceptReportId(static_cast<quint8>(report.at(0)))) {
            reports.append(report);
        }
        count = m_hidApi->read(m_handle, m_readBuffer.data(), m_readBuffer.size());
    }
    if (count == kReadError) {
        dropFailedHandle();
    } else if (!m_present) {
        emit devicePlugged();
        rescan();
    }
    return reports;
}

bool HidApiIoDataProvider::acceptReportId(quint8 reportId) {
    if (!m_reportIdLearned) {
        m_reportIdLearned = true;
        m_candidateReportCount = 0;
        if (reportId != m_expectedReportId) {
            TLOG_WARNING(QStringLiteral("Wrong USB Report ID: %1, expected %2")
                             .arg(reportId)
                             .arg(m_expectedReportId));
            m_expectedReportId = reportId;
        }
        return true;
    }
    if (reportId == m_expectedReportId) {
        m_candidateReportCount = 0;
        return true;
    }
    TLOG_WARNING(QStringLiteral("Wrong USB Report ID: %1, expected %2")
                     .arg(reportId)
                     .arg(m_expectedReportId));
    if (reportId != m_candidateReportId) {
        m_candidateReportId = reportId;
        m_candidateReportCount = 0;
    }
    if (++m_candidateReportCount < kReportIdAdoptCount) {
        return false;
    }
    TLOG_WARNING(QStringLiteral("Following the controller's new USB Report ID %1.").arg(reportId));
    m_expectedReportId = reportId;
    m_candidateReportCount = 0;
    return true;
}

// A handle that fails to read stays failed (the device re-enumerated, or the system
// invalidated it over a suspend), even while the device is still listed. It is closed
// and the device counts as lost, so the scans reopen it as after an unplug.
void HidApiIoDataProvider::dropFailedHandle() {
    TLOG_WARNING(QStringLiteral("Read error on the open device, closing it until it is found."));
    m_lost = true;
    m_scansSinceLoss = 0;
    close();
    emit deviceUnplugged();
}

void HidApiIoDataProvider::sendData(QByteArray data) {
    if (m_handle == nullptr) {
        TLOG_WARNING(QStringLiteral("Send Data requested with disconnected device."));
        return;
    }
    if (data.isEmpty()) {
        return;
    }
    data.prepend(static_cast<char>(m_expectedReportId));
    TLOG(SillyLogger::Debug, QStringLiteral("Sending %1 bytes, Hex Data: %2")
                                 .arg(data.size())
                                 .arg(QString::fromLatin1(data.toHex())));
    // Every platform gets the same bytes: a short report is padded here, not by the HID
    // layer (Windows pads, hidraw and libusb do not). A longer one would be cut or
    // refused differently by each layer, so it is not sent at all.
    const int reportLength = std::max(static_cast<int>(m_info.outputLength), kReportLength);
    if (data.size() > reportLength) {
        TLOG_WARNING(QStringLiteral("Report of %1 bytes not sent, a report holds at most %2.")
                         .arg(data.size())
                         .arg(reportLength));
        return;
    }
    if (data.size() < reportLength) {
        data.append(QByteArray(reportLength - data.size(), '\0'));
    }
    if (m_hidApi->write(m_handle, reinterpret_cast<const unsigned char*>(data.constData()),
                        static_cast<size_t>(data.size())) < 0) {
        TLOG_WARNING(QStringLiteral("Unable to write %1 bytes to the device.").arg(data.size()));
    }
}

void HidApiIoDataProvider::onRescan() {
    if (m_rescanSuspended) {
        return;
    }
    scanDevices();
    if (m_present) {
        handleDevicePresent();
    } else {
        handleDeviceMissing();
    }
}

void HidApiIoDataProvider::scanDevices() {
    m_deviceMap.clear();
    m_present = false;
    HidDeviceInfo* devices = m_hidApi->enumerate(kAnyId, kAnyId);
    int position = 0;
    for (const HidDeviceInfo* device = devices; device != nullptr; device = device->next) {
        ++position;
        DeviceInfoData scanned;
        scanned.vendorId = device->vendorId;
        scanned.productId = device->productId;
        scanned.manufacturer = device->manufacturer;
        scanned.product = device->product;
        scanned.vendorIdHex = hexText(device->vendorId);
        scanned.productIdHex = hexText(device->productId);
        scanned.usagePage = hexText(device->usagePage);
        scanned.usage = hexText(device->usage);
        m_scanned = scanned;
        m_deviceMap.insert(position, scanned);
        if (scanned.vendorId == m_info.vendorId && scanned.productId == m_info.productId) {
            m_present = true;
            break;
        }
    }
    m_hidApi->freeEnumeration(devices);
}

void HidApiIoDataProvider::handleDeviceMissing() {
    if (m_missedScans >= kScansBeforeReconnect && m_fastRescan) {
        m_missedScans = 0;
        emit deviceFirstConnection();
    }
    if (m_lost) {
        ++m_missedScans;
        ++m_scansSinceLoss;
        return;
    }
    m_scansSinceLoss = 0;
    m_lost = true;
    if (m_handle != nullptr) {
        TLOG_INFO(QStringLiteral("No Null handle, no need to close device."));
        close();
    }
    emit deviceUnplugged();
    ++m_missedScans;
    ++m_scansSinceLoss;
}

void HidApiIoDataProvider::handleDevicePresent() {
    if (!m_lost) {
        return;
    }
    ++m_scansSinceLoss;
    if (m_scansSinceLoss < kScansBeforeReconnect) {
        return;
    }
    if (!reconnect()) {
        m_scansSinceLoss = 0;
        return;
    }
    emit devicePlugged();
    m_lost = false;
    m_scansSinceLoss = 0;
}
