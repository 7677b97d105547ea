#include <QtTest>

#include <functional>
#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceCommand.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceResponseDelegate.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/PomelarCommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/SimpleCommand.h"

using KindBuilder = std::function<DeviceCommand*(const PomelarCommandFactory&)>;
using PlainBuilder = std::function<DeviceCommand*()>;
Q_DECLARE_METATYPE(KindBuilder)
Q_DECLARE_METATYPE(PlainBuilder)

namespace {
using F = PomelarCommandFactory;
using C = CommandFactory;

// One opcode table for both builders: the kind's factory and, where the tool also builds
// the command without a kind, the plain factory.
void row(const char* name, KindBuilder kind, const QByteArray& bytes, PlainBuilder plain = {}) {
    QTest::newRow(name) << kind << plain << QByteArray::fromHex(bytes);
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
}  // namespace

class tst_PomelarKind : public QObject {
    Q_OBJECT

private slots:
    // The USB ids the controller is looked for under, in the order they are tried.
    void pairsAreTriedInOrderAndRecogniseTheKind() {
        DeviceEventDispatcher dispatcher;
        auto* kind = new PomelarKind(dispatcher.deviceBridge());
        dispatcher.registerDeviceKind(kind);
        const QList<DeviceUsbVidPid> pairs{{0x25C8, 0x14}, {0x102E, 0x14}, {0x14C8, 5}};
        QCOMPARE(kind->vidPidList(), pairs);
        QCOMPARE(dispatcher.vidPidRotation(), pairs);
        QVERIFY(!kind->isVidPidOwned(0x25C8, 0x0005));
        QVERIFY(dispatcher.setDeviceKind(0x102E, 0x14));
        QCOMPARE(dispatcher.deviceBridge()->currentDevice(), kind);
    }

    void builderBytes_data() {
        QTest::addColumn<KindBuilder>("build");
        QTest::addColumn<PlainBuilder>("plain");
        QTest::addColumn<QByteArray>("bytes");
        row("softReset", &F::softReset, "01", &C::softReset);
        row("getVersion", &F::getVersion, "02", &C::getVersion);
        row("getCopyright", &F::getCopyright, "03", &C::getCopyright);
        row("getParams", &F::getParams, "05", &C::getParams);
        row("saveParamsToFlash", &F::saveParamsToFlash, "06", &C::saveParamsToFlash);
        row("loadParamsFromFlash", &F::loadParamsFromFlash, "07", &C::loadParamsFromFlash);
        row("loadDefaults", &F::loadDefaults, "08", &C::loadDefaults);
        row("eraseFlashContent", &F::eraseFlashContent, "09", &C::eraseFlashContent);
        row(
            "calibration3", [](const F& f) { return f.calibration3(hex("a1b2c3")); }, "0ea1b2c3",
            [] { return C::calibration3(hex("a1b2c3")); });
        row("getFilterAB", &F::getFilterAB, "13", &C::getFilterAB);
        row("storeClear", &F::storeClear, "14", &C::storeClear);
        row("storeIsClear", &F::storeIsClear, "15");
        row("headerGetParams", &F::headerGetParams, "17", &C::headerGetParams);
        row(
            "itemSetParams", [](const F& f) { return f.itemSetParams(hex("0102")); }, "180102");
        row("itemGetParams", &F::itemGetParams, "19");
        row("updateIsReady", &F::updateIsReady, "1a", &C::updateIsReady);
        row("updatePerform", &F::updatePerform, "1b", &C::updatePerform);
        row(
            "request 28", [](const F& f) { return f.updateRequest28(hex("ff")); }, "1cff");
        row("request 29", &F::updateRequest29, "1d");
        row("request 30", &F::updateRequest30, "1e");
        row("getZoneFilterA", &F::getZoneFilterA, "21", &C::getZoneFilterA);
        row("getZoneFilterB", &F::getZoneFilterB, "22", &C::getZoneFilterB);
        row("getTrackerParams", &F::getTrackerParams, "24", &C::getTrackerParams);
        // A received block (frame byte, response code, data) travels without its first two
        // bytes behind the set opcode.
        row(
            "setParams", [](const F& f) { return f.setParams(hex("0703aabbcc")); }, "04aabbcc",
            [] { return C::setParams(hex("0703aabbcc")); });
        // Filter and tracker commands are built only from whole reports (60 bytes).
        row(
            "setFilterAB",
            [](const F& f) { return f.setFilterAB(hex("001500010000") + QByteArray(54, 0x11)); },
            "1200010000" + QByteArray(54, 0x11).toHex(),
            [] { return C::setFilterAB(hex("001500010000") + QByteArray(54, 0x11)); });
        row(
            "setTrackerParams",
            [](const F& f) {
                return f.setTrackerParams(hex("002500010000") + QByteArray(54, 0x22));
            },
            "2300010000" + QByteArray(54, 0x22).toHex(),
            [] { return C::setTrackerParams(hex("002500010000") + QByteArray(54, 0x22)); });
        row(
            "setZoneFilterA", [](const F& f) { return f.setZoneFilterA(hex("0a0b0c")); },
            "1f030a0b0c", [] { return C::setZoneFilterA(hex("0a0b0c")); });
        row(
            "setZoneFilterB", [](const F& f) { return f.setZoneFilterB(hex("01")); }, "200101",
            [] { return C::setZoneFilterB(hex("01")); });
    }
    void builderBytes() {
        QFETCH(KindBuilder, build);
        QFETCH(PlainBuilder, plain);
        QFETCH(QByteArray, bytes);
        const PomelarCommandFactory factory;
        std::unique_ptr<DeviceCommand> command(build(factory));
        QVERIFY(command != nullptr);
        QVERIFY(command->parent() == nullptr);
        QCOMPARE(command->execute(), bytes);
        if (plain) {
            std::unique_ptr<DeviceCommand> same(plain());
            QVERIFY(same->parent() == nullptr);
            QCOMPARE(same->execute(), bytes);
        }
    }

    // Every delegate's code check, through the dispatcher that asks them all in turn.
    void everyResponseReachesItsDelegate_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("delegateName");  // empty: nobody takes it
        const QList<QPair<int, QString>> codes{{1, "VersionAndCopyright"},
                                               {2, "VersionAndCopyright"},
                                               {3, "CurrentParameters"},
                                               {4, "ProcessedEdge"},
                                               {5, "ProcessedEdge"},
                                               {8, "ProcessedScan"},
                                               {9, "ProcessedScan"},
                                               {12, "ScanArea"},
                                               {13, "ScanArea"},
                                               {18, "UntrackedFinger"},
                                               {21, "FilterAB"},
                                               {22, "FirmwareUpdate"},
                                               {25, "FirmwareUpdate"},
                                               {29, "FirmwareUpdate"},
                                               {35, "ZoneFilterAB"},
                                               {36, "ZoneFilterAB"},
                                               {37, "TrackerParams"},
                                               {40, "OutputDiagnostics"},
                                               {41, "OutputDiagnostics"},
                                               {0, ""},
                                               {6, ""},
                                               {14, ""},
                                               {19, ""},
                                               {30, ""},
                                               {34, ""},
                                               {42, ""},
                                               {0x83, ""}};
        for (const auto& code : codes) {
            QByteArray packet(60, '\0');
            packet[1] = char(code.first);
            QTest::addRow("code %d", code.first) << packet << code.second;
        }
        // The code sits in byte 1: a lone byte or nothing is never understood.
        QTest::addRow("code in frame byte") << hex("0300") << QString();
        QTest::addRow("one byte") << hex("03") << QString();
        QTest::addRow("empty") << QByteArray() << QString();
    }
    void everyResponseReachesItsDelegate() {
        QFETCH(QByteArray, packet);
        QFETCH(QString, delegateName);
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        QVERIFY(dispatcher.setDeviceKind(0x25C8, 0x14));
        DeviceResponseDelegate* expected = nullptr;
        if (!delegateName.isEmpty()) {
            expected = dispatcher.responseDelegate(delegateName);
            QVERIFY(expected != nullptr);
            QCOMPARE(expected->name(), delegateName);
        }
        QCOMPARE(dispatcher.findResponseDelegate(packet), expected);
    }
};

QTEST_GUILESS_MAIN(tst_PomelarKind)
#include "tst_PomelarKind.moc"
