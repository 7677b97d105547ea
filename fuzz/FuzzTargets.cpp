#include "FuzzTargets.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "logging/SillyLogger.h"
#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceInfoData.h"
#include "device/HidApiIoDataProvider.h"
#include "device/LogReplayer.h"
#include "protocol/PomelarKind.h"
#include "firmware/FirmwareUpdateFile.h"

namespace {
constexpr int kLengthBytes = 2;
constexpr int kBitsPerByte = 8;
constexpr int kLongestReport = HidApiIoDataProvider::kBufferSize;

// A HID backend whose device sends the reports of one input, then nothing.
class InputHidApi : public HidApi {
public:
    QList<QByteArray> reports;

    int init() override { return 0; }
    int exit() override { return 0; }
    HidDeviceHandle* open(unsigned short, unsigned short) override {
        return reinterpret_cast<HidDeviceHandle*>(&m_device);
    }
    int getManufacturerString(HidDeviceHandle*, wchar_t* buffer, size_t) override {
        buffer[0] = L'\0';
        return 0;
    }
    int getProductString(HidDeviceHandle*, wchar_t* buffer, size_t) override {
        buffer[0] = L'\0';
        return 0;
    }
    int getSerialNumberString(HidDeviceHandle*, wchar_t* buffer, size_t) override {
        buffer[0] = L'\0';
        return 0;
    }
    int setNonblocking(HidDeviceHandle*, int) override { return 0; }
    int read(HidDeviceHandle*, unsigned char* buffer, size_t length) override {
        if (reports.isEmpty()) {
            return 0;
        }
        const QByteArray report = reports.takeFirst();
        const size_t copied = std::min(size_t(report.size()), length);
        std::memcpy(buffer, report.constData(), copied);
        return int(copied);
    }
    int write(HidDeviceHandle*, const unsigned char*, size_t length) override {
        return int(length);
    }
    void close(HidDeviceHandle*) override {}
    HidDeviceInfo* enumerate(unsigned short, unsigned short) override {
        auto* info = new HidDeviceInfo;
        info->vendorId = PomelarKind::kOrvelloVid;
        info->productId = PomelarKind::kOrvelloPid;
        return info;
    }
    void freeEnumeration(HidDeviceInfo* devices) override {
        while (devices != nullptr) {
            HidDeviceInfo* next = devices->next;
            delete devices;
            devices = next;
        }
    }

private:
    int m_device = 0;
};

// Our controller's link as the program builds it, over InputHidApi. Built once: the
// delegates keep their state from input to input, as they do from report to report.
struct ReceiveRig {
    ReceiveRig() : api(std::make_shared<InputHidApi>()), provider(api) {
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&provider);
        dispatcher.setDeviceIoDataProvider(provider.name());
        dispatcher.setDeviceKind(PomelarKind::kOrvelloVid, PomelarKind::kOrvelloPid);
    }
    std::shared_ptr<InputHidApi> api;
    HidApiIoDataProvider provider;
    DeviceEventDispatcher dispatcher;
};

// Each report: two bytes of length (big-endian, taken modulo 4096, plus 1), then that
// many bytes or what is left of the input.
QList<QByteArray> cutIntoReports(const uint8_t* data, size_t size) {
    QList<QByteArray> reports;
    size_t at = 0;
    while (at + kLengthBytes <= size) {
        const size_t length =
            ((size_t(data[at]) << kBitsPerByte) | data[at + 1]) % kLongestReport + 1;
        at += kLengthBytes;
        const size_t taken = std::min(length, size - at);
        reports.append(QByteArray(reinterpret_cast<const char*>(data + at), int(taken)));
        at += taken;
    }
    return reports;
}

// A replayer whose clock has run past every stamp, so each poll hands over an entry.
class ImpatientReplayer : public LogReplayer {
protected:
    qint64 replayElapsedMs() const override {
        return LogReplayer::replayElapsedMs() < 0 ? -1 : std::numeric_limits<qint64>::max() / 2;
    }
};

bool sameWords(const DeviceInfoData& a, const DeviceInfoData& b) {
    return a.reserved1 == b.reserved1 && a.vendorId == b.vendorId && a.productId == b.productId &&
           a.reserved2 == b.reserved2 && a.inputLength == b.inputLength &&
           a.outputLength == b.outputLength && a.reserved3 == b.reserved3 &&
           a.bufferSize == b.bufferSize;
}
}  // namespace

const std::vector<FuzzTargets::Target>& FuzzTargets::all() {
    // A new reader of outside data gets its line here, its name in the target list of
    // fuzz/CMakeLists.txt (which fuzz/run.sh reads) and a folder of sample inputs in
    // fuzz/corpus/<name>.
    static const std::vector<Target> targets{
        {"receivePath", &FuzzTargets::receivePath},
        {"replayLog", &FuzzTargets::replayLog},
        {"deviceInfoText", &FuzzTargets::deviceInfoText},
        {"updateFile", &FuzzTargets::updateFile},
    };
    return targets;
}

const FuzzTargets::Target* FuzzTargets::find(const char* name) {
    for (const Target& target : all()) {
        if (std::strcmp(target.name, name) == 0) {
            return &target;
        }
    }
    return nullptr;
}

void FuzzTargets::prepare() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tavirel-fuzz";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    if (QCoreApplication::organizationName().isEmpty()) {
        QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
        QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
    }
    QStandardPaths::setTestModeEnabled(true);
    // The finger acquisition runs only while a calibration is started; let it.
    QSettings().setValue(QStringLiteral("Calibration/Start"), true);
    // Warnings and critical messages are built (their texts read packet bytes too);
    // nothing is written, as no log file is open.
    SillyLogger::instance()->setFilter(SillyLogger::Critical | SillyLogger::Warning);
}

int FuzzTargets::receivePath(const uint8_t* data, size_t size) {
    prepare();
    static ReceiveRig* rig = new ReceiveRig;
    rig->api->reports = cutIntoReports(data, size);
    // Opened afresh for every input, so its first report teaches the report id.
    rig->provider.deviceConnect(QString(), PomelarKind::kOrvelloVid, PomelarKind::kOrvelloPid);
    // A poll ends at a report the provider refuses; the next one goes on after it.
    while (!rig->api->reports.isEmpty()) {
        rig->dispatcher.checkNewDataArrived();
    }
    rig->dispatcher.checkNewDataArrived();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

int FuzzTargets::replayLog(const uint8_t* data, size_t size) {
    prepare();
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QBuffer log(&bytes);
    log.open(QIODevice::ReadOnly);
    ImpatientReplayer replayer;
    if (!replayer.replay(&log)) {
        std::abort();
    }
    // Every poll takes one stamped line or finds the end, so the log must be done
    // within a poll per byte and a few more; a replay that is not has hung.
    for (size_t poll = 0; poll < size + 4 && !replayer.isCompleted(); ++poll) {
        for (const QByteArray& report : replayer.getData()) {
            if (size_t(report.size()) > size) {
                std::abort();  // more bytes decoded than the log holds
            }
        }
    }
    if (!replayer.isCompleted()) {
        std::abort();
    }
    return 0;
}

int FuzzTargets::deviceInfoText(const uint8_t* data, size_t size) {
    prepare();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const std::optional<DeviceInfoData> info = DeviceInfoData::fromText(text);
    if (!info.has_value()) {
        return 0;
    }
    // What was read must come back from its own text form.
    const std::optional<DeviceInfoData> again = DeviceInfoData::fromText(info->toText());
    if (!again.has_value() || !sameWords(*info, *again)) {
        std::abort();
    }
    return 0;
}

int FuzzTargets::updateFile(const uint8_t* data, size_t size) {
    prepare();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    FirmwareUpdateFile file;
    const bool accepted = file.parse(bytes);
    // Accepted: at least one item of 16 bytes and no reason to refuse; refused: a
    // reason and nothing kept of the file.
    if (accepted != file.isValid() || accepted != file.problemText().isEmpty() ||
        accepted != (file.itemCount() > 0)) {
        std::abort();
    }
    for (int i = 0; i < file.itemCount(); ++i) {
        if (file.itemData(i).size() != FirmwareUpdateFile::kItemDataLength) {
            std::abort();
        }
    }
    return 0;
}
