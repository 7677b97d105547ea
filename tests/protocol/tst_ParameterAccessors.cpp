#include <QtTest>

#include <functional>

#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterReadAccessor.h"
#include "protocol/ParameterVersion.h"
#include "protocol/ParameterWriteAccessor.h"
#include "LogSpy.h"

namespace {
// Two full answers written by hand from the layout. In Q every flag byte is the
// complement of P's, so each bit is read once set and once clear.
// Four bytes per line: bytes 0-3, 4-7, ... 24-27, then bytes 28-59.
const char kBlockP[] =
    "a5031182"
    "13c896f6"
    "0295a659"
    "a58107fb"
    "7f805a64"
    "ffa9f09c"
    "c801fe86"
    "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f";
const char kBlockQ[] =
    "5a03ff00"
    "8001fe7f"
    "806a59a6"
    "5a000080"
    "ff01a580"
    "00567f7f"
    "00807f79"
    "0000000000000000000000000000000000000000000000000000000000000000";

QByteArray block(const QString& name) {
    if (name == QLatin1String("P")) {
        return QByteArray::fromHex(kBlockP);
    }
    if (name == QLatin1String("Q")) {
        return QByteArray::fromHex(kBlockQ);
    }
    QByteArray allOnes(60, char(0xFF));
    allOnes[1] = char(0x03);
    return allOnes;
}

// "9=97 14=05": the bytes a writer is expected to change, offset in decimal, value in hex.
QByteArray withChanges(QByteArray base, const QString& changes) {
    const QStringList entries = changes.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(QLatin1Char('='));
        base[parts.at(0).toInt()] = char(parts.at(1).toInt(nullptr, 16));
    }
    return base;
}

class BlockAccessor : public ParameterReadAccessor, public ParameterWriteAccessor {
public:
    explicit BlockAccessor(const QByteArray& bytes) : m_block(bytes) {}
    const QByteArray& parameterBlock() const override { return m_block; }
    QByteArray& writableParameterBlock() override { return m_block; }

private:
    QByteArray m_block;
};

constexpr quint8 kRemembered = 0x05;
}  // namespace

using Reader = std::function<int(const ParameterReadAccessor&)>;
using Writer = std::function<void(ParameterWriteAccessor&)>;
Q_DECLARE_METATYPE(Reader)
Q_DECLARE_METATYPE(Writer)

#define READER(fn) Reader([](const ParameterReadAccessor& a) { return int(a.fn()); })
#define WRITER(call) Writer([](ParameterWriteAccessor& a) { a.call; })

class tst_ParameterAccessors : public QObject {
    Q_OBJECT

private:
    static void supportNothing() {
        ParameterFieldSupport::setLookup([](int, int, quint8) { return false; });
    }

private slots:
    void init() {
        ParameterFieldSupport::setLookup({});
        ParameterVersion::remember(kRemembered);
    }
    void cleanup() {
        ParameterFieldSupport::setLookup({});
        ParameterVersion::remember(ParameterVersion::kStartValue);
    }

    void readFields_data() {
        QTest::addColumn<Reader>("read");
        QTest::addColumn<int>("inP");
        QTest::addColumn<int>("inQ");
        QTest::addColumn<int>("unsupported");

        QTest::addRow("edgePs") << READER(edgePs) << 17 << 255 << 0;
        QTest::addRow("edgeThreshold") << READER(edgeThreshold) << 130 << 0 << 0;
        QTest::addRow("scanPs") << READER(scanPs) << 19 << 128 << 0;
        QTest::addRow("touchThreshold") << READER(touchThreshold) << 200 << 1 << 0;
        QTest::addRow("pressThreshold") << READER(pressThreshold) << 150 << 254 << 0;
        QTest::addRow("linearity signed") << READER(linearity) << -10 << 127 << 0;
        QTest::addRow("outputEncoding") << READER(outputEncoding) << 2 << 128 << 0;

        QTest::addRow("isOutputEnabled") << READER(isOutputEnabled) << 1 << 0 << 0;
        QTest::addRow("isOutputFlipY") << READER(isOutputFlipY) << 0 << 1 << 0;
        QTest::addRow("isOutputFlipX") << READER(isOutputFlipX) << 1 << 0 << 0;
        QTest::addRow("isOutputSwapXy") << READER(isOutputSwapXy) << 0 << 1 << 0;
        QTest::addRow("isOutputUseCalib3") << READER(isOutputUseCalib3) << 1 << 0 << 0;
        QTest::addRow("isOutputEdgeActive") << READER(isOutputEdgeActive) << 0 << 1 << 0;

        QTest::addRow("isMonitorEdgeA") << READER(isMonitorEdgeA) << 1 << 0 << 1;
        QTest::addRow("isMonitorEdgeAMax") << READER(isMonitorEdgeAMax) << 0 << 1 << 0;
        QTest::addRow("isMonitorEdgeB") << READER(isMonitorEdgeB) << 1 << 0 << 0;
        QTest::addRow("isMonitorEdgeBMax") << READER(isMonitorEdgeBMax) << 0 << 1 << 0;
        QTest::addRow("isMonitorScanA") << READER(isMonitorScanA) << 0 << 1 << 0;
        QTest::addRow("isMonitorScanB") << READER(isMonitorScanB) << 1 << 0 << 0;
        QTest::addRow("isMonitorDynA") << READER(isMonitorDynA) << 1 << 0 << 0;
        QTest::addRow("isMonitorDynB") << READER(isMonitorDynB) << 0 << 1 << 0;

        QTest::addRow("isMonitorScanAreaA") << READER(isMonitorScanAreaA) << 0 << 1 << 0;
        QTest::addRow("isMonitorScanAreaB") << READER(isMonitorScanAreaB) << 1 << 0 << 0;
        QTest::addRow("isMonitorPeaks") << READER(isMonitorPeaks) << 0 << 1 << 0;
        QTest::addRow("isMonitorPeak") << READER(isMonitorPeak) << 1 << 0 << 0;
        QTest::addRow("isMonitorOutput") << READER(isMonitorOutput) << 1 << 0 << 0;
        QTest::addRow("isMonitorTestMode") << READER(isMonitorTestMode) << 0 << 1 << 0;

        QTest::addRow("isCalibSuccess") << READER(isCalibSuccess) << 1 << 0 << 0;
        QTest::addRow("isCalibErrBadCond") << READER(isCalibErrBadCond) << 0 << 1 << 0;
        QTest::addRow("isSoftResetActive") << READER(isSoftResetActive) << 1 << 0 << 0;
        QTest::addRow("isReadProtectActive") << READER(isReadProtectActive) << 0 << 1 << 0;

        QTest::addRow("OutputExcludeMode unsigned") << READER(OutputExcludeMode) << 129 << 0 << 0;
        QTest::addRow("knuckleReject signed") << READER(knuckleReject) << -5 << -128 << 0;
        QTest::addRow("EdgeStrechLevel signed") << READER(EdgeStrechLevel) << 127 << -1 << 0;
        QTest::addRow("EdgeStrechScale signed") << READER(EdgeStrechScale) << -128 << 1 << 0;
        QTest::addRow("scanRate") << READER(scanRate) << 100 << 128 << 0;
        QTest::addRow("snapRate") << READER(snapRate) << 255 << 0 << 0;

        QTest::addRow("isTimeFilterEnabled") << READER(isTimeFilterEnabled) << 1 << 0 << 0;
        QTest::addRow("isMonitorFilteredEnabled")
            << READER(isMonitorFilteredEnabled) << 0 << 1 << 0;
        QTest::addRow("isMonitorHysteresisEnabled")
            << READER(isMonitorHysteresisEnabled) << 1 << 0 << 0;

        QTest::addRow("hysteresisValue unsigned") << READER(hysteresisValue) << 240 << 127 << 0;
        QTest::addRow("timeRejectorMaxChange signed")
            << READER(timeRejectorMaxChange) << -100 << 127 << 0;
        QTest::addRow("sigFilterWarpDistance") << READER(sigFilterWarpDistance) << 200 << 0 << 0;
        QTest::addRow("sigFilterWarpIntensity") << READER(sigFilterWarpIntensity) << 1 << 128 << 0;
        QTest::addRow("sigFilterHiIntensity") << READER(sigFilterHiIntensity) << 254 << 127 << 0;

        QTest::addRow("isMonitorDiagA") << READER(isMonitorDiagA) << 1 << 0 << 1;
        QTest::addRow("isMonitorDiagB") << READER(isMonitorDiagB) << 0 << 1 << 1;
        QTest::addRow("isDiagWireErrorA") << READER(isDiagWireErrorA) << 1 << 0 << 0;
        QTest::addRow("isDiagWireErrorB") << READER(isDiagWireErrorB) << 0 << 1 << 0;
    }
    void readFields() {
        QFETCH(Reader, read);
        QFETCH(int, inP);
        QFETCH(int, inQ);
        QFETCH(int, unsupported);

        QCOMPARE(read(BlockAccessor(block("P"))), inP);
        QCOMPARE(read(BlockAccessor(block("Q"))), inQ);
        // A firmware that lacks every field: the defaults, whatever the block holds.
        supportNothing();
        QCOMPARE(read(BlockAccessor(block("P"))), unsupported);
        QCOMPARE(read(BlockAccessor(block("all ones"))), unsupported);
    }

    void paramVersionIsNeverGated() {
        supportNothing();
        QCOMPARE(BlockAccessor(block("P")).ParamVersion(), 7);
        QCOMPARE(BlockAccessor(block("Q")).ParamVersion(), 0);
        QCOMPARE(BlockAccessor(block("all ones")).ParamVersion(), 255);
    }

    void shortBlockReadsMissingBytesAsZero() {
        const BlockAccessor shortBlock(QByteArray::fromHex("a503118213c896f60295"));
        QCOMPARE(shortBlock.edgePs(), 17);
        QCOMPARE(shortBlock.outputEncoding(), 2);
        QVERIFY(shortBlock.isOutputEnabled());
        QVERIFY(!shortBlock.isMonitorEdgeA());
        QCOMPARE(shortBlock.ParamVersion(), 0);
        QCOMPARE(shortBlock.hysteresisValue(), 0);
        QVERIFY(!shortBlock.isMonitorDiagA());
        QVERIFY(!shortBlock.isDiagWireErrorB());

        const BlockAccessor empty{QByteArray()};
        QCOMPARE(empty.edgePs(), 0);
        QVERIFY(!empty.isSoftResetActive());
    }

    // "P 9=97 14=05": block P (F is all ones), then the bytes the writer changes.
    void writeFields_data() {
        QTest::addColumn<Writer>("write");
        QTest::addColumn<QString>("expected");
        const auto w = [](const char* name, const Writer& write, const char* expected) {
            QTest::newRow(name) << write << QString::fromLatin1(expected);
        };
        // Whole bytes take the low 8 bits; byte 14 gets the remembered version (05).
        w("setEdgePs low byte", WRITER(setEdgePs(0x1234)), "P 2=34 14=05");
        w("setEdgeThreshold", WRITER(setEdgeThreshold(77)), "P 3=4d 14=05");
        w("setScanPs -1", WRITER(setScanPs(-1)), "P 4=ff 14=05");
        w("setTouchThreshold", WRITER(setTouchThreshold(201)), "P 5=c9 14=05");
        w("setPressThreshold", WRITER(setPressThreshold(3)), "P 6=03 14=05");
        w("setLinearity", WRITER(setLinearity(-2)), "P 7=fe 14=05");
        w("setOutputEncoding", WRITER(setOutputEncoding(3)), "P 8=03 14=05");
        // Byte 9 of P is 0x95, of Q 0x6a.
        w("setOutputEnabled off", WRITER(setOutputEnabled(false)), "P 9=94 14=05");
        w("setOutputEnabled on", WRITER(setOutputEnabled(true)), "Q 9=6b 14=05");
        w("setOutputFlipY", WRITER(setOutputFlipY(true)), "P 9=97 14=05");
        w("setOutputFlipX", WRITER(setOutputFlipX(false)), "P 9=91 14=05");
        w("setOutputSwapXy", WRITER(setOutputSwapXy(true)), "P 9=9d 14=05");
        w("setOutputUseCalib3", WRITER(setOutputUseCalib3(false)), "P 9=85 14=05");
        w("setOutputEdgeStrechActive", WRITER(setOutputEdgeStrechActive(true)), "P 9=b5 14=05");
        // Byte 10 of P is 0xa6, of Q 0x59.
        w("setMonitorEdgeA off", WRITER(setMonitorEdgeA(false)), "P 10=26 14=05");
        w("setMonitorEdgeA on", WRITER(setMonitorEdgeA(true)), "Q 10=d9 14=05");
        w("setMonitorVerEdgeA stamp 0", WRITER(setMonitorVerEdgeA(false, 0)), "P 10=26 14=00");
        w("setMonitorEdgeAMax", WRITER(setMonitorEdgeAMax(true)), "P 10=e6 14=05");
        w("setMonitorEdgeB", WRITER(setMonitorEdgeB(false)), "P 10=86 14=05");
        w("setMonitorVerEdgeB stamp low byte", WRITER(setMonitorVerEdgeB(true, 0x102)),
          "Q 10=79 14=02");
        w("setMonitorEdgeBMax", WRITER(setMonitorEdgeBMax(true)), "P 10=b6 14=05");
        w("setMonitorScanA", WRITER(setMonitorScanA(true)), "P 10=ae 14=05");
        w("setMonitorScanB", WRITER(setMonitorScanB(false)), "P 10=a2 14=05");
        w("setMonitorDynA", WRITER(setMonitorDynA(false)), "P 10=a4 14=05");
        w("setMonitorDynB", WRITER(setMonitorDynB(true)), "P 10=a7 14=05");
        // Byte 11 of P is 0x59, of Q 0xa6.
        w("setMonitorScanAreaA", WRITER(setMonitorScanAreaA(true)), "P 11=d9 14=05");
        w("setMonitorScanAreaB", WRITER(setMonitorScanAreaB(false)), "P 11=19 14=05");
        w("setMonitorPeaks", WRITER(setMonitorPeaks(true)), "P 11=79 14=05");
        w("setPeakMonitoring", WRITER(setPeakMonitoring(false)), "P 11=49 14=05");
        w("setMonitorOutput", WRITER(setMonitorOutput(false)), "P 11=51 14=05");
        w("setMonitorTestMode on", WRITER(setMonitorTestMode(true)), "P 11=5d 14=05");
        w("setOutputExcludeMode", WRITER(setOutputExcludeMode(-1)), "P 13=ff 14=05");
        w("setKnuckleReject stamps 1", WRITER(setKnuckleReject(3)), "P 15=03 14=01");
        w("setEdgeStretchLevel", WRITER(setEdgeStretchLevel(-3)), "P 16=fd 14=05");
        w("setEdgeStrechScale", WRITER(setEdgeStrechScale(9)), "P 17=09 14=05");
        // Byte 21 of P is 0xa9, of Q 0x56; these writers stamp 1.
        w("setTimeFilterEnabled off", WRITER(setTimeFilterEnabled(false)), "P 21=89 14=01");
        w("setMonitorFilteredEnabled", WRITER(setMonitorFilteredEnabled(true)), "P 21=b9 14=01");
        w("setMonitorHysteresisEnabled", WRITER(setMonitorHysteresisEnabled(false)),
          "P 21=a1 14=01");
        w("setHysteresisValue", WRITER(setHysteresisValue(5)), "P 22=05 14=01");
        w("setHysteresisValue in 0xff", WRITER(setHysteresisValue(5)), "F 22=05 14=01");
        w("setTimeRejectorMaxChange", WRITER(setTimeRejectorMaxChange(-7)), "P 23=f9 14=01");
        w("setSigFilterWarpDistance", WRITER(setSigFilterWarpDistance(10)), "P 24=0a 14=01");
        w("setSigFilterWarpIntensity", WRITER(setSigFilterWarpIntensity(-128)), "P 25=80 14=01");
        w("setSigFilterHiIntensity", WRITER(setSigFilterHiIntensity(0x7f)), "P 26=7f 14=01");
        // Byte 27 of P is 0x86, of Q 0x79.
        w("setMonitorDiagA off", WRITER(setMonitorDiagA(false)), "P 27=06 14=01");
        w("setMonitorDiagA on", WRITER(setMonitorDiagA(true)), "Q 27=f9 14=01");
        w("setMonitorDiagB on", WRITER(setMonitorDiagB(true)), "P 27=c6 14=01");
    }
    void writeFields() {
        QFETCH(Writer, write);
        QFETCH(QString, expected);
        const QString base = expected.section(QLatin1Char(' '), 0, 0);
        const QString changes = expected.section(QLatin1Char(' '), 1);

        BlockAccessor accessor(block(base));
        write(accessor);
        QCOMPARE(accessor.writableParameterBlock().toHex(),
                 withChanges(block(base), changes).toHex());

        // A firmware that lacks the field: nothing changes, not even the stamp.
        supportNothing();
        BlockAccessor unsupported(block(base));
        write(unsupported);
        QCOMPARE(unsupported.writableParameterBlock().toHex(), block(base).toHex());
    }

    void oneMissingFieldKeepsItsDefault() {
        // Firmware without the diagnostics bit of array A; everything else is present.
        ParameterFieldSupport::setLookup(
            [](int, int offset, quint8 mask) { return !(offset == 27 && mask == 0x80); });
        BlockAccessor q(block("Q"));
        QVERIFY(q.isMonitorDiagA());
        QVERIFY(q.isMonitorDiagB());
        q.setMonitorDiagA(false);
        q.setMonitorDiagA(true);
        QCOMPARE(q.writableParameterBlock().toHex(), block("Q").toHex());
        q.setMonitorDiagB(false);
        QCOMPARE(q.writableParameterBlock().toHex(),
                 withChanges(block("Q"), "27=39 14=01").toHex());
    }

    void shortBlockIsNeverWrittenBeyondItsEnd() {
        LogSpy log;
        const QByteArray tenBytes = QByteArray::fromHex("a503118213c896f60295");

        BlockAccessor accessor(tenBytes);
        accessor.setHysteresisValue(5);
        accessor.setMonitorDiagA(false);
        QCOMPARE(accessor.writableParameterBlock().toHex(), tenBytes.toHex());
        QCOMPARE(log.messages(SillyLogger::Warning).size(), 2);

        // A field inside the block is written; the missing version byte is not added.
        accessor.setEdgePs(9);
        QCOMPARE(accessor.writableParameterBlock().toHex(), QByteArray("a503098213c896f60295"));
    }

    void outputEncodingChecksTheBlockLength_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("warned");
        QTest::addRow("full answer") << 60 << false;
        QTest::addRow("one byte short") << 59 << true;
        QTest::addRow("one byte long") << 61 << true;
    }
    void outputEncodingChecksTheBlockLength() {
        QFETCH(int, length);
        QFETCH(bool, warned);
        LogSpy log;
        QByteArray bytes = block("P");
        bytes.resize(length);
        BlockAccessor accessor(bytes);
        accessor.setOutputEncoding(1);
        QCOMPARE(
            log.count(SillyLogger::Warning,
                      QStringLiteral("Wrong length response %1, expect problems!").arg(length)),
            warned ? 1 : 0);
        // Written anyway.
        QCOMPARE(accessor.outputEncoding(), 1);
        QCOMPARE(accessor.ParamVersion(), int(kRemembered));
    }
};

QTEST_GUILESS_MAIN(tst_ParameterAccessors)
#include "tst_ParameterAccessors.moc"
