#include <QSettings>
#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "protocol/CommandFactory.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/FloatWriteAccessor.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"
#include "protocol/ResponseDelegateFilterAB.h"
#include "protocol/ResponseDelegateTrackerParams.h"

namespace {
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A received filter report, by field: frame 00, code 15, then
// 2: 1.0, 6: 2.5, 10: 0.5, 14: 0.25, 18: 0.3 (code AA 01 00 80), 22: 1000.7,
// 26: 3.0, 30: 4.0, 34..59: 5A filler.
const QByteArray kFilterReport =
    hex("0015"
        "00010000"
        "80020000"
        "00010080"
        "00020080"
        "aa010080"
        "b3e80300"
        "00030000"
        "00040000"
        "5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a");
// The same report sent back unchanged: opcode 12, then report bytes 2..59.
const QByteArray kFilterCommand =
    hex("12"
        "00010000"
        "80020000"
        "00010080"
        "00020080"
        "aa010080"
        "b3e80300"
        "00030000"
        "00040000"
        "5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a");

// A received tracker report: frame 00, code 25, then 2: 1.0, 6: 2.5, 10: 0.5, byte 14
// (version stamp) 07, 15..59: 33 filler.
const QByteArray kTrackerReport =
    hex("0025"
        "00010000"
        "80020000"
        "00010080"
        "07"
        "333333333333333333333333333333333333333333333333333333333333333333333333333333333333"
        "333333");
const QByteArray kTrackerCommand =
    hex("23"
        "00010000"
        "80020000"
        "00010080"
        "07"
        "333333333333333333333333333333333333333333333333333333333333333333333333333333333333"
        "333333");

using FilterWriter = std::function<void(CommandSetFilterAB&, float)>;
using TrackerWriter = std::function<void(CommandSetTrackerParams&, float)>;
using Reader = std::function<float(const FilterAccessor&)>;

// Reads one float code through the filter delegate's first field (offset 2).
float decodeAtFirstField(const QByteArray& fourBytes) {
    ResponseDelegateFilterAB delegate;
    delegate.addData(hex("0015") + fourBytes);
    return delegate.kalStdDeviation0();
}

QByteArray storedBytes(quint32 word) {
    QByteArray bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.append(char((word >> (8 * i)) & 0xFF));
    }
    return bytes;
}
}  // namespace

Q_DECLARE_METATYPE(FilterWriter)
Q_DECLARE_METATYPE(TrackerWriter)
Q_DECLARE_METATYPE(Reader)

class tst_FloatParameterSets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
        QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftwareTest"));
        QSettings().clear();
    }
    void init() {
        ParameterVersion::remember(ParameterVersion::kStartValue);
        ParameterFieldSupport::setLookup({});
    }
    void cleanup() {
        ParameterFieldSupport::setLookup({});
        ParameterVersion::remember(ParameterVersion::kStartValue);
        QSettings().clear();
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("value");
        // The common codes are read through every field in filterReaders.
        QTest::addRow("zero") << hex("00000000") << 0.0;
        QTest::addRow("2.5") << hex("80020000") << 2.5;
        QTest::addRow("smallest fixed step") << hex("01000000") << 1.0 / 256.0;
        QTest::addRow("fraction k=1") << hex("01000080") << 128.0;
        QTest::addRow("bit 31 alone is not 256/0") << hex("00000080") << 0.0;
        QTest::addRow("2k beyond signed range stays positive")
            << hex("000000c0") << 256.0 / 2147483648.0;
        QTest::addRow("largest k") << hex("ffffffff") << 256.0 / 4294967294.0;
        QTest::addRow("largest fixed point") << hex("ffffff7f") << 2147483647.0 / 256.0;
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(double, value);
        const float decoded = decodeAtFirstField(bytes);
        QVERIFY(std::isfinite(decoded));
        QCOMPARE(decoded, float(value));
    }

    void encoding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("1.0") << 1.0 << hex("00010000");
        QTest::addRow("2.5") << 2.5 << hex("80020000");
        QTest::addRow("0.5") << 0.5 << hex("00010080");
        QTest::addRow("0.25") << 0.25 << hex("00020080");
        QTest::addRow("0.3") << 0.3 << hex("aa010080");
        QTest::addRow("1000.7") << 1000.7 << hex("b3e80300");
        QTest::addRow("zero") << 0.0 << hex("00000000");
        QTest::addRow("negative") << -2.5 << hex("00000000");
        QTest::addRow("NaN") << std::numeric_limits<double>::quiet_NaN() << hex("00000000");
        QTest::addRow("just below 1") << 0.99999994 << hex("80000080");
        QTest::addRow("largest that fits") << 8388607.5 << hex("80ffff7f");
        QTest::addRow("2^23 saturates") << 8388608.0 << hex("ffffff7f");
        QTest::addRow("1e9 saturates") << 1e9 << hex("ffffff7f");
        QTest::addRow("infinity saturates")
            << std::numeric_limits<double>::infinity() << hex("ffffff7f");
        QTest::addRow("2^-20") << std::ldexp(1.0, -20) << hex("00000088");
        QTest::addRow("2^-23 still fits") << std::ldexp(1.0, -23) << hex("000000c0");
        QTest::addRow("2^-24 saturates small") << std::ldexp(1.0, -24) << hex("ffffffff");
        QTest::addRow("1e-30 saturates small") << 1e-30 << hex("ffffffff");
        QTest::addRow("denormal saturates small") << 1e-45 << hex("ffffffff");
    }
    void encoding() {
        QFETCH(double, value);
        QFETCH(QByteArray, bytes);
        QCOMPARE(storedBytes(FloatWriteAccessor::encode(float(value))), bytes);

        // And through a writer into a block: the field holds exactly those bytes.
        std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(kFilterReport));
        command->setKalStdDeviation0(float(value));
        QCOMPARE(command->execute().mid(1, 4), bytes);
        if (value > 0) {
            QVERIFY(command->kalStdDeviation0() > 0.0f);  // never a sign flip
        }
    }

    void filterReaders_data() {
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<double>("value");
        QTest::addRow("kalStdDeviation0") << Reader(&FilterAccessor::kalStdDeviation0) << 1.0;
        QTest::addRow("kalPMatrixFactor") << Reader(&FilterAccessor::kalPMatrixFactor) << 0.5;
        QTest::addRow("kalQMatrixFactor") << Reader(&FilterAccessor::kalQMatrixFactor) << 0.25;
        QTest::addRow("filterStabStdDeviation")
            << Reader(&FilterAccessor::filterStabStdDeviation) << 256.0 / 852.0;
        QTest::addRow("filterWarpFactor")
            << Reader(&FilterAccessor::filterWarpFactor) << 1000.69921875;
        QTest::addRow("filterOrtho") << Reader(&FilterAccessor::filterOrtho) << 3.0;
        QTest::addRow("filterLock") << Reader(&FilterAccessor::filterLock) << 4.0;
    }
    void filterReaders() {
        QFETCH(Reader, reader);
        QFETCH(double, value);
        ResponseDelegateFilterAB delegate;
        delegate.addData(kFilterReport);
        QCOMPARE(reader(delegate), float(value));
        std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(kFilterReport));
        QCOMPARE(reader(*command), float(value));
    }

    void filterWriters_data() {
        QTest::addColumn<FilterWriter>("writer");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("commandByte");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("kalStdDeviation0") << FilterWriter(&CommandSetFilterAB::setKalStdDeviation0)
                                          << 2.0 << 1 << hex("00020000");
        QTest::addRow("kalStdDeviation1") << FilterWriter(&CommandSetFilterAB::setKalStdDeviation1)
                                          << 0.25 << 5 << hex("00020080");
        QTest::addRow("kalPMatrixFactor") << FilterWriter(&CommandSetFilterAB::setKalPMatrixFactor)
                                          << 0.3 << 9 << hex("aa010080");
        QTest::addRow("kalQMatrixFactor") << FilterWriter(&CommandSetFilterAB::setKalQMatrixFactor)
                                          << 1000.7 << 13 << hex("b3e80300");
        QTest::addRow("filterStabStdDeviation")
            << FilterWriter(&CommandSetFilterAB::setFilterStabStdDeviation) << 0.0 << 17
            << hex("00000000");
        QTest::addRow("filterWarpFactor") << FilterWriter(&CommandSetFilterAB::setFilterWarpFactor)
                                          << -3.0 << 21 << hex("00000000");
        QTest::addRow("filterOrtho")
            << FilterWriter(&CommandSetFilterAB::setFilterOrtho) << 1e9 << 25 << hex("ffffff7f");
        QTest::addRow("filterLock")
            << FilterWriter(&CommandSetFilterAB::setFilterLock) << 2.0 << 29 << hex("00020000");
    }
    void filterWriters() {
        QFETCH(FilterWriter, writer);
        QFETCH(double, value);
        QFETCH(int, commandByte);
        QFETCH(QByteArray, bytes);
        std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(kFilterReport));
        writer(*command, float(value));
        const QByteArray sent = command->execute();
        QCOMPARE(sent.size(), 59);
        QCOMPARE(sent.mid(commandByte, 4), bytes);
        // Every other byte is the received one.
        QCOMPARE(sent.left(commandByte), kFilterCommand.left(commandByte));
        QCOMPARE(sent.mid(commandByte + 4), kFilterCommand.mid(commandByte + 4));
        QCOMPARE(command->previousResponse(), kFilterReport);
    }

    void unsupportedFilterFieldsReadZeroAndAreNotWritten() {
        QVector<QVector<int>> asked;
        ParameterFieldSupport::setLookup([&](int set, int offset, quint8 mask) {
            asked.append({set, offset, mask});
            return offset != 30;  // this firmware lacks the locking distance
        });
        ResponseDelegateFilterAB delegate;
        delegate.addData(kFilterReport);
        QCOMPARE(delegate.filterLock(), 0.0f);
        QCOMPARE(delegate.filterOrtho(), 3.0f);
        QCOMPARE(asked, (QVector<QVector<int>>{{3, 30, 0}, {3, 26, 0}}));

        std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(kFilterReport));
        command->setFilterLock(2.0f);
        QCOMPARE(command->execute(), kFilterCommand);
        // A positive answer is kept, a negative one asked again.
        delegate.filterOrtho();
        delegate.filterLock();
        QCOMPARE(asked.count(QVector<int>{3, 26, 0}), 1);
        QCOMPARE(asked.count(QVector<int>{3, 30, 0}), 3);
    }

    void shortFilterReport() {
        // 32 bytes: the locking distance has two of its four bytes, 00 04 [00 00].
        ResponseDelegateFilterAB delegate;
        delegate.addData(kFilterReport.left(32));
        QCOMPARE(delegate.filterOrtho(), 3.0f);
        QCOMPARE(delegate.filterLock(), 4.0f);
        delegate.addData(kFilterReport.left(31));  // 00 [00 00 00]
        QCOMPARE(delegate.filterLock(), 0.0f);
        delegate.addData(hex("0015ffffff"));
        QCOMPARE(delegate.kalStdDeviation0(), float(0xFFFFFF / 256.0));
        QCOMPARE(delegate.filterLock(), 0.0f);

        std::unique_ptr<CommandSetFilterAB> command(
            CommandFactory::setFilterAB(kFilterReport.left(32)));
        command->setFilterLock(5.0f);
        command->setKalStdDeviation0(2.0f);
        QCOMPARE(command->execute(), hex("1200020000") + kFilterCommand.mid(5, 26));
    }

    void filterExecuteSignalsThenKeepsFirstConfiguration() {
        ResponseDelegateFilterAB delegate;
        QStringList order;
        QByteArray memento;
        connect(&delegate, qOverload<>(&ResponseDelegateFilterAB::valuesChanged), this,
                [&] { order << "changed"; });
        connect(&delegate, qOverload<QByteArray>(&ResponseDelegateFilterAB::valuesChanged), this,
                [&](const QByteArray& m) {
                    order << "memento";
                    memento = m;
                });
        delegate.addData(kFilterReport);
        delegate.execute();
        QCOMPARE(order, (QStringList{"changed", "memento"}));
        QCOMPARE(memento, kFilterReport);

        QSettings settings;
        QCOMPARE(settings.value("FilterValue/FirstConfiguration").toBool(), true);
        QCOMPARE(settings.value("FilterValue/kalmanStdDevValue").toFloat(), 1.0f);
        QCOMPARE(settings.value("FilterValue/kalmanAPCovFactorValue").toFloat(), 0.5f);
        QCOMPARE(settings.value("FilterValue/kalmanAQCovFactorValue").toFloat(), 0.25f);
        QCOMPARE(settings.value("FilterValue/StabStdDeviationValue").toFloat(),
                 float(256.0 / 852.0));
        QCOMPARE(settings.value("FilterValue/warpFactorValue").toFloat(), 1000.69921875f);
        QCOMPARE(settings.value("FilterValue/orthogonalityValue").toFloat(), 3.0f);
        QCOMPARE(settings.value("FilterValue/criticalLockingDistanceValue").toFloat(), 4.0f);

        // Later answers leave the first configuration alone.
        QByteArray changed = kFilterReport;
        changed[3] = char(0x07);  // kalman deviation 7.0
        delegate.addData(changed);
        delegate.execute();
        QCOMPARE(QSettings().value("FilterValue/kalmanStdDevValue").toFloat(), 1.0f);
    }

    void shortFilterReportIsNotKeptAsDefaults() {
        ResponseDelegateFilterAB delegate;
        delegate.addData(kFilterReport.left(20));
        delegate.execute();
        QVERIFY(!QSettings().contains("FilterValue/FirstConfiguration"));
        QVERIFY(!QSettings().contains("FilterValue/kalmanStdDevValue"));
        delegate.setDefaultParameters();  // before any full answer
        QVERIFY(!QSettings().contains("FilterValue/FirstConfiguration"));
        delegate.addData(kFilterReport);
        delegate.setDefaultParameters();
        QCOMPARE(QSettings().value("FilterValue/FirstConfiguration").toBool(), true);
        QCOMPARE(QSettings().value("FilterValue/criticalLockingDistanceValue").toFloat(), 4.0f);
    }

    void trackerReadersAndWriters_data() {
        QTest::addColumn<quint8>("version");
        QTest::addColumn<TrackerWriter>("writer");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("command");
        QTest::addRow("stdDeviation, version 1")
            << quint8(1) << TrackerWriter(&CommandSetTrackerParams::setStdDeviation) << 0.5
            << hex("23"
                   "00010080"
                   "80020000"
                   "00010080"
                   "01") +
                   kTrackerCommand.mid(14);
        QTest::addRow("pMatrixFactor, version 9")
            << quint8(9) << TrackerWriter(&CommandSetTrackerParams::setPMatrixFactor) << 1000.7
            << hex("23"
                   "00010000"
                   "b3e80300"
                   "00010080"
                   "09") +
                   kTrackerCommand.mid(14);
        QTest::addRow("qMatrixFactor, version 2")
            << quint8(2) << TrackerWriter(&CommandSetTrackerParams::setQMatrixFactor) << 2.5
            << hex("23"
                   "00010000"
                   "80020000"
                   "80020000"
                   "02") +
                   kTrackerCommand.mid(14);
        QTest::addRow("version 0 firmware lacks the tracker set")
            << quint8(0) << TrackerWriter(&CommandSetTrackerParams::setStdDeviation) << 0.5
            << kTrackerCommand;
    }
    void trackerReadersAndWriters() {
        QFETCH(quint8, version);
        QFETCH(TrackerWriter, writer);
        QFETCH(double, value);
        QFETCH(QByteArray, command);
        ParameterVersion::remember(version);
        const bool present = version >= 1;

        ResponseDelegateTrackerParams delegate;
        delegate.addData(kTrackerReport);
        QCOMPARE(delegate.stdDeviation(), present ? 1.0f : 0.0f);
        QCOMPARE(delegate.pMatrixFactor(), present ? 2.5f : 0.0f);
        QCOMPARE(delegate.qMatrixFactor(), present ? 0.5f : 0.0f);

        std::unique_ptr<CommandSetTrackerParams> set(
            CommandFactory::setTrackerParams(kTrackerReport));
        QVERIFY(set->parent() == nullptr);
        writer(*set, float(value));
        QCOMPARE(set->execute(), command);
    }

    void trackerExecuteSignals() {
        ResponseDelegateTrackerParams delegate;
        QStringList order;
        connect(&delegate, qOverload<>(&ResponseDelegateTrackerParams::valuesChanged), this,
                [&] { order << "changed"; });
        connect(&delegate, qOverload<QByteArray>(&ResponseDelegateTrackerParams::valuesChanged),
                this, [&](const QByteArray& m) { order << "memento " + m.toHex(); });
        delegate.addData(hex("00250001"));
        delegate.execute();
        QCOMPARE(order, (QStringList{"changed", "memento 00250001"}));
    }

    void shortTrackerBlockIsNotStamped() {
        // Ten bytes: the report holds the first field and no stamp byte.
        std::unique_ptr<CommandSetTrackerParams> set(
            CommandFactory::setTrackerParams(hex("00250001000080020000")));
        set->setStdDeviation(3.0f);
        set->setQMatrixFactor(3.0f);
        QCOMPARE(set->execute(), hex("230003000080020000"));
    }
};

QTEST_GUILESS_MAIN(tst_FloatParameterSets)
#include "tst_FloatParameterSets.moc"
