// Uploads a generated firmware file to the virtual controller through the tool's own
// link (HID provider, dispatcher, delegates, uploader) and prints how fast the items went.
// With --screenshot it shows the upload dialog instead and saves a picture of it in the
// middle of the upload.
//
//   tavirel-upload-driver [--items N] [--latency MS] [--log-level L] [--log-file PATH]
//   tavirel-upload-driver --screenshot PNG [--at PERCENT] [--items N] [--latency MS]
//
// Output (one line): items=<n> latency=<ms> log-level=<l> seconds=<s> items-per-second=<r>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "logging/SillyLogger.h"
#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/PomelarKind.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"
#include "firmware/FirmwareUploader.h"
#include "firmware/FormFirmwareUpdate.h"
#include "resources/AppResources.h"
#include "SimLink.h"

namespace {
constexpr int kItemLength = 16;
constexpr quint32 kVersion = 0x620;
constexpr int kStateWaitMs = 5000;
constexpr int kCheckMs = 50;

// The virtual controller takes an image of `items` items (size in bytes, checksum the sum
// of every byte).
QByteArray generatedFile(int items) {
    QByteArray body;
    quint32 checksum = 0;
    for (int entry = 0; entry < items; ++entry) {
        QByteArray data;
        for (int i = 0; i < kItemLength; ++i) {
            const auto byte = static_cast<quint8>((entry * 31 + i * 7) & 0xFF);
            data.append(static_cast<char>(byte));
            checksum += byte;
        }
        body += ">" + QByteArray::number(entry, 16).rightJustified(4, '0') + data.toHex() + "\n";
    }
    const auto word = [](quint32 value) {
        return QByteArray::number(value, 16).rightJustified(8, '0');
    };
    return "; generated image\n<" + word(kVersion) + word(quint32(items) * kItemLength) +
           word(checksum) + "\n" + body;
}

// Runs the event loop, as the tool does, until done() holds or ms have passed.
bool waitFor(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(kCheckMs);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

int measure(SimLink& link, const QString& file, int items, int latency, int level) {
    FirmwareUploader uploader(&link.dispatcher);
    uploader.start();
    if (!waitFor([&] { return !uploader.isBusy(); }, kStateWaitMs)) {
        std::fprintf(stderr, "the controller did not answer\n");
        return 1;
    }
    QElapsedTimer clock;
    qint64 firstItemNs = -1;
    qint64 lastItemNs = -1;
    QObject::connect(&link.board, &VirtualController::requestReceived, [&](int opcode) {
        if (opcode == VirtualController::kOpItemSet && firstItemNs < 0) {
            firstItemNs = clock.nsecsElapsed();
        }
    });
    QObject::connect(&uploader, &FirmwareUploader::uploadProgressChanged, [&](int percent) {
        if (percent == FirmwareUploader::kProgressDone) {
            lastItemNs = clock.nsecsElapsed();
        }
    });
    bool ended = false;
    bool success = false;
    QObject::connect(&uploader, &FirmwareUploader::uploadFinished, [&](bool ok) {
        ended = true;
        success = ok;
    });
    clock.start();
    if (!uploader.upload(file)) {
        std::fprintf(stderr, "the file was refused\n");
        return 1;
    }
    const int limitMs = items * (latency + 4) + 30000;
    if (!waitFor([&] { return ended; }, limitMs) || !success || lastItemNs < 0) {
        std::fprintf(stderr, "the upload did not succeed\n");
        return 1;
    }
    const double seconds = double(lastItemNs - firstItemNs) / 1e9;
    std::printf("items=%d latency=%d log-level=%d seconds=%.3f items-per-second=%.1f\n", items,
                latency, level, seconds, items / seconds);
    return 0;
}

int screenshot(SimLink& link, const QString& file, const QString& png, int atPercent) {
    FirmwareInformation::instance().setSplitType(4040);
    auto* dialog = new FormFirmwareUpdate(&link.dispatcher, nullptr);
    dialog->setFileDialog(
        [file](QWidget*, const QString&, const QString&, const QString&) { return file; });
    dialog->show();
    auto* button = dialog->findChild<QPushButton*>(QStringLiteral("Clear"));
    if (!waitFor([&] { return button->isEnabled(); }, kStateWaitMs)) {
        return 1;
    }
    button->click();
    if (!waitFor([&] { return dialog->uploader()->uploadProgress() >= atPercent; }, 120000)) {
        return 1;
    }
    const bool saved = dialog->grab().save(png);
    dialog->close();
    return saved ? 0 : 1;
}
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"items", "Items in the generated file.", "n", "4096"},
                       {"latency", "Answer latency of the controller in ms.", "ms", "1"},
                       {"log-level", "Log level (0: no log file; 4: raw traffic).", "l", "0"},
                       {"log-file", "Log file.", "path"},
                       {"screenshot", "Save a picture of the dialog mid-upload.", "png"},
                       {"at", "Upload percentage of the picture.", "percent", "40"}});
    parser.process(application);
    const int items = parser.value(QStringLiteral("items")).toInt();
    const int latency = parser.value(QStringLiteral("latency")).toInt();
    const int level = parser.value(QStringLiteral("log-level")).toInt();
    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("620_4040.ovu"));
    QFile out(file);
    if (items <= 0 || !out.open(QIODevice::WriteOnly) || out.write(generatedFile(items)) < 0) {
        return 1;
    }
    out.close();
    if (level > 0) {
        SillyLogger::instance()->setLevel(static_cast<quint8>(level));
        SillyLogger::instance()->start(parser.isSet(QStringLiteral("log-file"))
                                           ? parser.value(QStringLiteral("log-file"))
                                           : scratch.filePath(QStringLiteral("upload.log")));
    }

    SimScenario scenario;
    scenario.latencyMs = latency;
    scenario.rebootMs = 200;
    scenario.edgeIntervalMs = 0;
    SimLink link(scenario);
    if (!link.connect()) {
        std::fprintf(stderr, "no virtual controller\n");
        return 1;
    }
    if (parser.isSet(QStringLiteral("screenshot"))) {
        AppResources::initialize();
        return screenshot(link, file, parser.value(QStringLiteral("screenshot")),
                          parser.value(QStringLiteral("at")).toInt());
    }
    const int result = measure(link, file, items, latency, level);
    SillyLogger::instance()->stop();
    return result;
}
