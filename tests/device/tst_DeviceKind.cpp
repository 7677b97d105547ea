#include <QPointer>
#include <QtTest>

#include "device/DeviceBridge.h"
#include "TestDeviceKind.h"

namespace {
// A kind with one given pair and no delegates.
class PairKind : public DeviceKind {
public:
    PairKind(QObject* parent, const QString& name, DeviceUsbVidPid pair)
        : DeviceKind(parent), m_pair(pair) {
        setObjectName(name);
        initialize();
    }

protected:
    void registerVidPids() override { setUsbPidList({m_pair}); }
    void registerDelegates() override {}
    void createCommandFactory() override {}

private:
    DeviceUsbVidPid m_pair;
};
}  // namespace

class tst_DeviceKind : public QObject {
    Q_OBJECT

private slots:
    void ownsItsPairsOnly_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<bool>("owned");
        QTest::addRow("first pair") << 0x25C8 << 0x14 << true;
        QTest::addRow("third pair") << 0x14C8 << 0x5 << true;
        QTest::addRow("vid of one, pid of another") << 0x25C8 << 0x5 << false;
        QTest::addRow("nothing") << 0 << 0 << false;
    }
    void ownsItsPairsOnly() {
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(bool, owned);
        QObject owner;
        TestDeviceKind kind(&owner);
        QCOMPARE(kind.isVidPidOwned(vid, pid), owned);
    }

    void delegatesAreFoundByNameAndRoutedInNameOrder() {
        QObject owner;
        TestDeviceKind kind(&owner);
        QCOMPARE(kind.delegateNames(), (QStringList{"Alpha", "Beta", "Gamma"}));
        QCOMPARE(kind.delegateByName(QStringLiteral("Beta"))->name(), QStringLiteral("Beta"));
        QVERIFY(kind.delegateByName(QStringLiteral("Delta")) == nullptr);
        // Alpha and Gamma both understand code 3; the name that sorts first wins.
        QCOMPARE(kind.delegateByData(QByteArray::fromHex("0003")), kind.delegate("Alpha"));
        QCOMPARE(kind.delegateByData(QByteArray::fromHex("0001ff")), kind.delegate("Beta"));
        QVERIFY(kind.delegateByData(QByteArray::fromHex("001e")) == nullptr);
        QVERIFY(kind.delegateByData(QByteArray()) == nullptr);
    }

    void laterDelegateOfTheSameNameReplaces() {
        QObject owner;
        TestDeviceKind kind(&owner);
        auto* replacement = new TestDelegate(QStringLiteral("Alpha"), {40});
        kind.registerResponseDelegate(replacement);
        QCOMPARE(kind.delegateByName(QStringLiteral("Alpha")), replacement);
        QCOMPARE(replacement->parent(), &kind);
        QCOMPARE(kind.delegateByData(QByteArray::fromHex("0003")), kind.delegate("Gamma"));
        QCOMPARE(kind.delegateByData(QByteArray::fromHex("0028")), replacement);
        kind.registerResponseDelegate(nullptr);
        QCOMPARE(kind.delegateNames().size(), 3);
    }

    void bridgeWalksKindsInNameOrder() {
        DeviceBridge bridge;
        bridge.addDeviceKind(new PairKind(&bridge, QStringLiteral("Zeta"), {1, 2}));
        bridge.addDeviceKind(new PairKind(&bridge, QStringLiteral("Eta"), {1, 2}));
        bridge.addDeviceKind(new PairKind(&bridge, QStringLiteral("Mu"), {3, 4}));
        QCOMPARE(bridge.nameFromVidPid(1, 2), QStringLiteral("Eta"));
        QVERIFY(bridge.nameFromVidPid(1, 3).isEmpty());
        QCOMPARE(bridge.updateVidPidList(), (QList<DeviceUsbVidPid>{{1, 2}, {3, 4}, {1, 2}}));
        bridge.setCurrentDeviceKind(QStringLiteral("Mu"));
        QCOMPARE(bridge.currentDevice()->objectName(), QStringLiteral("Mu"));
        QCOMPARE(bridge.updateVidPidList(), (QList<DeviceUsbVidPid>{{3, 4}}));
    }

    void unknownKindLeavesNoneCurrent() {
        DeviceBridge bridge;
        bridge.addDeviceKind(new TestDeviceKind(&bridge));
        bridge.setCurrentDeviceKind(QStringLiteral("TestKind"));
        QVERIFY(bridge.currentDevice() != nullptr);
        bridge.setCurrentDeviceKind(QStringLiteral("Nope"));
        QVERIFY(bridge.currentDevice() == nullptr);
    }

    void kindOfTheSameNameReplacesTheFirst() {
        DeviceBridge bridge;
        QPointer<DeviceKind> first = new PairKind(&bridge, QStringLiteral("Kind"), {1, 1});
        bridge.addDeviceKind(first);
        bridge.setCurrentDeviceKind(QStringLiteral("Kind"));
        bridge.addDeviceKind(new PairKind(&bridge, QStringLiteral("Kind"), {2, 2}));
        QVERIFY(first.isNull());
        QVERIFY(bridge.currentDevice() == nullptr);
        QCOMPARE(bridge.deviceKindNames(), QStringList{"Kind"});
        QCOMPARE(bridge.nameFromVidPid(2, 2), QStringLiteral("Kind"));
        bridge.addDeviceKind(nullptr);
        QCOMPARE(bridge.deviceKindNames(), QStringList{"Kind"});
    }
};

QTEST_GUILESS_MAIN(tst_DeviceKind)
#include "tst_DeviceKind.moc"
