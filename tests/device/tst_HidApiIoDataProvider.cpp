#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "device/HidApiIoDataProvider.h"
#include "FakeHidApi.h"
#include "LogSpy.h"

namespace {
constexpr unsigned short kVid = 0x25C8;
constexpr unsigned short kPid = 0x0014;

// A 61-byte input report: report id, frame byte, response code, then `fill`.
QByteArray inputReport(quint8 reportId, quint8 code, quint8 fill = 0) {
    QByteArray report(61, static_cast<char>(fill));
    report[0] = static_cast<char>(reportId);
    report[1] = 0;
    report[2] = static_cast<char>(code);
    return report;
}
}  // namespace

class tst_HidApiIoDataProvider : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<FakeHidApi> m_hid;
    std::unique_ptr<HidApiIoDataProvider> m_provider;

    // A provider with the device attached and opened.
    void openDevice() {
        m_hid->attach(kVid, kPid);
        QVERIFY(m_provider->deviceConnect(QString(), kVid, kPid));
    }

    // Scans until the provider reopens the device; returns how many scans it took
    // (0 when it did not within `limit`).
    int scansUntilReopened(int limit) {
        for (int scan = 1; scan <= limit; ++scan) {
            m_provider->onRescan();
            if (m_provider->isOpen()) {
                return scan;
            }
        }
        return 0;
    }

private slots:
    void init() {
        m_hid = std::make_shared<FakeHidApi>();
        m_provider = std::make_unique<HidApiIoDataProvider>(m_hid);
    }
    void cleanup() { m_provider.reset(); }

    void connectOpensAndDescribesTheDevice() {
        m_hid->attach(kVid, kPid);
        QSignalSpy plugged(m_provider.get(), &DeviceIoDataProvider::devicePlugged);
        QVERIFY(m_provider->deviceConnect(QStringLiteral("some path"), kVid, kPid));

        QCOMPARE(plugged.count(), 1);
        QCOMPARE(m_hid->nonblockingValue, 1);
        // The packet size of the dispatcher and of a recorded log comes from here.
        const DeviceInfoData* info = m_provider->info();
        QVERIFY(info != nullptr);
        QCOMPARE((QList<quint32>{info->vendorId, info->productId, info->inputLength,
                                 info->outputLength, info->bufferSize}),
                 (QList<quint32>{0x25C8, 0x14, 61, 61, 4096}));
        QVERIFY(!m_provider->deviceConnect(QString(), 0x1, 0x5));
        QCOMPARE(plugged.count(), 1);
        QVERIFY(!m_provider->isOpen());
    }

    void connectCarriesOnAfterStringAndModeFailures_data() {
        QTest::addColumn<int>("failure");
        QTest::addRow("manufacturer") << 0;
        QTest::addRow("product") << 1;
        QTest::addRow("serial") << 2;
        QTest::addRow("non blocking") << 3;
    }
    void connectCarriesOnAfterStringAndModeFailures() {
        QFETCH(int, failure);
        LogSpy log;
        m_hid->failManufacturer = failure == 0;
        m_hid->failProduct = failure == 1;
        m_hid->failSerial = failure == 2;
        m_hid->failNonblocking = failure == 3;
        openDevice();
        QCOMPARE(
            log.messages(SillyLogger::Warning).size() + log.messages(SillyLogger::Critical).size(),
            1);
        QCOMPARE(m_provider->manufacturer().isEmpty(), failure == 0);
        QCOMPARE(m_provider->product().isEmpty(), failure == 1);
        QCOMPARE(m_provider->serialNumber().isEmpty(), failure == 2);
    }

    void drainReturnsEveryWaitingReportInOrder() {
        LogSpy log;
        openDevice();
        const QByteArray first = inputReport(1, 3, 0xA1);
        const QByteArray second = inputReport(1, 4, 0xB2);
        m_hid->queueReport(first);
        m_hid->queueReport(second);
        const QList<QByteArray> reports = m_provider->getData();
        QCOMPARE(reports, (QList<QByteArray>{first, second}));
        QCOMPARE(m_hid->lastReadCapacity, size_t(4096));
        const QString firstHex = QStringLiteral("010003") + QStringLiteral("a1").repeated(58);
        QCOMPARE(log.count(SillyLogger::Debug,
                           QStringLiteral("Received 61 bytes, Hex Data: %1").arg(firstHex)),
                 1);
        QVERIFY(m_provider->getData().isEmpty());
    }

    void drainStopsAtReportsOfWrongSize_data() {
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<QList<int>>("firstTick");
        QTest::addColumn<QList<int>>("secondTick");
        // Script entries: a positive length queues a report of that length, 0 and -1 are
        // bare read results, 5000 is a length beyond the read buffer.
        QTest::addRow("61 and 100 kept")
            << QList<int>{61, 100} << QList<int>{61, 100} << QList<int>{};
        QTest::addRow("short report ends the tick")
            << QList<int>{61, 60, 61} << QList<int>{61} << QList<int>{61};
        QTest::addRow("4095 bytes kept") << QList<int>{4095} << QList<int>{4095} << QList<int>{};
        QTest::addRow("4096 bytes dropped and ends the tick")
            << QList<int>{4096, 61} << QList<int>{} << QList<int>{61};
        QTest::addRow("length beyond the buffer refused")
            << QList<int>{5000, 61} << QList<int>{} << QList<int>{61};
        QTest::addRow("nothing waiting ends the tick")
            << QList<int>{61, 0, 61} << QList<int>{61} << QList<int>{61};
    }
    void drainStopsAtReportsOfWrongSize() {
        QFETCH(QList<int>, script);
        QFETCH(QList<int>, firstTick);
        QFETCH(QList<int>, secondTick);
        openDevice();
        for (int entry : script) {
            if (entry == 5000 || entry <= 0) {
                m_hid->queueReadResult(entry);
            } else {
                QByteArray report(entry, '\x07');
                report[0] = 1;
                m_hid->queueReport(report);
            }
        }
        auto sizes = [](const QList<QByteArray>& reports) {
            QList<int> result;
            for (const QByteArray& report : reports) {
                result.append(report.size());
            }
            return result;
        };
        QCOMPARE(sizes(m_provider->getData()), firstTick);
        QCOMPARE(sizes(m_provider->getData()), secondTick);
    }

    // Report ids of the reports a controller sends after the device was opened; what
    // getData() hands on and which id the next outgoing report carries.
    void reportIdIsLearnedAndChangedOnlyByARun_data() {
        QTest::addColumn<QList<int>>("received");
        QTest::addColumn<QList<int>>("returned");
        QTest::addColumn<int>("sentId");
        QTest::addColumn<int>("warnings");
        QTest::addRow("first report sets the id")
            << QList<int>{2, 2, 2} << QList<int>{2, 2, 2} << 2 << 1;
        QTest::addRow("one foreign report dropped, id kept")
            << QList<int>{1, 7, 1} << QList<int>{1, 1} << 1 << 1;
        QTest::addRow("three consecutive foreign reports adopted")
            << QList<int>{1, 7, 7, 7, 7} << QList<int>{1, 7, 7} << 7 << 3;
        QTest::addRow("foreign report of id 0 dropped")
            << QList<int>{1, 0, 1} << QList<int>{1, 1} << 1 << 1;
        QTest::addRow("run broken by our id is not adopted")
            << QList<int>{1, 7, 7, 1, 7, 7, 1} << QList<int>{1, 1, 1} << 1 << 4;
        QTest::addRow("alternating foreign ids are not adopted")
            << QList<int>{1, 7, 8, 7, 8, 7, 8} << QList<int>{1} << 1 << 6;
    }
    void reportIdIsLearnedAndChangedOnlyByARun() {
        QFETCH(QList<int>, received);
        QFETCH(QList<int>, returned);
        QFETCH(int, sentId);
        QFETCH(int, warnings);
        LogSpy log;
        openDevice();
        for (int id : received) {
            m_hid->queueReport(inputReport(quint8(id), 3));
        }
        QList<int> ids;
        for (const QByteArray& report : m_provider->getData()) {
            ids.append(quint8(report.at(0)));
        }
        QCOMPARE(ids, returned);
        QCOMPARE(log.messages(SillyLogger::Warning)
                     .filter(QStringLiteral("Wrong USB Report ID: "))
                     .size(),
                 warnings);
        m_provider->sendData(QByteArray::fromHex("0705"));
        QCOMPARE(m_hid->writes.size(), 1);
        QCOMPARE(m_hid->writes.at(0).left(3),
                 QByteArray(1, char(sentId)) + QByteArray::fromHex("0705"));
    }

    // A device opened again (another board, or the same after a firmware update) teaches
    // its id anew with its first report.
    void reopeningLearnsTheIdAgain() {
        openDevice();
        m_hid->queueReport(inputReport(2, 3));
        QCOMPARE(m_provider->getData().size(), 1);
        QVERIFY(m_provider->reconnect());
        m_hid->queueReport(inputReport(5, 3));
        QCOMPARE(m_provider->getData().size(), 1);
        QCOMPARE(m_provider->expectedReportId(), quint8(5));
    }

    void sendPadsShortReportsAndRefusesLongOnes_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("wire");
        QTest::addRow("get parameters, index 0")
            << QByteArray::fromHex("0005") << QByteArray::fromHex("010005") + QByteArray(58, 0);
        QTest::addRow("calibration with payload, index 9")
            << QByteArray::fromHex("090e0a0b0c")
            << QByteArray::fromHex("01090e0a0b0c") + QByteArray(55, 0);
        // Index, opcode and 58 payload bytes already fill the report.
        QTest::addRow("full report") << QByteArray::fromHex("2a04") + QByteArray(58, '\x33')
                                     << QByteArray::fromHex("012a04") + QByteArray(58, '\x33');
        // One byte too many: cut or sent long, it would differ per platform.
        QTest::addRow("62 bytes refused")
            << QByteArray::fromHex("2a04") + QByteArray(59, '\x33') << QByteArray();
    }
    void sendPadsShortReportsAndRefusesLongOnes() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, wire);
        LogSpy log;
        openDevice();
        m_provider->sendData(data);
        if (wire.isEmpty()) {
            QVERIFY(m_hid->writes.isEmpty());
            QCOMPARE(log.count(SillyLogger::Warning,
                               "Report of 62 bytes not sent, a report holds at most 61."),
                     1);
            return;
        }
        QCOMPARE(m_hid->writes, QList<QByteArray>{wire});
        QCOMPARE(wire.size(), 61);
    }

    void sendWritesNothingWithoutDataOrDevice() {
        m_provider->sendData(QByteArray::fromHex("0005"));
        QVERIFY(m_provider->getData().isEmpty());
        openDevice();
        m_provider->sendData(QByteArray());
        QVERIFY(m_hid->writes.isEmpty());
    }

    // A broken handle keeps failing whether or not the device is still listed; either
    // way it is closed once, reported once, and reopened by the scans.
    void readErrorIsALossEvenWhileListed_data() {
        QTest::addColumn<bool>("listed");
        QTest::addRow("listed, handle invalidated") << true;
        QTest::addRow("unplugged") << false;
    }
    void readErrorIsALossEvenWhileListed() {
        QFETCH(bool, listed);
        openDevice();
        QVERIFY(m_provider->getData().isEmpty());  // the first poll scans and finds it
        QSignalSpy unplugged(m_provider.get(), &DeviceIoDataProvider::deviceUnplugged);
        QSignalSpy plugged(m_provider.get(), &DeviceIoDataProvider::devicePlugged);
        LogSpy log;
        if (listed) {
            m_hid->invalidateOpenHandles();
        } else {
            m_hid->detach();
        }
        const int enumerations = m_hid->enumerateCalls;
        for (int tick = 0; tick < 10; ++tick) {
            QVERIFY(m_provider->getData().isEmpty());
        }
        QCOMPARE(unplugged.count(), 1);
        QCOMPARE(m_hid->closeCalls, 1);
        QVERIFY(!m_provider->isOpen());
        QVERIFY(m_provider->isLost());
        QCOMPARE(m_hid->enumerateCalls, enumerations + 1);  // the scan of the close only
        QCOMPARE(log.count(SillyLogger::Warning, "Data requested with disconnected device."), 1);

        m_hid->attach(kVid, kPid);
        QCOMPARE(scansUntilReopened(10), 4);  // the close's scan counted as the first
        QCOMPARE(unplugged.count(), 1);
        QCOMPARE(plugged.count(), 2);  // the connect, and the return
        QCOMPARE(log.count(SillyLogger::Information,
                           "8 more data requests with disconnected device were not logged."),
                 1);
        m_hid->queueReport(inputReport(1, 3));
        QCOMPARE(m_provider->getData(), QList<QByteArray>{inputReport(1, 3)});
    }

    void reopenAfterFiveScansSinceTheLoss_data() {
        QTest::addColumn<int>("misses");
        QTest::addColumn<int>("presentScans");
        // The first miss counts twice (its close scans once more); the device is reopened
        // on the present scan that brings the count to five.
        QTest::addRow("one miss") << 1 << 3;
        QTest::addRow("long absence") << 8 << 1;
    }
    void reopenAfterFiveScansSinceTheLoss() {
        QFETCH(int, misses);
        QFETCH(int, presentScans);
        openDevice();
        m_provider->onRescan();
        QSignalSpy unplugged(m_provider.get(), &DeviceIoDataProvider::deviceUnplugged);
        m_hid->detach();
        for (int i = 0; i < misses; ++i) {
            m_provider->onRescan();
        }
        // The first miss closes the device once; its close scans once more, a miss too.
        QCOMPARE(unplugged.count(), 1);
        QCOMPARE(m_hid->closeCalls, 1);
        QVERIFY(m_provider->isLost());
        QCOMPARE(m_provider->missedScans(), misses + 1);
        QSignalSpy plugged(m_provider.get(), &DeviceIoDataProvider::devicePlugged);
        m_hid->attach(kVid, kPid);
        QCOMPARE(scansUntilReopened(10), presentScans);
        QVERIFY(!m_provider->isLost());
        QCOMPARE(plugged.count(), 2);  // one from the connect, one for the return
        // Every device list a scan asked for was given back.
        QCOMPARE(m_hid->enumerateCalls, m_hid->freeCalls);
    }

    void failedReopenStartsTheCountAgain() {
        openDevice();
        m_provider->onRescan();
        m_hid->detach();
        m_provider->onRescan();
        m_provider->onRescan();
        m_provider->onRescan();  // the fourth scan since the loss
        // Listed again but opening still fails: the pair is listed under another device.
        FakeHidApi::Listed impostor;
        impostor.vendorId = kVid;
        impostor.productId = kPid;
        m_hid->setOtherDevices({impostor});
        m_provider->onRescan();
        QVERIFY(m_provider->isLost());
        m_hid->setOtherDevices({});
        m_hid->attach(kVid, kPid);
        QCOMPARE(scansUntilReopened(10), 5);
    }

    void fastRescanAsksForFirstConnectionEveryFifthMiss_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QList<int>>("emittedOnScans");
        QTest::addRow("fast") << 250 << QList<int>{5, 10, 15};
        QTest::addRow("normal") << 50000 << QList<int>{};
        QTest::addRow("close to fast") << 251 << QList<int>{};
    }
    void fastRescanAsksForFirstConnectionEveryFifthMiss() {
        QFETCH(int, interval);
        QFETCH(QList<int>, emittedOnScans);
        openDevice();
        m_provider->onRescan();
        QCOMPARE(m_provider->setRescanInterval(interval), interval == 250);
        m_hid->detach();
        QList<int> emitted;
        QSignalSpy first(m_provider.get(), &DeviceIoDataProvider::deviceFirstConnection);
        for (int scan = 1; scan <= 16; ++scan) {
            const int before = first.count();
            m_provider->onRescan();
            if (first.count() > before) {
                emitted.append(scan);
            }
        }
        QCOMPARE(emitted, emittedOnScans);
    }

    void suspendedRescanDoesNothing() {
        openDevice();
        m_provider->setRescanSuspended(true);
        const int enumerations = m_hid->enumerateCalls;
        m_hid->detach();
        m_provider->onRescan();
        QCOMPARE(m_hid->enumerateCalls, enumerations);
        QVERIFY(m_provider->isOpen());
    }
};

QTEST_GUILESS_MAIN(tst_HidApiIoDataProvider)
#include "tst_HidApiIoDataProvider.moc"
