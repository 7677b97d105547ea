#include <QtTest>

#include <memory>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/PomelarCommandFactory.h"
#include "protocol/ResponseDelegateZoneFilterAB.h"

namespace {
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

QByteArray counting(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes.append(char(i + 1));
    }
    return bytes;
}
}  // namespace

class tst_ZoneFilter : public QObject {
    Q_OBJECT

private slots:
    void coefficients_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("alphas");
        QTest::addRow("three, rest ignored") << hex("0023030a0b0cffff") << hex("0a0b0c");
        QTest::addRow("none") << hex("002300ffff") << QByteArray();
        QTest::addRow("announces more than it holds") << hex("002309aabb") << hex("aabb");
        QTest::addRow("no count byte") << hex("0023") << QByteArray();
        QTest::addRow("255 announced in a full packet")
            << hex("0023ff") + counting(57) << counting(57);
    }
    void coefficients() {
        QFETCH(QByteArray, report);
        QFETCH(QByteArray, alphas);
        ResponseDelegateZoneFilterAB delegate;
        QSignalSpy newA(&delegate, &ResponseDelegateZoneFilterAB::newAlphasA);
        QSignalSpy newB(&delegate, &ResponseDelegateZoneFilterAB::newAlphasB);
        delegate.addData(report);
        QCOMPARE(delegate.alphasA(), alphas);
        QCOMPARE(delegate.alphasB(), QByteArray());
        delegate.execute();
        QCOMPARE(newA.count(), 1);
        QCOMPARE(newA.at(0).at(0).toByteArray(), alphas);
        QCOMPARE(newB.count(), 0);

        report[1] = char(0x24);  // the same for array B
        delegate.addData(report);
        QCOMPARE(delegate.alphasB(), alphas);
        delegate.execute();
        QCOMPARE(newB.count(), 1);
        QCOMPARE(newB.at(0).at(0).toByteArray(), alphas);
        QCOMPARE(newA.count(), 1);
    }

    void completeOnlyWithBothArrays() {
        ResponseDelegateZoneFilterAB delegate;
        QSignalSpy newA(&delegate, &ResponseDelegateZoneFilterAB::newAlphasA);
        delegate.execute();  // nothing received yet: nothing to announce
        QCOMPARE(newA.count(), 0);
        QVERIFY(!delegate.hasData());
        delegate.addData(hex("0024010b"));
        QVERIFY(!delegate.hasData());
        delegate.addData(hex("0024010c"));
        QVERIFY(!delegate.hasData());
        delegate.addData(hex("0023010a"));
        QVERIFY(delegate.hasData());
        delegate.resetHasData();
        QVERIFY(!delegate.hasData());
        delegate.addData(hex("0023010d"));
        QVERIFY(!delegate.hasData());
        // Reports kept across the reset: the last of each array.
        QCOMPARE(delegate.alphasA(), hex("0d"));
        QCOMPARE(delegate.alphasB(), hex("0c"));
    }

    void wrongCodeIsIgnored() {
        ResponseDelegateZoneFilterAB delegate;
        QSignalSpy newA(&delegate, &ResponseDelegateZoneFilterAB::newAlphasA);
        QSignalSpy newB(&delegate, &ResponseDelegateZoneFilterAB::newAlphasB);
        delegate.addData(hex("0023010a"));
        delegate.addData(hex("00250109"));
        QCOMPARE(delegate.data(), hex("0023010a"));
        QCOMPARE(delegate.alphasA(), hex("0a"));
        delegate.execute();
        QCOMPARE(newA.count(), 1);
        QCOMPARE(newB.count(), 0);
    }

    void commandBytes_data() {
        QTest::addColumn<int>("opcode");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("A three values") << 31 << hex("0a0b0c") << hex("1f030a0b0c");
        QTest::addRow("B none") << 32 << QByteArray() << hex("2000");
        QTest::addRow("ten values") << 31 << counting(10) << hex("1f0a0102030405060708090a");
        QTest::addRow("57 values fill the packet")
            << 32 << counting(57) << hex("2039") + counting(57);
        QTest::addRow("opcode low byte only") << 0x11f << hex("ff") << hex("1f01ff");
        QTest::addRow("too many values are cut to a packet")
            << 31 << counting(300) << hex("1f39") + counting(57);
    }
    void commandBytes() {
        QFETCH(int, opcode);
        QFETCH(QByteArray, values);
        QFETCH(QByteArray, bytes);
        CommandSetZoneFilter command(opcode, values);
        QCOMPARE(command.execute(), bytes);
        QCOMPARE(command.parent(), nullptr);
    }

    // An empty coefficient string would tell the controller the array has no wires.
    void buildersRefuseEmptyCoefficients() {
        const PomelarCommandFactory kind;
        QCOMPARE(CommandFactory::setZoneFilterA({}), nullptr);
        QCOMPARE(CommandFactory::setZoneFilterB({}), nullptr);
        QCOMPARE(kind.setZoneFilterA({}), nullptr);
        QCOMPARE(kind.setZoneFilterB({}), nullptr);
        std::unique_ptr<DeviceCommand> one(kind.setZoneFilterB(hex("20")));
        QVERIFY(one != nullptr);
        QCOMPARE(one->execute(), hex("200120"));
    }
};

QTEST_GUILESS_MAIN(tst_ZoneFilter)
#include "tst_ZoneFilter.moc"
