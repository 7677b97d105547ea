#include <QtTest>

#include <functional>
#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceCommand.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceResponseDelegate.h"
#include "logging/LogMacros.h"
#include "protocol/PomelarCommandFactory.h"
#include "protocol/PomelarKind.h"

using KindBuilder = std::function<DeviceCommand*(const PomelarCommandFactory&)>;
Q_DECLARE_METATYPE(KindBuilder)

class tst_PomelarKind : public QObject {
    Q_OBJECT

private slots:
    void knowsOurThreePairsInOrder() {
        QObject owner;
        PomelarKind kind(&owner);
        QCOMPARE(kind.objectName(), QStringLiteral("PomelarKind"));
        QCOMPARE(kind.vidPidList(),
                 (QList<DeviceUsbVidPid>{{0x25C8, 0x0014}, {0x102E, 0x0014}, {0x14C8, 0x0005}}));
        QVERIFY(kind.isVidPidOwned(0x25C8, 0x0014));
        QVERIFY(!kind.isVidPidOwned(0x25C8, 0x0005));
        QVERIFY(dynamic_cast<PomelarCommandFactory*>(kind.commandFactory()) != nullptr);
    }

    void dispatcherTriesThePairsAndRecognisesTheKind() {
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        QCOMPARE(dispatcher.vidPidRotation(),
                 (QList<DeviceUsbVidPid>{{0x25C8, 0x14}, {0x102E, 0x14}, {0x14C8, 5}}));
        QCOMPARE(dispatcher.deviceBridge()->nameFromVidPid(0x14C8, 5),
                 QStringLiteral("PomelarKind"));
        QVERIFY(dispatcher.setDeviceKind(0x102E, 0x14));
        QCOMPARE(dispatcher.deviceBridge()->currentDevice()->objectName(),
                 QStringLiteral("PomelarKind"));
    }

    void builderBytes_data() {
        QTest::addColumn<KindBuilder>("build");
        QTest::addColumn<QByteArray>("bytes");
        using F = PomelarCommandFactory;
        QTest::addRow("softReset") << KindBuilder(&F::softReset) << QByteArray::fromHex("01");
        QTest::addRow("getVersion") << KindBuilder(&F::getVersion) << QByteArray::fromHex("02");
        QTest::addRow("getCopyright") << KindBuilder(&F::getCopyright) << QByteArray::fromHex("03");
        QTest::addRow("getParams") << KindBuilder(&F::getParams) << QByteArray::fromHex("05");
        QTest::addRow("saveParamsToFlash")
            << KindBuilder(&F::saveParamsToFlash) << QByteArray::fromHex("06");
        QTest::addRow("loadParamsFromFlash")
            << KindBuilder(&F::loadParamsFromFlash) << QByteArray::fromHex("07");
        QTest::addRow("loadDefaults") << KindBuilder(&F::loadDefaults) << QByteArray::fromHex("08");
        QTest::addRow("eraseFlashContent")
            << KindBuilder(&F::eraseFlashContent) << QByteArray::fromHex("09");
        QTest::addRow("calibration3")
            << KindBuilder([](const F& f) { return f.calibration3(QByteArray::fromHex("a1b2c3")); })
            << QByteArray::fromHex("0ea1b2c3");
        QTest::addRow("getFilterAB") << KindBuilder(&F::getFilterAB) << QByteArray::fromHex("13");
        QTest::addRow("getTrackerParams")
            << KindBuilder(&F::getTrackerParams) << QByteArray::fromHex("24");
        QTest::addRow("storeClear") << KindBuilder(&F::storeClear) << QByteArray::fromHex("14");
        QTest::addRow("storeIsClear") << KindBuilder(&F::storeIsClear) << QByteArray::fromHex("15");
        QTest::addRow("headerGetParams")
            << KindBuilder(&F::headerGetParams) << QByteArray::fromHex("17");
        QTest::addRow("itemSetParams")
            << KindBuilder([](const F& f) { return f.itemSetParams(QByteArray::fromHex("0102")); })
            << QByteArray::fromHex("180102");
        QTest::addRow("itemGetParams")
            << KindBuilder(&F::itemGetParams) << QByteArray::fromHex("19");
        QTest::addRow("updateIsReady")
            << KindBuilder(&F::updateIsReady) << QByteArray::fromHex("1a");
        QTest::addRow("updatePerform")
            << KindBuilder(&F::updatePerform) << QByteArray::fromHex("1b");
        QTest::addRow("request 29")
            << KindBuilder(&F::updateRequest29) << QByteArray::fromHex("1d");
        QTest::addRow("request 28")
            << KindBuilder([](const F& f) { return f.updateRequest28(QByteArray::fromHex("ff")); })
            << QByteArray::fromHex("1cff");
        QTest::addRow("request 30")
            << KindBuilder(&F::updateRequest30) << QByteArray::fromHex("1e");
        QTest::addRow("getZoneFilterA")
            << KindBuilder(&F::getZoneFilterA) << QByteArray::fromHex("21");
        QTest::addRow("getZoneFilterB")
            << KindBuilder(&F::getZoneFilterB) << QByteArray::fromHex("22");
        // A received block (frame byte, response code 3, data) travels without its first
        // two bytes behind opcode 4.
        QTest::addRow("setParams") << KindBuilder([](const F& f) {
            return f.setParams(QByteArray::fromHex("0703aabbcc"));
        }) << QByteArray::fromHex("04aabbcc");
        QTest::addRow("setFilterAB") << KindBuilder([](const F& f) {
            return f.setFilterAB(QByteArray::fromHex("00150001000011"));
        }) << QByteArray::fromHex("120001000011");
        QTest::addRow("setTrackerParams") << KindBuilder([](const F& f) {
            return f.setTrackerParams(QByteArray::fromHex("0025000100"));
        }) << QByteArray::fromHex("23000100");
        QTest::addRow("setZoneFilterA") << KindBuilder([](const F& f) {
            return f.setZoneFilterA(QByteArray::fromHex("0a0b0c"));
        }) << QByteArray::fromHex("1f030a0b0c");
        QTest::addRow("setZoneFilterB")
            << KindBuilder([](const F& f) { return f.setZoneFilterB(QByteArray::fromHex("01")); })
            << QByteArray::fromHex("200101");
    }
    void builderBytes() {
        QFETCH(KindBuilder, build);
        QFETCH(QByteArray, bytes);
        const PomelarCommandFactory factory;
        std::unique_ptr<DeviceCommand> command(build(factory));
        QVERIFY(command != nullptr);
        QVERIFY(command->parent() == nullptr);
        QCOMPARE(command->execute(), bytes);
    }

    void currentParametersPacketReachesItsDelegate() {
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        QVERIFY(dispatcher.setDeviceKind(0x25C8, 0x14));
        DeviceResponseDelegate* parameters = dispatcher.responseDelegate("CurrentParameters");
        QVERIFY(parameters != nullptr);
        QByteArray packet(60, '\0');
        packet[1] = 3;
        QCOMPARE(dispatcher.findResponseDelegate(packet), parameters);
        packet[1] = 0x7E;
        QCOMPARE(dispatcher.findResponseDelegate(packet), nullptr);
    }

    void everyResponseCodeReachesItsDelegate_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("delegateName");
        QTest::addRow("version") << 1 << "VersionAndCopyright";
        QTest::addRow("copyright") << 2 << "VersionAndCopyright";
        QTest::addRow("edge A") << 4 << "ProcessedEdge";
        QTest::addRow("edge B") << 5 << "ProcessedEdge";
        QTest::addRow("scan A") << 8 << "ProcessedScan";
        QTest::addRow("scan B") << 9 << "ProcessedScan";
        QTest::addRow("scan area A") << 12 << "ScanArea";
        QTest::addRow("scan area B") << 13 << "ScanArea";
        QTest::addRow("untracked finger") << 18 << "UntrackedFinger";
        QTest::addRow("filter") << 21 << "FilterAB";
        QTest::addRow("zone filter A") << 35 << "ZoneFilterAB";
        QTest::addRow("zone filter B") << 36 << "ZoneFilterAB";
        QTest::addRow("tracker") << 37 << "TrackerParams";
        QTest::addRow("diagnostics A") << 40 << "OutputDiagnostics";
        QTest::addRow("diagnostics B") << 41 << "OutputDiagnostics";
    }
    void everyResponseCodeReachesItsDelegate() {
        QFETCH(int, code);
        QFETCH(QString, delegateName);
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        QVERIFY(dispatcher.setDeviceKind(0x25C8, 0x14));
        DeviceResponseDelegate* delegate = dispatcher.responseDelegate(delegateName);
        QVERIFY(delegate != nullptr);
        QCOMPARE(delegate->name(), delegateName);
        QByteArray packet(60, '\0');
        packet[1] = char(code);
        QCOMPARE(dispatcher.findResponseDelegate(packet), delegate);
    }

    void delegatesAreRegisteredInOrder() {
        QSignalSpy log(SillyLogger::instance(), &SillyLogger::logMessageSignal);
        SillyLogger::instance()->setFilter(SillyLogger::Information);
        QObject owner;
        PomelarKind kind(&owner);
        SillyLogger::instance()->setFilter(0);
        QStringList registered;
        for (const QList<QVariant>& call : log) {
            const QString text = call.at(1).toString();
            const QString marker = QStringLiteral("Item added to response registry: ");
            if (text.contains(marker)) {
                registered << text.mid(text.indexOf(marker) + marker.size());
            }
        }
        QCOMPARE(registered,
                 (QStringList{"CurrentParameters", "ProcessedEdge", "ProcessedScan",
                              "VersionAndCopyright", "UntrackedFinger", "FilterAB", "TrackerParams",
                              "ZoneFilterAB", "OutputDiagnostics", "ScanArea"}));
        for (const QString& name : registered) {
            QCOMPARE(kind.delegateByName(name)->parent(), &kind);
        }
    }

    void secondFactoryReplacesTheFirst() {
        QObject owner;
        PomelarKind kind(&owner);
        const std::weak_ptr<DeviceCommandFactory> first = kind.commandFactoryShared();
        auto* second = new PomelarCommandFactory();
        kind.setCommandFactory(second);
        QCOMPARE(kind.commandFactory(), second);
        QVERIFY(first.expired());
    }
};

QTEST_GUILESS_MAIN(tst_PomelarKind)
#include "tst_PomelarKind.moc"
