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
#include "tests/support/TestSettings.h"

namespace {
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A received filter report, by field: frame 00, code 15, then
// 2: 1.0, 6: 2.5, 10: 0.5, 14: 0.25, 18: 0.3 (code AA 01 00 80), 22: 1000.7,
// 26: 3.0, 30: 4.0, 34..59: 5A filler.
const QByteArray kFilterReport =
    hex("0015 00010000 80020000 00010080 00020080 aa010080 b3e80300 00030000 00040000") +
    QByteArray(26, char(0x5a));
// The same report sent back unchanged: opcode 12, then report bytes 2..59.
const QByteArray kFilterCommand = hex("12") + kFilterReport.mid(2);

// A received tracker report: frame 00, code 25, then 2: 1.0, 6: 2.5, 10: 0.5, byte 14
// (version stamp) 07, 15..59: 33 filler.
const QByteArray kTrackerReport =
    hex("0025 00010000 80020000 00010080 07") + QByteArray(45, char(0x33));

// A tracker command: opcode 23, the hand-written fields and stamp, then the report's filler.
QByteArray trackerCommand(const char* fieldsAndStamp) {
    return hex("23") + hex(fieldsAndStamp) + kTrackerReport.mid(15);
}

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

// A filter field's reader, writer and row name from its two member names.
#define FIELD(getter, setter) Reader(&FilterAccessor::getter), &CommandSetFilterAB::setter, #getter

class tst_FloatParameterSets : public QObject {
    Q_OBJECT

    static void addField(const Reader& reader, const FilterWriter& writer, const char* name,
                         int offset, double held, const char* key, double written,
                         const char* bytes) {
        QTest::newRow(name) << reader << writer << offset << held << QString::fromLatin1(key)
                            << written << hex(bytes);
    }

private slots:
    void initTestCase() { useTestSettings(); }
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
        QTest::addRow("negative") << -2.5 << hex("00000000");
        QTest::addRow("NaN") << std::numeric_limits<double>::quiet_NaN() << hex("00000000");
        QTest::addRow("just below 1") << 0.99999994 << hex("80000080");
        QTest::addRow("largest that fits") << 8388607.5 << hex("80ffff7f");
        QTest::addRow("2^23 saturates") << 8388608.0 << hex("ffffff7f");
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

    // One row per filter field: what kFilterReport holds there, where its first default is
    // kept (key less "Value", "" when none), and the bytes a written value becomes.
    void filterFields_data() {
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<FilterWriter>("writer");
        QTest::addColumn<int>("offset");
        QTest::addColumn<double>("held");
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("written");
        QTest::addColumn<QByteArray>("bytes");
        addField(FIELD(kalStdDeviation0, setKalStdDeviation0), 2, 1.0, "kalmanStdDev", 2.0,
                 "00020000");
        addField(Reader(), &CommandSetFilterAB::setKalStdDeviation1, "kalStdDeviation1", 6, 2.5, "",
                 0.25, "00020080");
        addField(FIELD(kalPMatrixFactor, setKalPMatrixFactor), 10, 0.5, "kalmanAPCovFactor", 0.3,
                 "aa010080");
        addField(FIELD(kalQMatrixFactor, setKalQMatrixFactor), 14, 0.25, "kalmanAQCovFactor",
                 1000.7, "b3e80300");
        addField(FIELD(filterStabStdDeviation, setFilterStabStdDeviation), 18, 256.0 / 852.0,
                 "StabStdDeviation", 0.0, "00000000");
        addField(FIELD(filterWarpFactor, setFilterWarpFactor), 22, 1000.69921875, "warpFactor",
                 -3.0, "00000000");
        addField(FIELD(filterOrtho, setFilterOrtho), 26, 3.0, "orthogonality", 1e9, "ffffff7f");
        addField(FIELD(filterLock, setFilterLock), 30, 4.0, "criticalLockingDistance", 2.0,
                 "00020000");
    }
    void filterFields() {
        QFETCH(Reader, reader);
        QFETCH(FilterWriter, writer);
        QFETCH(int, offset);
        QFETCH(double, held);
        QFETCH(QString, key);
        QFETCH(double, written);
        QFETCH(QByteArray, bytes);
        ResponseDelegateFilterAB delegate;
        delegate.addData(kFilterReport);
        delegate.execute();
        std::unique_ptr<CommandSetFilterAB> command(CommandFactory::setFilterAB(kFilterReport));
        if (reader) {
            QCOMPARE(reader(delegate), float(held));
            QCOMPARE(reader(*command), float(held));
            QCOMPARE(QSettings().value("FilterValue/" + key + "Value").toFloat(), float(held));
        }
        writer(*command, float(written));
        const QByteArray sent = command->execute();
        // The command is the report from byte 1 on: the field sits one byte earlier.
        QCOMPARE(sent, QByteArray(kFilterCommand).replace(offset - 1, 4, bytes));
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
    }

    // The controller zero-fills what a set command lacks: a command built from less than
    // a whole report would wipe the values it does not carry, so none is built.
    void setCommandsNeedAWholeReport_data() {
        QTest::addColumn<bool>("filter");
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<bool>("built");
        QTest::addRow("filter, whole report") << true << kFilterReport << true;
        QTest::addRow("filter, never answered") << true << QByteArray() << false;
        QTest::addRow("filter, short report") << true << kFilterReport.left(32) << false;
        QTest::addRow("filter, one byte short") << true << kFilterReport.left(59) << false;
        QTest::addRow("filter, tracker report") << true << kTrackerReport << false;
        QTest::addRow("tracker, whole report") << false << kTrackerReport << true;
        QTest::addRow("tracker, never answered") << false << QByteArray() << false;
        QTest::addRow("tracker, short report") << false << kTrackerReport.left(10) << false;
        QTest::addRow("tracker, filter report") << false << kFilterReport << false;
    }
    void setCommandsNeedAWholeReport() {
        QFETCH(bool, filter);
        QFETCH(QByteArray, previous);
        QFETCH(bool, built);
        std::unique_ptr<DeviceCommand> command(
            filter ? static_cast<DeviceCommand*>(CommandFactory::setFilterAB(previous))
                   : CommandFactory::setTrackerParams(previous));
        QCOMPARE(command != nullptr, built);
        if (built) {
            QCOMPARE(command->execute().size(), 59);
            QVERIFY(command->isStateMutating());
        }
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

        QCOMPARE(QSettings().value("FilterValue/FirstConfiguration").toBool(), true);
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
            << trackerCommand("00010080 80020000 00010080 01");
        QTest::addRow("pMatrixFactor, version 9")
            << quint8(9) << TrackerWriter(&CommandSetTrackerParams::setPMatrixFactor) << 1000.7
            << trackerCommand("00010000 b3e80300 00010080 09");
        QTest::addRow("qMatrixFactor, version 2")
            << quint8(2) << TrackerWriter(&CommandSetTrackerParams::setQMatrixFactor) << 2.5
            << trackerCommand("00010000 80020000 80020000 02");
        QTest::addRow("version 0 firmware lacks the tracker set")
            << quint8(0) << TrackerWriter(&CommandSetTrackerParams::setStdDeviation) << 0.5
            << trackerCommand("00010000 80020000 00010080 07");
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

    void shortTrackerBlockIsNotStamped() {
        // Ten bytes: the block holds the first field and no stamp byte.
        CommandSetTrackerParams set;
        set.setPreviousResponse(hex("00250001000080020000"));
        set.setStdDeviation(3.0f);
        set.setQMatrixFactor(3.0f);
        QCOMPARE(set.execute(), hex("230003000080020000"));
    }
};

QTEST_GUILESS_MAIN(tst_FloatParameterSets)
#include "tst_FloatParameterSets.moc"
