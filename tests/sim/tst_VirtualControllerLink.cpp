#include <QElapsedTimer>
#include <QStandardPaths>
#include <QtTest>

#include <functional>
#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "sim/VirtualHidApi.h"

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
SimpleCommand* request(quint8 opcode, const QByteArray& payload = QByteArray()) {
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

constexpr int kCommandIntervalMs = 5;
constexpr int kReceiveIntervalMs = 2;
constexpr int kEdgeA = 4;
constexpr int kEdgeB = 5;
constexpr int kMonitorFlags1 = 10;

}  // namespace

class tst_VirtualControllerLink : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<VirtualController> m_controller;
    std::unique_ptr<HidApiIoDataProvider> m_provider;
    std::unique_ptr<DeviceEventDispatcher> m_dispatcher;
    ResponseDelegateCurrentParameters* m_parameters = nullptr;
    RecordingDelegate* m_recorder = nullptr;

    void start(SimScenario scenario) {
        scenario.latencyMs = 1;
        m_controller = std::make_unique<VirtualController>(scenario);
        m_provider = std::make_unique<HidApiIoDataProvider>(
            std::make_shared<VirtualHidApi>(m_controller.get()));
        m_dispatcher = std::make_unique<DeviceEventDispatcher>();
        auto* kind = new PomelarKind(m_dispatcher->deviceBridge());
        m_parameters = qobject_cast<ResponseDelegateCurrentParameters*>(
            kind->delegateByName(QStringLiteral("CurrentParameters")));
        QVERIFY(m_parameters != nullptr);
        m_recorder = new RecordingDelegate(kind);
        kind->registerResponseDelegate(m_recorder);
        m_dispatcher->registerDeviceKind(kind);
        m_dispatcher->registerDeviceIoDataProvider(m_provider.get());
        m_dispatcher->setDeviceIoDataProvider(m_provider->name());
        m_dispatcher->setDefaultTimeIntervals(kCommandIntervalMs, kReceiveIntervalMs);
    }

    void connectBoard() {
        for (int attempt = 0; attempt < 3 && !m_provider->isOpen(); ++attempt) {
            m_dispatcher->firstConnection();
        }
        QVERIFY(m_provider->isOpen());
    }

    // Asks for the parameters and waits until the delegate has them.
    void refreshParameters() {
        QSignalSpy values(m_parameters, QOverload<QByteArray>::of(
                                            &ResponseDelegateCurrentParameters::valuesChanged));
        m_dispatcher->queueCommand(CommandFactory::getParams());
        QVERIFY(values.wait());
    }

    void writeParameters(const std::function<void(CommandSetCurrentParameters*)>& edit) {
        CommandSetCurrentParameters* command = CommandFactory::setParams(m_parameters->data());
        edit(command);
        QSignalSpy values(m_parameters, QOverload<QByteArray>::of(
                                            &ResponseDelegateCurrentParameters::valuesChanged));
        m_dispatcher->queueCommand(command);
        QVERIFY(values.wait());
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void cleanup() {
        m_dispatcher.reset();
        m_provider.reset();
        m_controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void getParametersRoundTripByteForByte() {
        start(SimScenario());
        connectBoard();
        QSignalSpy started(m_parameters, &ResponseDelegateCurrentParameters::signalBoardStarted);
        refreshParameters();
        QCOMPARE(started.count(), 1);
        // frame = packet index 0 | code 3 | factory block of a 40/40 board, layout 1
        const QByteArray expected =
            QByteArray::fromHex("00 03 141e1419230003 01 0000 00 00 01 00000000 78 3c")
                .leftJustified(60, '\0');
        QCOMPARE(m_parameters->data().toHex(' '), expected.toHex(' '));
        QCOMPARE(m_provider->info()->vendorId, 0x25C8u);
        QCOMPARE(m_provider->manufacturer(), QStringLiteral("Orvello"));
    }

    void setParametersWriteIsReadBack() {
        start(SimScenario());
        connectBoard();
        refreshParameters();
        QSignalSpy touch(m_parameters, &ResponseDelegateCurrentParameters::signalTouchThreshold);
        writeParameters([](CommandSetCurrentParameters* c) {
            c->setTouchThreshold(40);
            c->setOutputFlipY(true);
        });
        QCOMPARE(touch.last().first().toInt(), 40);
        refreshParameters();
        QCOMPARE(m_parameters->touchThreshold(), 40);
        QVERIFY(m_parameters->isOutputFlipY());
        QVERIFY(!m_parameters->isOutputFlipX());
        QCOMPARE(m_parameters->data().mid(1).toHex(),
                 m_controller->parameterBlock().mid(1).toHex());
    }

    void softResetHoldsForItsTime() {
        SimScenario scenario;
        scenario.softResetMs = 200;
        start(scenario);
        connectBoard();
        refreshParameters();
        QSignalSpy active(m_parameters, &ResponseDelegateCurrentParameters::signalSoftResetActive);
        QSignalSpy inactive(m_parameters,
                            &ResponseDelegateCurrentParameters::signalSoftResetInactive);
        QTimer poll;
        connect(&poll, &QTimer::timeout, this,
                [this]() { m_dispatcher->queueCommand(CommandFactory::getParams()); });
        QElapsedTimer clock;
        clock.start();
        m_dispatcher->queueCommand(CommandFactory::softReset());
        poll.start(20);
        QVERIFY(active.wait());
        QVERIFY(m_parameters->isSoftResetActive());
        QVERIFY(inactive.wait());
        QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!m_parameters->isSoftResetActive());
    }

    void streamsFollowTheMonitorFlags() {
        SimScenario scenario;
        QVERIFY(scenario.applyOption("split", "4024"));
        scenario.edgeIntervalMs = 5;
        start(scenario);
        connectBoard();
        refreshParameters();
        writeParameters([](CommandSetCurrentParameters* c) {
            c->setMonitorEdgeA(true);
            c->setMonitorEdgeB(true);
        });
        QTRY_VERIFY(m_recorder->withCode(kEdgeA).size() >= 3 &&
                    m_recorder->withCode(kEdgeB).size() >= 3);
        // Wire counts less one: 39 values for the 40 wires of A, 23 for the 24 of B.
        QCOMPARE(int(quint8(m_recorder->withCode(kEdgeA).last().at(4))), 39);
        QCOMPARE(int(quint8(m_recorder->withCode(kEdgeB).last().at(4))), 23);

        writeParameters([](CommandSetCurrentParameters* c) {
            c->setMonitorEdgeA(false);
            c->setMonitorEdgeB(false);
        });
        QCOMPARE(int(quint8(m_parameters->data().at(kMonitorFlags1))), 0);
        // Streams and answers share one ordered pipe: nothing follows the cleared block.
        const int streamed = m_recorder->packets.size();
        refreshParameters();
        refreshParameters();
        QCOMPARE(m_recorder->packets.size(), streamed);
    }

    void firmwareUploadAndReEnumeration() {
        SimScenario scenario;
        scenario.rebootMs = 100;
        start(scenario);
        connectBoard();
        // Two items of bytes 1..32: size 32, checksum 528 = 0x210.
        QByteArray image;
        for (int i = 1; i <= 32; ++i) {
            image.append(char(i));
        }
        QSignalSpy unplugged(m_provider.get(), &DeviceIoDataProvider::deviceUnplugged);
        QSignalSpy plugged(m_provider.get(), &DeviceIoDataProvider::devicePlugged);
        m_dispatcher->queueCommand(CommandFactory::storeClear());
        m_dispatcher->queueCommand(request(22, le32(0x621) + le32(32) + le32(0x210)));
        m_dispatcher->queueCommand(request(24, QByteArray::fromHex("0000") + image.left(16)));
        m_dispatcher->queueCommand(request(24, QByteArray::fromHex("0100") + image.mid(16)));
        m_dispatcher->queueCommand(CommandFactory::updateIsReady());
        m_dispatcher->queueCommand(CommandFactory::updatePerform());
        QTRY_COMPARE(m_recorder->withCode(29).size(), 1);
        // Each answer: code = request + 2, verdict at 2 (items at 4).
        QCOMPARE(int(m_recorder->withCode(22).first().at(2)), 1);
        QCOMPARE(int(m_recorder->withCode(24).first().at(2)), 1);
        QCOMPARE(m_recorder->withCode(26).size(), 2);
        QCOMPARE(int(m_recorder->withCode(26).last().at(4)), 1);
        QCOMPARE(int(m_recorder->withCode(28).first().at(2)), 1);
        QCOMPARE(int(m_recorder->withCode(29).first().at(2)), 1);

        // The tool waits with the fast scan; the board is gone, then back.
        m_provider->setRescanInterval(HidApiIoDataProvider::kFastRescanIntervalMs);
        QTRY_VERIFY(!unplugged.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!plugged.isEmpty() && m_provider->isOpen(), 10000);
        m_provider->setRescanInterval(500000);
        bool listed = false;
        for (const DeviceInfoData& device : m_provider->deviceMap()) {
            listed = listed || device.productIdHex == QStringLiteral("14");
        }
        QVERIFY(listed);
        m_dispatcher->queueCommand(CommandFactory::headerGetParams());
        QTRY_COMPARE(m_recorder->withCode(25).size(), 1);
        const QByteArray header = m_recorder->withCode(25).first();
        // running version at 19, size at 23, checksum at 27, update counter at 32
        QCOMPARE(header.mid(19, 4).toHex(), le32(0x621).toHex());
        QCOMPARE(header.mid(23, 4).toHex(), le32(32).toHex());
        QCOMPARE(header.mid(27, 4).toHex(), le32(0x210).toHex());
        QCOMPARE(header.mid(32, 4).toHex(), le32(1).toHex());
    }

    void unplugAndReplugSeenByTheRescan() {
        start(SimScenario());
        connectBoard();
        QSignalSpy unplugged(m_provider.get(), &DeviceIoDataProvider::deviceUnplugged);
        QSignalSpy plugged(m_provider.get(), &DeviceIoDataProvider::devicePlugged);
        m_controller->unplug();
        QVERIFY(!m_provider->rescan());
        QCOMPARE(unplugged.count(), 1);
        QVERIFY(!m_provider->isOpen());
        QVERIFY(!m_provider->rescan());
        QCOMPARE(unplugged.count(), 1);

        m_controller->replug();
        for (int scan = 0; scan < HidApiIoDataProvider::kScansBeforeReconnect; ++scan) {
            QVERIFY(m_provider->rescan());
        }
        QVERIFY(!plugged.isEmpty());
        QVERIFY(m_provider->isOpen());
        refreshParameters();
        QCOMPARE(m_parameters->touchThreshold(), 25);
    }

    void differentIdsAreFoundByTheRotation() {
        SimScenario scenario;
        scenario.vendorId = 0x14C8;
        scenario.productId = 0x0005;
        start(scenario);
        QVERIFY(!m_dispatcher->firstConnection());
        QVERIFY(!m_dispatcher->firstConnection());
        QVERIFY(m_dispatcher->firstConnection());
        QCOMPARE(m_provider->info()->vendorId, 0x14C8u);
        QVERIFY(!m_dispatcher->isOrvelloVid());
        refreshParameters();
    }

    void silentBoardAnswersNothing() {
        start(SimScenario());
        connectBoard();
        refreshParameters();
        QSignalSpy values(m_parameters, QOverload<QByteArray>::of(
                                            &ResponseDelegateCurrentParameters::valuesChanged));
        QSignalSpy reached(m_controller.get(), &VirtualController::requestReceived);
        m_controller->setSilent(true);
        m_dispatcher->queueCommand(CommandFactory::getParams());
        QVERIFY(reached.wait());
        const quint8 ignoredIndex = quint8(m_dispatcher->packetIndex() - 1);
        m_controller->setSilent(false);
        m_dispatcher->queueCommand(CommandFactory::getParams());
        QVERIFY(values.wait());
        QCOMPARE(values.count(), 1);
        QCOMPARE(quint8(m_parameters->data().at(0)), quint8(ignoredIndex + 1));
    }
};

QTEST_GUILESS_MAIN(tst_VirtualControllerLink)
#include "tst_VirtualControllerLink.moc"
