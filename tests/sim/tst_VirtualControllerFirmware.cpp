#include <QtEndian>
#include <QtTest>

#include "SimTestHost.h"

namespace {

constexpr quint8 kGetVersion = 2;
constexpr quint8 kStoreClear = 20;
constexpr quint8 kStoreIsClear = 21;
constexpr quint8 kHeaderSet = 22;
constexpr quint8 kHeaderGet = 23;
constexpr quint8 kItemSet = 24;
constexpr quint8 kItemGet = 25;
constexpr quint8 kUpdateIsReady = 26;
constexpr quint8 kUpdatePerform = 27;
constexpr int kCodeVersion = 1;

// The test image: three items, item k holding the bytes 16k .. 16k + 15. Size 48 bytes,
// checksum 0 + 1 + ... + 47 = 1128 = 0x468.
constexpr quint32 kImageVersion = 0x620;
constexpr quint32 kImageSize = 48;
constexpr quint32 kImageChecksum = 0x468;
constexpr int kItems = 3;
// How long a test waits before it takes an absent bus event as "never".
constexpr int kAbsenceWaitMs = 600;

QByteArray le32(quint32 value) {
    QByteArray bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.append(char((value >> (8 * i)) & 0xFF));
    }
    return bytes;
}

QByteArray headerPayload(quint32 version, quint32 size, quint32 checksum) {
    return le32(version) + le32(size) + le32(checksum);
}

QByteArray itemData(int entry) {
    QByteArray data;
    for (int i = 0; i < 16; ++i) {
        data.append(char(entry * 16 + i));
    }
    return data;
}

QByteArray itemPayload(int entry, const QByteArray& data) {
    return QByteArray(1, char(entry & 0xFF)) + QByteArray(1, char(entry >> 8)) + data;
}

SimScenario firmwareScenario() {
    SimScenario scenario;
    scenario.latencyMs = 1;
    scenario.rebootMs = 60;
    scenario.edgeIntervalMs = 0;
    return scenario;
}

}  // namespace

class tst_VirtualControllerFirmware : public QObject {
    Q_OBJECT

private:
    // The answer to a firmware request carries the request's opcode plus two.
    static QByteArray ask(SimTestHost& host, quint8 opcode, const QByteArray& payload = {}) {
        return host.ask(opcode, opcode + 2, payload);
    }

    static QString word(const QByteArray& answer, int wireIndex) {
        if (answer.size() < wireIndex + 4) {
            return QStringLiteral("-");
        }
        return QString::number(qFromLittleEndian<quint32>(answer.constData() + wireIndex), 16);
    }

    static QString flag(const QByteArray& answer, int wireIndex) {
        return answer.isEmpty() ? QStringLiteral("-")
                                : QString::number(quint8(answer.at(wireIndex)));
    }

private slots:
    void completeUploadAndRestart() {
        VirtualController controller(firmwareScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());

        QCOMPARE(ask(host, kStoreClear).toHex(' '), SimTestHost::wire("01 00 16 01 01").toHex(' '));
        QCOMPARE(ask(host, kHeaderSet, headerPayload(kImageVersion, kImageSize, kImageChecksum))
                     .toHex(' '),
                 SimTestHost::wire("01 00 18 01").toHex(' '));
        // staged version, size, checksum, valid | running flags, version, size 0x1e000,
        // checksum 0xa5c3e1, valid | update counter | original version
        QCOMPARE(
            ask(host, kHeaderGet).toHex(' '),
            SimTestHost::wire("01 00 19 20060000 30000000 68040000 00 00000000 15060000 00e00100 "
                              "e1c3a500 01 00000000 00060000")
                .toHex(' '));
        const QByteArray itemAnswers[kItems] = {SimTestHost::wire("01 00 1a 0000 01 78000000"),
                                                SimTestHost::wire("01 00 1a 0100 01 78010000"),
                                                SimTestHost::wire("01 00 1a 0200 01 78020000")};
        for (int entry = 0; entry < kItems; ++entry) {
            QCOMPARE(ask(host, kItemSet, itemPayload(entry, itemData(entry))).toHex(' '),
                     itemAnswers[entry].toHex(' '));
        }
        QCOMPARE(ask(host, kItemGet, itemPayload(2, QByteArray())).toHex(' '),
                 SimTestHost::wire("01 00 1b 0200 01 78020000").toHex(' '));
        QCOMPARE(quint8(ask(host, kHeaderGet).at(15)), quint8(1));
        QCOMPARE(ask(host, kUpdateIsReady).toHex(' '), SimTestHost::wire("01 00 1c 01").toHex(' '));

        QSignalSpy bus(&controller, &VirtualController::busPresenceChanged);
        QCOMPARE(ask(host, kUpdatePerform).toHex(' '), SimTestHost::wire("01 00 1d 01").toHex(' '));
        QTRY_COMPARE(bus.count(), 1);
        QCOMPARE(host.pump(), -1);
        QVERIFY(!host.api().open(SimTestHost::kVid, SimTestHost::kPid));
        QVERIFY(bus.wait());
        QCOMPARE(bus.last().first().toBool(), true);

        SimTestHost after(&controller);
        QVERIFY(after.open());
        QCOMPARE(
            ask(after, kHeaderGet).toHex(' '),
            SimTestHost::wire("01 00 19 ffffffff ffffffff ffffffff 00 00000000 20060000 30000000 "
                              "68040000 01 01000000 00060000")
                .toHex(' '));
        after.send(kGetVersion);
        QTRY_COMPARE(after.count(kCodeVersion), 1);
        QVERIFY(after.last(kCodeVersion).mid(25).startsWith("Orvello Tavirel FW 620"));
        QCOMPARE(after.last(kCodeVersion).mid(11, 4), le32(kImageVersion));
    }

    // The board's own checks that an upload is whole; the injected faults are met by the
    // upload flow against the tool.
    void sequenceOutcomes_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<quint32>("checksum");
        QTest::addColumn<int>("itemsSent");
        QTest::addColumn<QString>("outcome");
        const quint32 good = kImageChecksum;
        QTest::addRow("checksum does not match")
            << "" << good + 1 << 3
            << "clear=11 header=1 echo=469 items=111 ready=0 commit=0 away=0 back=-";
        QTest::addRow("an item missing")
            << "" << good << 2
            << "clear=11 header=1 echo=468 items=11 ready=0 commit=0 away=0 back=-";
    }
    void sequenceOutcomes() {
        QFETCH(QString, option);
        QFETCH(quint32, checksum);
        QFETCH(int, itemsSent);
        QFETCH(QString, outcome);
        SimScenario scenario = firmwareScenario();
        QVERIFY(scenario.applyArgument(option));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());

        const QByteArray clear = ask(host, kStoreClear);
        const QByteArray header =
            ask(host, kHeaderSet, headerPayload(kImageVersion, kImageSize, checksum));
        const QByteArray echo = ask(host, kHeaderGet);
        QString items;
        for (int entry = 0; entry < itemsSent; ++entry) {
            items += flag(ask(host, kItemSet, itemPayload(entry, itemData(entry))), 5);
        }
        const QByteArray ready = ask(host, kUpdateIsReady);
        QSignalSpy bus(&controller, &VirtualController::busPresenceChanged);
        const QByteArray commit = ask(host, kUpdatePerform);
        // The board drops off 50 ms after its commit answer and returns rebootMs later.
        const bool away = bus.count() > 0 || bus.wait(kAbsenceWaitMs);
        QString back = QStringLiteral("-");
        if (away) {
            back = (bus.count() > 1 || bus.wait(kAbsenceWaitMs)) ? "1" : "0";
        }
        const QString seen =
            QStringLiteral(
                "clear=%1%2 header=%3 echo=%4 items=%5 ready=%6 commit=%7 away=%8 back=%9")
                .arg(flag(clear, 3), flag(clear, 4), flag(header, 3), word(echo, 11), items,
                     flag(ready, 3), flag(commit, 3), away ? "1" : "0", back);
        QCOMPARE(seen, outcome);
    }

    void downloadAreaRules() {
        VirtualController controller(firmwareScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QCOMPARE(ask(host, kStoreIsClear).toHex(' '),
                 SimTestHost::wire("01 00 17 01 01").toHex(' '));
        // Items before a header, a header of size 0 or beyond 256 KiB: refused.
        QCOMPARE(flag(ask(host, kItemSet, itemPayload(0, itemData(0))), 5), QString("0"));
        QCOMPARE(flag(ask(host, kHeaderSet, headerPayload(1, 0, 0)), 3), QString("0"));
        QCOMPARE(flag(ask(host, kHeaderSet, headerPayload(1, 256 * 1024 + 1, 0)), 3), QString("0"));
        QCOMPARE(flag(ask(host, kHeaderSet, headerPayload(1, 40, 0)), 3), QString("1"));
        QCOMPARE(ask(host, kStoreIsClear).toHex(' '),
                 SimTestHost::wire("01 00 17 00 01").toHex(' '));
        // A second header needs a cleared area first.
        QCOMPARE(flag(ask(host, kHeaderSet, headerPayload(2, 40, 0)), 3), QString("0"));
        // Size 40 makes three items (0..2); each is written once.
        QCOMPARE(flag(ask(host, kItemSet, itemPayload(2, itemData(2))), 5), QString("1"));
        QCOMPARE(flag(ask(host, kItemSet, itemPayload(2, itemData(1))), 5), QString("0"));
        QCOMPARE(flag(ask(host, kItemSet, itemPayload(3, itemData(3))), 5), QString("0"));
        QCOMPARE(flag(ask(host, kItemSet, itemPayload(0x100, itemData(0))), 5), QString("0"));
        QCOMPARE(ask(host, kStoreIsClear).toHex(' '),
                 SimTestHost::wire("01 00 17 00 00").toHex(' '));
        QCOMPARE(ask(host, kItemGet, itemPayload(1, QByteArray())).toHex(' '),
                 SimTestHost::wire("01 00 1b 0100 00 00000000").toHex(' '));
        QCOMPARE(ask(host, kStoreClear).toHex(' '), SimTestHost::wire("01 00 16 01 01").toHex(' '));
        QCOMPARE(flag(ask(host, kHeaderSet, headerPayload(2, 40, 0)), 3), QString("1"));
    }
};

QTEST_GUILESS_MAIN(tst_VirtualControllerFirmware)
#include "tst_VirtualControllerFirmware.moc"
