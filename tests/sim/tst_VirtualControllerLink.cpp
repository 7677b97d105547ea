#include <QtTest>

#include "../support/SimRig.h"

namespace {

// Every packet of the codes the current-parameters delegate does not take. Its name sorts
// before every delegate of our controller, so it sees these packets first.
class RecordingDelegate : public DeviceResponseDelegate {
public:
    explicit RecordingDelegate(QObject* parent) : DeviceResponseDelegate(parent) {}
    QString name() const override { return QStringLiteral("AnyOtherCode"); }
    bool isUnderstood(QByteArray data) override {
        const int code = responseCodeOf(data);
        return code >= 0 && code != kParametersCode;
    }
    void execute() override { packets.append(data()); }

    QList<QByteArray> withCode(int code) const {
        QList<QByteArray> found;
        for (const QByteArray& packet : packets) {
            if (responseCodeOf(packet) == code) {
                found << packet;
            }
        }
        return found;
    }

    static constexpr int kParametersCode = 3;
    QList<QByteArray> packets;
};

// A request of fixed bytes, opcode first, for the firmware requests that carry data.
SimpleCommand* request(quint8 opcode, const QByteArray& payload) {
    auto* command = new SimpleCommand(opcode);
    command->appendPayload(payload);
    return command;
}

QByteArray le32(quint32 value) {
    QByteArray bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.append(char((value >> (8 * i)) & 0xFF));
    }
    return bytes;
}

}  // namespace

// The tool's own link (HID provider, dispatcher, our controller's kind) through a firmware
// upload, the controller's restart and its return on the bus.
class tst_VirtualControllerLink : public QObject {
    Q_OBJECT

private slots:
    void firmwareUploadAndReEnumeration() {
        SimRig::useTestSettings();
        SimScenario scenario = SimRig::quickScenario();
        scenario.rebootMs = 100;
        SimRig rig(scenario);
        QVERIFY(rig.connectBoard());
        DeviceKind* kind = rig.dispatcher.deviceBridge()->currentDevice();
        QVERIFY(kind != nullptr);
        auto* recorder = new RecordingDelegate(kind);
        kind->registerResponseDelegate(recorder);
        // Two items of bytes 1..32: size 32, checksum 528 = 0x210.
        QByteArray image;
        for (int i = 1; i <= 32; ++i) {
            image.append(char(i));
        }
        QSignalSpy unplugged(&rig.provider, &DeviceIoDataProvider::deviceUnplugged);
        QSignalSpy plugged(&rig.provider, &DeviceIoDataProvider::devicePlugged);
        rig.dispatcher.queueCommand(CommandFactory::storeClear());
        rig.dispatcher.queueCommand(request(22, le32(0x621) + le32(32) + le32(0x210)));
        rig.dispatcher.queueCommand(request(24, QByteArray::fromHex("0000") + image.left(16)));
        rig.dispatcher.queueCommand(request(24, QByteArray::fromHex("0100") + image.mid(16)));
        rig.dispatcher.queueCommand(CommandFactory::updateIsReady());
        rig.dispatcher.queueCommand(CommandFactory::updatePerform());
        QTRY_COMPARE(recorder->withCode(29).size(), 1);
        // Each answer: code = request + 2, verdict at 2 (items at 4).
        QCOMPARE(int(recorder->withCode(22).first().at(2)), 1);
        QCOMPARE(int(recorder->withCode(24).first().at(2)), 1);
        QCOMPARE(recorder->withCode(26).size(), 2);
        QCOMPARE(int(recorder->withCode(26).last().at(4)), 1);
        QCOMPARE(int(recorder->withCode(28).first().at(2)), 1);
        QCOMPARE(int(recorder->withCode(29).first().at(2)), 1);

        // The tool waits with the fast scan; the board is gone, then back.
        rig.provider.setRescanInterval(HidApiIoDataProvider::kFastRescanIntervalMs);
        QTRY_VERIFY(!unplugged.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!plugged.isEmpty() && rig.provider.isOpen(), 10000);
        rig.provider.setRescanInterval(500000);
        rig.dispatcher.queueCommand(CommandFactory::headerGetParams());
        QTRY_COMPARE(recorder->withCode(25).size(), 1);
        const QByteArray header = recorder->withCode(25).first();
        // running version at 19, size at 23, checksum at 27, update counter at 32
        QCOMPARE(header.mid(19, 4).toHex(), le32(0x621).toHex());
        QCOMPARE(header.mid(23, 4).toHex(), le32(32).toHex());
        QCOMPARE(header.mid(27, 4).toHex(), le32(0x210).toHex());
        QCOMPARE(header.mid(32, 4).toHex(), le32(1).toHex());
    }
};

QTEST_GUILESS_MAIN(tst_VirtualControllerLink)
#include "tst_VirtualControllerLink.moc"
