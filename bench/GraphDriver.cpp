// Measures the graph window's two loads.
//
//   tavirel-graph-driver --replay --minutes M [--interval MS]
//     Writes a log of M minutes with a report every MS ms (10 by default), replays it
//     through the log replayer polled at the dispatcher's receive interval, and prints the
//     lateness of each report against its recorded time (p50/p99/max over the whole log
//     and over its first and last tenth) and the resident memory at the start, the middle
//     and the end of the replay.
//   tavirel-graph-driver --scan --seconds S
//     Opens the graph window on its Scan tab against the virtual controller streaming
//     scan lines and prints the share of one core the process used and the redraws per
//     second (the window redraws every 250 ms: 4 per second keeps every tick).
//   tavirel-graph-driver --picture PNG [--tab edge|scan] [--after MS]
//     Opens the graph window on the given tab against the virtual controller, with a
//     finger on the sensor, and saves a picture of it after MS ms (3000 by default).
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "device/LogReplayer.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"
#include "sensitivity/FormSensThreshEditor.h"
#include "troubleshoot/GLtexturewidget.h"
#include "resources/AppResources.h"
#include "SimLink.h"

namespace {
constexpr int kReceivePollMs = 1;
constexpr int kFirstBlockMs = 500;

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A log as the tool writes it: one received 61-byte report every intervalMs, its index
// in bytes 3..6.
bool writeLog(const QString& path, int reports, int intervalMs) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (int i = 0; i < reports; ++i) {
        QByteArray report(61, '\0');
        report[0] = 1;
        report[2] = 9;
        for (int b = 0; b < 4; ++b) {
            report[3 + b] = char((i >> (8 * b)) & 0xff);
        }
        file.write("[D]{" + QByteArray::number(qint64(i) * intervalMs).rightJustified(20, ' ') +
                   "} In Function QList<QByteArray> HidApiIoDataProvider::getData(): Received 61 "
                   "bytes, Hex Data: " +
                   report.toHex() + "\r\n\n");
    }
    return true;
}

struct Percentiles {
    double p50 = 0, p99 = 0, max = 0;
};

Percentiles percentiles(std::vector<double> values) {
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    auto at = [&values](double q) { return values[size_t(q * double(values.size() - 1))]; };
    return {at(0.5), at(0.99), values.back()};
}

void printLateness(const char* part, const std::vector<double>& lateness) {
    const Percentiles p = percentiles(lateness);
    std::printf("replay %s: %zu reports, lateness p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", part,
                lateness.size(), p.p50, p.p99, p.max);
}

int runReplay(double minutes, int intervalMs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.log"));
    const int reports = int(minutes * 60000.0 / intervalMs);
    if (!dir.isValid() || !writeLog(path, reports, intervalMs)) {
        std::fprintf(stderr, "cannot write the log\n");
        return 1;
    }
    LogReplayer replayer;
    if (!replayer.deviceConnect(path, 0, 0)) {
        std::fprintf(stderr, "cannot replay the log\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<double> lateness;
    lateness.reserve(size_t(reports));
    long rssStart = residentKb(), rssMiddle = 0;
    QTimer poll;
    poll.setInterval(kReceivePollMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        for (const QByteArray& report : replayer.getData()) {
            if (report.size() < 7) {
                continue;
            }
            qint64 index = 0;
            for (int b = 0; b < 4; ++b) {
                index |= qint64(quint8(report.at(3 + b))) << (8 * b);
            }
            lateness.push_back(now - double(index * intervalMs));
            if (lateness.size() == size_t(reports / 2)) {
                rssMiddle = residentKb();
            }
        }
        if (replayer.isCompleted()) {
            QCoreApplication::quit();
        }
    });
    poll.start();
    QCoreApplication::exec();
    const size_t tenth = lateness.size() / 10;
    printLateness("whole log", lateness);
    printLateness("first tenth", {lateness.begin(), lateness.begin() + long(tenth)});
    printLateness("last tenth", {lateness.end() - long(tenth), lateness.end()});
    std::printf("replay resident memory: start %ld kB, middle %ld kB, end %ld kB\n", rssStart,
                rssMiddle, residentKb());
    return lateness.size() == size_t(reports) ? 0 : 1;
}

int runScan(int seconds) {
    SimLink link;
    DeviceEventDispatcher& dispatcher = link.dispatcher;
    if (!link.connect()) {
        std::fprintf(stderr, "no virtual controller\n");
        return 1;
    }
    SetOperations operations(&dispatcher);
    QPointer<FormSensThreshEditor> editor(new FormSensThreshEditor(&dispatcher, &operations));
    editor->resize(900, 600);
    editor->show();
    int lines = 0;
    auto* scan = qobject_cast<ResponseDelegateProcessedScan*>(
        dispatcher.responseDelegate(ResponseDelegateProcessedScan::registryName()));
    if (scan != nullptr) {
        QObject::connect(scan, QOverload<QByteArray>::of(&ResponseDelegateProcessedScan::scanA),
                         [&lines] { ++lines; });
        QObject::connect(scan, QOverload<QByteArray>::of(&ResponseDelegateProcessedScan::scanB),
                         [&lines] { ++lines; });
    }
    int startRedraws = 0;
    int startLines = 0;
    double startCpu = 0;
    QElapsedTimer clock;
    // The first second switches the controller over; the measurement starts after it.
    QTimer::singleShot(1000, [&] {
        startRedraws = editor->heatMap()->redrawCount();
        startLines = lines;
        startCpu = cpuSeconds();
        clock.start();
        QTimer::singleShot(seconds * 1000, &QCoreApplication::quit);
    });
    QCoreApplication::exec();
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - startCpu;
    const int redraws = editor->heatMap()->redrawCount() - startRedraws;
    std::printf(
        "scan tab over %.1f s (%s, %.0f scan lines/s): %.1f%% of one core (goal at most "
        "10%%), %.2f redraws/s (goal 4)\n",
        elapsed, editor->heatMap()->usesOpenGL() ? "OpenGL" : "QPainter",
        (lines - startLines) / elapsed, 100.0 * cpu / elapsed, redraws / elapsed);
    editor->close();
    dispatcher.StopCommunication();
    return 0;
}
int savePicture(const QString& png, bool scanTab, int afterMs) {
    SimScenario scenario;
    SimScenario::parseTouches(QStringLiteral("300:1500:2200"), &scenario.touches, nullptr);
    SimLink link(scenario);
    DeviceEventDispatcher& dispatcher = link.dispatcher;
    link.connect();
    SetOperations operations(&dispatcher);
    // Opened as the main window opens it: once the controller has sent its block.
    dispatcher.queueCommand(CommandFactory::getParams());
    QPointer<FormSensThreshEditor> editor;
    bool saved = false;
    QTimer::singleShot(kFirstBlockMs, [&] {
        editor = new FormSensThreshEditor(&dispatcher, &operations);
        editor->resize(900, 600);
        editor->show();
        if (!scanTab) {
            editor->selectTab(FormSensThreshEditor::EdgeTab);
        } else if (auto* mode = editor->findChild<QComboBox*>(QStringLiteral("displayMode"))) {
            mode->setCurrentIndex(ScanHeatMapModel::BothArrays);
        }
        QTimer::singleShot(afterMs, [&] {
            saved = editor->grab().save(png);
            QCoreApplication::quit();
        });
    });
    QCoreApplication::exec();
    if (editor) {
        editor->close();
    }
    dispatcher.StopCommunication();
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(png));
    return saved ? 0 : 1;
}
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    AppResources::initialize();
    QCommandLineParser parser;
    parser.addOptions(
        {{QStringLiteral("replay"), QStringLiteral("Replay benchmark.")},
         {QStringLiteral("scan"), QStringLiteral("Scan tab benchmark.")},
         {QStringLiteral("minutes"), QStringLiteral("Log length."), QStringLiteral("m"),
          QStringLiteral("10")},
         {QStringLiteral("interval"), QStringLiteral("Report interval (ms)."), QStringLiteral("ms"),
          QStringLiteral("10")},
         {QStringLiteral("seconds"), QStringLiteral("Measured time."), QStringLiteral("s"),
          QStringLiteral("30")},
         {QStringLiteral("picture"), QStringLiteral("Save a picture."), QStringLiteral("png")},
         {QStringLiteral("tab"), QStringLiteral("edge or scan."), QStringLiteral("tab"),
          QStringLiteral("scan")},
         {QStringLiteral("after"), QStringLiteral("Delay of the picture (ms)."),
          QStringLiteral("ms"), QStringLiteral("3000")}});
    parser.process(application);
    if (parser.isSet(QStringLiteral("replay"))) {
        return runReplay(parser.value(QStringLiteral("minutes")).toDouble(),
                         qMax(1, parser.value(QStringLiteral("interval")).toInt()));
    }
    if (parser.isSet(QStringLiteral("scan"))) {
        return runScan(qMax(1, parser.value(QStringLiteral("seconds")).toInt()));
    }
    if (parser.isSet(QStringLiteral("picture"))) {
        return savePicture(parser.value(QStringLiteral("picture")),
                           parser.value(QStringLiteral("tab")) != QLatin1String("edge"),
                           qMax(0, parser.value(QStringLiteral("after")).toInt()));
    }
    parser.showHelp(1);
}
