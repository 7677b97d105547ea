#include <QtTest>

#include <functional>
#include <memory>

#include "device/DeviceResponseDelegate.h"
#include "protocol/CommandFactory.h"
#include "protocol/DeviceStateMutator.h"
#include "protocol/SimpleCommand.h"

namespace {
// A parameter-writing command as the protocol layer builds them: opcode fixed by execute().
class TestMutator : public DeviceCommand, public DeviceStateMutator {
public:
    QByteArray execute() override { return protected_execute(0x42); }
};

class TestDelegate : public DeviceResponseDelegate {
public:
    QString name() const override { return QStringLiteral("Test"); }
    bool isUnderstood(QByteArray data) override { return responseCodeOf(data) == 7; }
    void execute() override {}
};
}  // namespace

using Builder = std::function<SimpleCommand*()>;
Q_DECLARE_METATYPE(Builder)

class tst_Commands : public QObject {
    Q_OBJECT

private slots:
    void simpleBuildersSendOpcodeOnly_data() {
        QTest::addColumn<Builder>("build");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("softReset") << Builder(&CommandFactory::softReset) << QByteArray("\x01", 1);
        QTest::addRow("getVersion") << Builder(&CommandFactory::getVersion) << QByteArray("\x02", 1);
        QTest::addRow("getCopyright") << Builder(&CommandFactory::getCopyright) << QByteArray("\x03", 1);
        QTest::addRow("getParams") << Builder(&CommandFactory::getParams) << QByteArray("\x05", 1);
        QTest::addRow("saveParamsToFlash") << Builder(&CommandFactory::saveParamsToFlash) << QByteArray("\x06", 1);
        QTest::addRow("loadParamsFromFlash") << Builder(&CommandFactory::loadParamsFromFlash) << QByteArray("\x07", 1);
        QTest::addRow("loadDefaults") << Builder(&CommandFactory::loadDefaults) << QByteArray("\x08", 1);
        QTest::addRow("eraseFlashContent") << Builder(&CommandFactory::eraseFlashContent) << QByteArray("\x09", 1);
        QTest::addRow("getFilterAB") << Builder(&CommandFactory::getFilterAB) << QByteArray("\x13", 1);
        QTest::addRow("storeClear") << Builder(&CommandFactory::storeClear) << QByteArray("\x14", 1);
        QTest::addRow("headerGetParams") << Builder(&CommandFactory::headerGetParams) << QByteArray("\x17", 1);
        QTest::addRow("updateIsReady") << Builder(&CommandFactory::updateIsReady) << QByteArray("\x1a", 1);
        QTest::addRow("updatePerform") << Builder(&CommandFactory::updatePerform) << QByteArray("\x1b", 1);
        QTest::addRow("getZoneFilterA") << Builder(&CommandFactory::getZoneFilterA) << QByteArray("\x21", 1);
        QTest::addRow("getZoneFilterB") << Builder(&CommandFactory::getZoneFilterB) << QByteArray("\x22", 1);
        QTest::addRow("getTrackerParams") << Builder(&CommandFactory::getTrackerParams) << QByteArray("\x24", 1);
    }
    void simpleBuildersSendOpcodeOnly() {
        QFETCH(Builder, build);
        QFETCH(QByteArray, bytes);
        std::unique_ptr<SimpleCommand> command(build());
        QVERIFY(command->parent() == nullptr);
        QCOMPARE(command->execute(), bytes);
    }

    void calibrationCarriesItsPayload() {
        std::unique_ptr<SimpleCommand> command(CommandFactory::calibration3(QByteArray::fromHex("0a0b0c")));
        QCOMPARE(command->execute(), QByteArray::fromHex("0e0a0b0c"));
    }

    void opcodeKeepsOnlyItsLowByte() {
        SimpleCommand command(0x1234);
        command.appendPayload(QByteArray::fromHex("ff"));
        command.appendPayload(QByteArray::fromHex("00"));
        QCOMPARE(command.execute(), QByteArray::fromHex("34ff00"));
    }

    void mutatorShiftsBlockByOne() {
        // Block byte k (k >= 2) travels as command byte k - 1.
        QByteArray block(60, '\0');
        block[0] = char(0x99);  // frame byte, not sent
        block[1] = char(0x03);  // response code, not sent
        for (int k = 2; k < 60; ++k) {
            block[k] = char(k);
        }
        TestMutator mutator;
        mutator.setPreviousResponse(block);
        mutator.workingCopy()[10] = char(0xAB);

        const QByteArray bytes = mutator.execute();
        QCOMPARE(bytes.size(), 59);
        QCOMPARE(quint8(bytes[0]), quint8(0x42));
        QCOMPARE(quint8(bytes[1]), quint8(2));
        QCOMPARE(quint8(bytes[9]), quint8(0xAB));
        QCOMPARE(quint8(bytes[58]), quint8(59));
        QCOMPARE(mutator.previousResponse(), block);
    }

    void mutatorWithoutBlockSendsOpcodeAlone() {
        TestMutator mutator;
        mutator.setPreviousResponse(QByteArray::fromHex("00"));
        QCOMPARE(mutator.execute(), QByteArray::fromHex("42"));
    }

    void delegateStoresDataAndReadsBoundsChecked() {
        TestDelegate delegate;
        QVERIFY(!delegate.hasData());
        QVERIFY(!delegate.isUnderstood(QByteArray::fromHex("00")));
        QVERIFY(delegate.isUnderstood(QByteArray::fromHex("0007")));
        delegate.addData(QByteArray::fromHex("0007ff"));
        QVERIFY(delegate.hasData());
        QCOMPARE(delegate.byteAt(2), quint8(0xFF));
        QCOMPARE(delegate.byteAt(3), quint8(0));
        QCOMPARE(delegate.byteAt(-1), quint8(0));
        delegate.resetHasData();
        QVERIFY(!delegate.hasData());
    }
};

QTEST_GUILESS_MAIN(tst_Commands)
#include "tst_Commands.moc"
