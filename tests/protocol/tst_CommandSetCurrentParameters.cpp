#include <QtTest>

#include <memory>

#include "logging/SillyLogger.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ParameterVersion.h"

namespace {
// A full answer: frame a5, response code 03, then block bytes 2..59.
const char kAnswer[] =
    "a503"
    "118213c896f60295a659a58107fb7f805a64ffa9f09cc801fe86"
    "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f";

std::unique_ptr<CommandSetCurrentParameters> commandFrom(const QByteArray& block) {
    return std::unique_ptr<CommandSetCurrentParameters>(CommandFactory::setParams(block));
}
}  // namespace

class tst_CommandSetCurrentParameters : public QObject {
    Q_OBJECT

private slots:
    void init() { ParameterVersion::remember(0x05); }
    void cleanup() {
        ParameterVersion::remember(ParameterVersion::kStartValue);
        SillyLogger::instance()->setFilter(0);
    }

    void unchangedBlockGoesBackShiftedByOne() {
        const QByteArray answer = QByteArray::fromHex(kAnswer);
        auto command = commandFrom(answer);
        QVERIFY(command->parent() == nullptr);
        QCOMPARE(command->previousResponse(), answer);
        QCOMPARE(command->execute().toHex(),
                 QByteArray("04"
                            "118213c896f60295a659a58107fb7f805a64ffa9f09cc801fe86"
                            "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f"));
    }

    void writtenFieldsTravelOneByteEarlier() {
        const QByteArray answer = QByteArray::fromHex(kAnswer);
        auto command = commandFrom(answer);
        command->setEdgePs(0x33);        // block 2 -> command 1, stamps 05
        command->setHysteresisValue(5);  // block 22 -> command 21, stamps 01
        command->setMonitorDiagB(true);  // block 27 -> command 26, stamps 01
        // Command bytes: 0 opcode, 1-26 block 2-27, 27-58 block 28-59; the version
        // stamp (block 14) is command byte 13.
        QCOMPARE(command->execute().toHex(),
                 QByteArray("04"
                            "338213c896f60295a659a58101fb7f805a64ffa905"
                            "9cc801fec6"
                            "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f"));
        // The readers see the working copy; the answer it came from is kept as it was.
        QCOMPARE(command->hysteresisValue(), 5);
        QCOMPARE(command->ParamVersion(), 1);
        QVERIFY(command->isMonitorDiagB());
        QCOMPARE(command->previousResponse(), answer);
    }

    void commandLengthFollowsTheBlock_data() {
        QTest::addColumn<int>("blockLength");
        QTest::addColumn<int>("commandLength");
        QTest::addColumn<bool>("warned");
        QTest::addRow("full answer") << 60 << 59 << false;
        QTest::addRow("placeholder") << 20 << 19 << false;
        QTest::addRow("header only") << 2 << 1 << false;
        QTest::addRow("frame byte only") << 1 << 1 << false;
        QTest::addRow("empty") << 0 << 1 << false;
        QTest::addRow("one byte too long") << 61 << 59 << true;
        QTest::addRow("far too long") << 200 << 59 << true;
    }
    void commandLengthFollowsTheBlock() {
        QFETCH(int, blockLength);
        QFETCH(int, commandLength);
        QFETCH(bool, warned);
        SillyLogger::instance()->setFilter(SillyLogger::Warning);
        QSignalSpy log(SillyLogger::instance(), &SillyLogger::logMessageSignal);

        QByteArray block(blockLength, char(0x5A));
        auto command = commandFrom(block);
        const QByteArray bytes = command->execute();
        QCOMPARE(bytes.size(), commandLength);
        QCOMPARE(quint8(bytes.at(0)), quint8(0x04));
        QCOMPARE(bytes.mid(1), QByteArray(commandLength - 1, char(0x5A)));
        QCOMPARE(log.count(), warned ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_CommandSetCurrentParameters)
#include "tst_CommandSetCurrentParameters.moc"
