#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "FakeHidApi.h"
#include "LogSpy.h"
#include "ScriptedProvider.h"
#include "TestDeviceKind.h"

namespace {
using Pair = QPair<unsigned short, unsigned short>;

// A 61-byte input report: report id 1, frame byte 0x11, response code, then `fill`.
QByteArray report(quint8 code, quint8 fill = 0) {
    QByteArray bytes(61, static_cast<char>(fill));
    bytes[0] = 1;
    bytes[1] = 0x11;
    bytes[2] = static_cast<char>(code);
    return bytes;
}

void deletePostedCommands() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

class tst_DeviceEventDispatcher : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<FakeHidApi> m_hid;
    std::unique_ptr<HidApiIoDataProvider> m_hidProvider;
    std::unique_ptr<ScriptedProvider> m_scripted;
    std::unique_ptr<DeviceEventDispatcher> m_dispatcher;
    TestDeviceKind* m_kind = nullptr;

    void useHid() {
        m_dispatcher->registerDeviceIoDataProvider(m_hidProvider.get());
        QCOMPARE(m_dispatcher->setDeviceIoDataProvider(m_hidProvider->name()), m_hidProvider.get());
    }
    void useScripted() {
        m_dispatcher->registerDeviceIoDataProvider(m_scripted.get());
        QCOMPARE(m_dispatcher->setDeviceIoDataProvider(m_scripted->name()), m_scripted.get());
    }
    // Opens the HID device through the dispatcher, as the start-up wait does.
    void connectHid(unsigned short vid = 0x25C8, unsigned short pid = 0x0014) {
        useHid();
        m_hid->attach(vid, pid);
        for (int attempt = 0; attempt < 3 && !m_hidProvider->isOpen(); ++attempt) {
            m_dispatcher->firstConnection();
        }
        QVERIFY(m_hidProvider->isOpen());
        m_hid->writes.clear();
    }

private slots:
    void init() {
        m_hid = std::make_shared<FakeHidApi>();
        m_hidProvider = std::make_unique<HidApiIoDataProvider>(m_hid);
        m_scripted = std::make_unique<ScriptedProvider>();
        m_dispatcher = std::make_unique<DeviceEventDispatcher>();
        m_kind = new TestDeviceKind(m_dispatcher->deviceBridge());
        m_dispatcher->registerDeviceKind(m_kind);
    }
    void cleanup() {
        m_dispatcher.reset();
        m_hidProvider.reset();
        m_scripted.reset();
        deletePostedCommands();
    }

    // One command leaves per tick; null and deleted ones are skipped.
    void queuedCommandsLeaveOnePerTick() {
        m_dispatcher->queueCommand(nullptr);
        QCOMPARE(m_dispatcher->queuedCommandCount(), 0);
        connectHid();
        QPointer<TestCommand> first = new TestCommand(QByteArray::fromHex("05"));
        QPointer<TestCommand> second = new TestCommand(QByteArray::fromHex("0203"));
        QObject owner;
        TestCommand owned(QByteArray::fromHex("13"), &owner);
        auto* doomed = new TestCommand(QByteArray::fromHex("01"));
        m_dispatcher->queueCommand(doomed);
        m_dispatcher->queueCommand(first);
        m_dispatcher->queueCommand(second);
        m_dispatcher->queueCommand(&owned);
        delete doomed;
        QList<const DeviceCommand*> sent;
        connect(m_dispatcher.get(), &DeviceEventDispatcher::commandSent, this,
                [&sent](const DeviceCommand* command) { sent << command; });
        // Three ticks: the deleted command takes none.
        for (int tick = 0; tick < 3; ++tick) {
            m_dispatcher->processSingleCommand();
        }
        QCOMPARE(m_hid->writes,
                 (QList<QByteArray>{QByteArray::fromHex("010005") + QByteArray(58, 0),
                                    QByteArray::fromHex("01010203") + QByteArray(57, 0),
                                    QByteArray::fromHex("010213") + QByteArray(58, 0)}));
        QCOMPARE(sent, (QList<const DeviceCommand*>{first.data(), second.data(), &owned}));
        QCOMPARE(m_dispatcher->queuedCommandCount(), 0);
        m_dispatcher->processSingleCommand();
        QCOMPARE(m_hid->writes.size(), 3);

        // Commands without a parent die after sending; an owned one is left to its owner.
        deletePostedCommands();
        QVERIFY(first.isNull());
        QVERIFY(second.isNull());
        QCOMPARE(owned.executions, 1);
    }

    void commandIntoARestedQueueLeavesAtOnce() {
        connectHid();
        constexpr int kIntervalMs = 300;
        m_dispatcher->setQueueTimeInterval(kIntervalMs);
        // Nothing has left yet: the first command waits for the first tick.
        m_dispatcher->queueCommand(new TestCommand(QByteArray::fromHex("05")));
        QTest::qWait(kIntervalMs / 3);
        QCOMPARE(m_hid->writes.size(), 0);
        QTRY_COMPARE(m_hid->writes.size(), 1);
        QTRY_COMPARE(m_dispatcher->state(), 0);
        // The last one left at least an interval ago: it leaves from the event loop at
        // once, not from inside queueCommand().
        m_dispatcher->queueCommand(new TestCommand(QByteArray::fromHex("05")));
        QCOMPARE(m_hid->writes.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_hid->writes.size(), 2, kIntervalMs / 3);
        // The next one keeps a whole interval from it.
        m_dispatcher->queueCommand(new TestCommand(QByteArray::fromHex("05")));
        QTest::qWait(kIntervalMs / 3);
        QCOMPARE(m_hid->writes.size(), 2);
        QTRY_COMPARE(m_hid->writes.size(), 3);
    }

    void packetIndexWrapsAfter255() {
        connectHid();
        for (int i = 0; i < 257; ++i) {
            m_dispatcher->queueCommand(new TestCommand(QByteArray::fromHex("05")));
            m_dispatcher->processSingleCommand();
        }
        QCOMPARE(m_hid->writes.size(), 257);
        QCOMPARE(m_hid->writes.at(0).left(3), QByteArray::fromHex("010005"));
        QCOMPARE(m_hid->writes.at(255).left(3), QByteArray::fromHex("01ff05"));
        QCOMPARE(m_hid->writes.at(256).left(3), QByteArray::fromHex("010005"));
        QCOMPARE(m_dispatcher->packetIndex(), quint8(1));
    }

    void packetsReachTheDelegateOfTheirCode_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("route");       // delegate per packet, "-" for none
        QTest::addColumn<QList<int>>("packetSizes");  // below 60: an incomplete packet
        QTest::addRow("code 3 goes to the name that sorts first")
            << report(3) << QStringList{"Alpha"} << QList<int>{60};
        QTest::addRow("code 2") << report(2) << QStringList{"Beta"} << QList<int>{60};
        QTest::addRow("code 30 is unknown") << report(30) << QStringList{"-"} << QList<int>{60};
        QTest::addRow("122 bytes are two packets")
            << report(1) + report(3) << QStringList{"Beta", "Alpha"} << QList<int>{60, 60};
        // 61 + 9: the tail is delivered, after a warning, as a short packet.
        QTest::addRow("70 bytes leave a 9-byte tail")
            << report(3) + QByteArray::fromHex("01110200000000000a") << QStringList{"Alpha", "Beta"}
            << QList<int>{60, 8};
        QTest::addRow("one byte report")
            << QByteArray::fromHex("01") << QStringList{"-"} << QList<int>{0};
        QTest::addRow("short packet without code")
            << QByteArray::fromHex("0111") << QStringList{"-"} << QList<int>{1};
    }
    void packetsReachTheDelegateOfTheirCode() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, route);
        QFETCH(QList<int>, packetSizes);
        useScripted();
        m_scripted->setPacketSize(61);
        QVERIFY(m_dispatcher->setDeviceKind(0x25C8, 0x14));
        QSignalSpy arrived(m_dispatcher.get(), &DeviceEventDispatcher::newDataArrived);
        LogSpy log;
        m_scripted->batches.append({input});
        m_dispatcher->checkNewDataArrived();

        QList<QByteArray> expectedPackets;
        QByteArray rest = input;
        for (int size : packetSizes) {
            expectedPackets.append(rest.mid(1, size));
            rest.remove(0, size + 1);
        }
        QMap<QString, QList<QByteArray>> expected;
        int unknown = 0;
        int fullPackets = 0;  // full packets of a known code are announced
        int incomplete = 0;
        for (int i = 0; i < route.size(); ++i) {
            if (route.at(i) == QLatin1String("-")) {
                ++unknown;
            } else {
                expected[route.at(i)].append(expectedPackets.at(i));
                fullPackets += packetSizes.at(i) == 60 ? 1 : 0;
            }
            incomplete += packetSizes.at(i) < 60 ? 1 : 0;
        }
        for (const QString name : {"Alpha", "Beta", "Gamma"}) {
            QCOMPARE(m_kind->delegate(name)->packets, expected.value(name));
            QCOMPARE(m_kind->delegate(name)->hasData(), expected.contains(name));
        }
        QCOMPARE(log.countContaining(SillyLogger::Warning, QStringLiteral("Ignoring unknown")),
                 unknown);
        QCOMPARE(arrived.count(), fullPackets);
        QCOMPARE(log.countContaining(SillyLogger::Warning, QStringLiteral("Incomplete packet")),
                 incomplete);
        QCOMPARE(m_dispatcher->lastDelegate() == nullptr, route.last() == QLatin1String("-"));
    }

    void packetSize_data() {
        QTest::addColumn<int>("inputLength");  // -1: no device information
        QTest::addColumn<int>("reportSize");
        QTest::addColumn<int>("packets");
        QTest::addRow("no information: HID report size") << -1 << 122 << 2;
        QTest::addRow("nonsensical size 0: HID report size") << 0 << 122 << 2;
        QTest::addRow("recorded size 31") << 31 << 62 << 2;
        QTest::addRow("recorded size 61") << 61 << 61 << 1;
    }
    void packetSize() {
        QFETCH(int, inputLength);
        QFETCH(int, reportSize);
        QFETCH(int, packets);
        useScripted();
        if (inputLength >= 0) {
            m_scripted->setPacketSize(static_cast<quint32>(inputLength));
        }
        QByteArray data(reportSize, '\x01');
        int cut = 0;
        while (!data.isEmpty() && cut <= reportSize) {
            m_dispatcher->spliceChunk(data);
            ++cut;
        }
        QCOMPARE(cut, packets);
    }

    void withoutCurrentKindLookupsGiveNull() {
        useScripted();
        m_scripted->setPacketSize(61);
        QVERIFY(m_dispatcher->responseDelegate(QStringLiteral("Alpha")) == nullptr);
        QVERIFY(m_dispatcher->findResponseDelegate(report(3).mid(1)) == nullptr);
        LogSpy log;
        m_scripted->batches.append({report(3)});
        m_dispatcher->checkNewDataArrived();
        QVERIFY(m_kind->delegate(QStringLiteral("Alpha"))->packets.isEmpty());
        QCOMPARE(log.countContaining(SillyLogger::Warning, QStringLiteral("Ignoring unknown")), 1);
    }

    // A replay takes the kind from the device its log names; without a known device the
    // kind in use is kept.
    void kindIsTakenFromTheProvidersDevice_data() {
        QTest::addColumn<bool>("hasInfo");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<bool>("taken");
        QTest::addRow("known device") << true << 0x14C8 << 5 << true;
        QTest::addRow("unknown device") << true << 0x14C8 << 6 << false;
        QTest::addRow("no information") << false << 0 << 0 << false;
    }
    void kindIsTakenFromTheProvidersDevice() {
        QFETCH(bool, hasInfo);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(bool, taken);
        useScripted();
        if (hasInfo) {
            m_scripted->setPacketSize(61);
            m_scripted->deviceInfo->vendorId = quint32(vid);
            m_scripted->deviceInfo->productId = quint32(pid);
        }
        QCOMPARE(m_dispatcher->takeDeviceKindFromProvider(), taken);
        QCOMPARE(m_dispatcher->responseDelegate(QStringLiteral("Alpha")),
                 taken ? m_kind->delegateByName(QStringLiteral("Alpha")) : nullptr);
    }

    void providersAreChosenByName() {
        ScriptedProvider other;
        useScripted();
        QVERIFY(m_dispatcher->setDeviceIoDataProvider(QStringLiteral("Nonexistent")) == nullptr);
        QCOMPARE(m_dispatcher->ioProvider(), m_scripted.get());
        // A provider of a name already taken replaces the first.
        m_dispatcher->registerDeviceIoDataProvider(&other);
        QCOMPARE(m_dispatcher->setDeviceIoDataProvider(QStringLiteral("Scripted")), &other);
    }

    void firstConnectionRotatesThroughTheKnownPairs() {
        useHid();
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!m_dispatcher->firstConnection());
        }
        QCOMPARE(m_hid->openAttempts,
                 (QList<Pair>{{0x25C8, 0x14}, {0x102E, 0x14}, {0x14C8, 5}, {0x25C8, 0x14}}));

        QSignalSpy plugged(m_hidProvider.get(), &DeviceIoDataProvider::devicePlugged);
        m_hid->attach(0x14C8, 5);
        QVERIFY(!m_dispatcher->firstConnection());  // 0x102E
        QVERIFY(m_dispatcher->firstConnection());   // 0x14C8
        QCOMPARE(plugged.count(), 2);               // the provider's own and the dispatcher's
        QCOMPARE(m_dispatcher->deviceBridge()->currentDevice(), m_kind);
        QVERIFY(!m_dispatcher->isOrvelloVid());
        QCOMPARE(m_dispatcher->vidPidRotation(), m_kind->vidPidList());
    }

    void pairThatNoKindOwnsKeepsTheConnection() {
        DeviceEventDispatcher bare;
        bare.registerDeviceIoDataProvider(m_hidProvider.get());
        bare.setDeviceIoDataProvider(m_hidProvider->name());
        QVERIFY(bare.vidPidRotation().isEmpty());
        m_hid->attach(0, 0);
        QVERIFY(bare.firstConnection());
        QVERIFY(m_hidProvider->isOpen());
        QVERIFY(bare.deviceBridge()->currentDevice() == nullptr);
    }

    void checkNewVidPidWaitsForTheDeviceAndIsNotReentered() {
        useHid();
        m_dispatcher->setConnectionRetryInterval(1);
        QSignalSpy plugged(m_hidProvider.get(), &DeviceIoDataProvider::devicePlugged);
        bool waitingDuringNestedCall = false;
        int attemptsOfNestedCall = -1;
        QTimer::singleShot(0, this, [&] {
            waitingDuringNestedCall = m_dispatcher->isWaitingForDevice();
            m_hid->attach(0x25C8, 0x14);
            const int before = m_hid->openCalls;
            m_dispatcher->checkNewVidPid();  // must return at once, without an attempt
            attemptsOfNestedCall = m_hid->openCalls - before;
        });
        m_dispatcher->checkNewVidPid();
        QVERIFY(waitingDuringNestedCall);
        QCOMPARE(attemptsOfNestedCall, 0);
        QVERIFY(!m_dispatcher->isWaitingForDevice());
        QVERIFY(m_hidProvider->isOpen());
        QCOMPARE(m_dispatcher->deviceBridge()->currentDevice(), m_kind);
        QCOMPARE(plugged.count(), 3);  // provider, first connection, end of the search
        QVERIFY(m_dispatcher->isOrvelloVid());
    }

    // Quitting makes every event loop return at once, so a search that only waited on its
    // pause would spin through open attempts for ever; it must end instead.
    void quitEndsTheSearch_data() {
        QTest::addColumn<bool>("quitFirst");
        QTest::addRow("quit while waiting") << false;
        QTest::addRow("quit before the search") << true;
    }
    void quitEndsTheSearch() {
        QFETCH(bool, quitFirst);
        useHid();
        m_dispatcher->setConnectionRetryInterval(1);
        LogSpy log;
        // A search that failed to stop is stopped here, so the test fails instead of hanging.
        m_hid->onOpen = [this] {
            if (m_hid->openCalls > 1000) {
                m_dispatcher->StopCommunication();
            }
        };
        QTimer::singleShot(0, this, [this, quitFirst] {
            if (quitFirst) {
                QCoreApplication::quit();
            }
            emit m_hidProvider->deviceFirstConnection();
        });
        if (!quitFirst) {
            QTimer::singleShot(20, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        QCoreApplication::exec();
        QVERIFY(!m_dispatcher->isWaitingForDevice());
        QVERIFY(!m_dispatcher->isCommunicationStopped());
        QVERIFY(m_hid->openCalls >= 1);
        QVERIFY(m_hid->openCalls < 100);
        QCOMPARE(log.count(SillyLogger::Information,
                           "Search for the device ended: the application is quitting."),
                 1);
    }

    // Set commands were built from the controller's blocks before the loss; sent after
    // its return they would undo what it holds now, so they never reach it.
    void setCommandsAreDroppedWhenTheControllerIsLost_data() {
        QTest::addColumn<bool>("listed");
        QTest::addRow("unplugged") << false;
        QTest::addRow("read errors while listed") << true;
    }
    void setCommandsAreDroppedWhenTheControllerIsLost() {
        QFETCH(bool, listed);
        connectHid();
        QPointer<TestCommand> staleSet = new TestSetCommand(QByteArray::fromHex("04aa"));
        QPointer<TestCommand> get = new TestCommand(QByteArray::fromHex("05"));
        m_dispatcher->queueCommand(staleSet);
        m_dispatcher->queueCommand(get);
        LogSpy log;
        if (listed) {
            m_hid->invalidateOpenHandles();
            m_hidProvider->getData();
        } else {
            m_hid->detach();
            m_hidProvider->onRescan();
        }
        QVERIFY(m_dispatcher->isControllerLost());
        QCOMPARE(m_dispatcher->queuedCommandCount(), 1);
        QCOMPARE(log.messages(SillyLogger::Warning).filter("set commands dropped").size(), 1);
        QPointer<TestCommand> lateSet = new TestSetCommand(QByteArray::fromHex("04cc"));
        m_dispatcher->queueCommand(lateSet);
        QCOMPARE(m_dispatcher->queuedCommandCount(), 1);
        deletePostedCommands();
        QVERIFY(staleSet.isNull());
        QVERIFY(lateSet.isNull());
        QVERIFY(!get.isNull());

        m_hid->attach(0x25C8, 0x14);
        for (int scan = 0; scan < 10 && !m_hidProvider->isOpen(); ++scan) {
            m_hidProvider->onRescan();
        }
        QVERIFY(!m_dispatcher->isControllerLost());
        m_dispatcher->queueCommand(new TestSetCommand(QByteArray::fromHex("04bb")));
        m_dispatcher->processSingleCommand();
        m_dispatcher->processSingleCommand();
        QCOMPARE(m_hid->writes.size(), 2);
        QCOMPARE(m_hid->writes.at(0).mid(2, 1), QByteArray::fromHex("05"));
        QCOMPARE(m_hid->writes.at(1).mid(2, 2), QByteArray::fromHex("04bb"));
    }

    void stopCommunicationEndsTheSearch() {
        useHid();
        m_dispatcher->setConnectionRetryInterval(1);
        QTimer::singleShot(0, m_dispatcher.get(), &DeviceEventDispatcher::StopCommunication);
        m_dispatcher->checkNewVidPid();
        QVERIFY(!m_dispatcher->isWaitingForDevice());
        QVERIFY(!m_hidProvider->isOpen());
        QVERIFY(m_dispatcher->isCommunicationStopped());
    }

    void providerAsksForTheSearchAfterARestart() {
        connectHid();
        m_hidProvider->onRescan();
        m_dispatcher->setConnectionRetryInterval(1);
        QVERIFY(m_hidProvider->setRescanInterval(250));
        m_hid->detach();
        for (int scan = 0; scan < 4; ++scan) {
            m_hidProvider->onRescan();
        }
        QVERIFY(!m_hidProvider->isOpen());
        // The unit comes back under its second pair while the dispatcher searches.
        QTimer::singleShot(0, this, [this] { m_hid->attach(0x102E, 0x14); });
        m_hidProvider->onRescan();
        QVERIFY(m_hidProvider->isOpen());
        QCOMPARE(m_hidProvider->info()->vendorId, 0x102Eu);
        QVERIFY(!m_dispatcher->isWaitingForDevice());
    }

    void stopCommunicationSilencesTheLink() {
        connectHid();
        m_dispatcher->setDefaultTimeIntervals(1, 1);
        m_dispatcher->startReceiverTimer();
        QVERIFY(m_dispatcher->StopCommunication());
        QVERIFY(!m_hidProvider->isOpen());
        QVERIFY(!m_dispatcher->isReceiverTimerActive());
        m_hid->attach(0x25C8, 0x14);
        QVERIFY(m_hidProvider->deviceConnect(QString(), 0x25C8, 0x14));
        m_hid->queueReport(report(3));
        m_dispatcher->queueCommand(new TestCommand(QByteArray::fromHex("05")));
        m_dispatcher->startReceiverTimer();
        // A timer of the same interval ticks many times; the dispatcher's must not act.
        QTimer reference;
        int ticks = 0;
        connect(&reference, &QTimer::timeout, this, [&ticks] { ++ticks; });
        reference.start(1);
        QTRY_VERIFY(ticks >= 20);
        QVERIFY(m_hid->writes.isEmpty());
        QCOMPARE(m_hid->pendingReads(), 1);
        QVERIFY(m_kind->delegate(QStringLiteral("Alpha"))->packets.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_DeviceEventDispatcher)
#include "tst_DeviceEventDispatcher.moc"
