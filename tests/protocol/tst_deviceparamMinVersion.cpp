#include <QtTest>

#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"
#include "protocol/deviceparamMinVersion.h"

namespace {
struct Query {
    int set;
    int offset;
    int mask;
    bool operator==(const Query& other) const {
        return set == other.set && offset == other.offset && mask == other.mask;
    }
};
}  // namespace

class tst_deviceparamMinVersion : public QObject {
    Q_OBJECT

private:
    deviceparamMinVersion* table() { return deviceparamMinVersion::instance(); }

    // The field-support cache in front of the table, with its lookups counted.
    QVector<Query> m_queries;
    bool m_answer = true;
    void countQueries() {
        m_queries.clear();
        m_answer = true;
        ParameterFieldSupport::setLookup([this](int set, int offset, quint8 mask) {
            m_queries.append(Query{set, offset, mask});
            return m_answer;
        });
    }

private slots:
    void cleanup() {
        ParameterFieldSupport::setLookup({});
        ParameterVersion::remember(ParameterVersion::kStartValue);
    }

    void mainTableGatesByRememberedVersion_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("present");

        // Current-parameters block: every listed field needs version 0.
        QTest::addRow("edge prescaler") << 2 << 2 << 0 << 0 << true;
        QTest::addRow("output byte as a whole") << 2 << 9 << 0 << 0 << false;
        QTest::addRow("output enabled") << 2 << 9 << 0x01 << 0 << true;
        QTest::addRow("unused output bit 0x40") << 2 << 9 << 0x40 << 0 << false;
        QTest::addRow("monitor dyn B") << 2 << 10 << 0x01 << 0 << true;
        QTest::addRow("monitor edge A") << 2 << 10 << 0x80 << 0 << true;
        QTest::addRow("monitor edge A as signed mask") << 2 << 10 << -128 << 0 << true;
        QTest::addRow("scan area A") << 2 << 11 << 0x80 << 0 << true;
        QTest::addRow("read protect") << 2 << 12 << 0x10 << 0 << true;
        QTest::addRow("unlisted status bit 0x01") << 2 << 12 << 0x01 << 1 << false;
        QTest::addRow("exclude mode") << 2 << 13 << 0 << 0 << true;
        QTest::addRow("version byte") << 2 << 14 << 0 << 0 << true;
        QTest::addRow("hysteresis enabled") << 2 << 21 << 0x08 << 0 << true;
        QTest::addRow("unused filter bit 0x04") << 2 << 21 << 0x04 << 0 << false;
        QTest::addRow("filter byte as a whole") << 2 << 21 << 0 << 0 << false;
        QTest::addRow("hysteresis value") << 2 << 22 << 0 << 0 << true;
        QTest::addRow("diag A") << 2 << 27 << 0x80 << 0 << true;
        QTest::addRow("unused diag bit 0x04") << 2 << 27 << 0x04 << 0 << false;
        QTest::addRow("beyond the block") << 2 << 28 << 0 << 0 << false;
        QTest::addRow("response code byte") << 2 << 1 << 0 << 0 << false;
        QTest::addRow("opcode 31 is no entry") << 2 << 31 << 0 << 1 << false;

        // Filter set: float codes every four bytes, version 0.
        QTest::addRow("filter first") << 3 << 2 << 0 << 0 << true;
        QTest::addRow("filter last") << 3 << 30 << 0 << 0 << true;
        QTest::addRow("filter inside a float") << 3 << 3 << 0 << 0 << false;

        // Tracker set: three float codes, version 1.
        QTest::addRow("tracker on version 0") << 4 << 2 << 0 << 0 << false;
        QTest::addRow("tracker on version 1") << 4 << 2 << 0 << 1 << true;
        QTest::addRow("tracker on version 2") << 4 << 6 << 0 << 2 << true;
        QTest::addRow("tracker stamp byte") << 4 << 14 << 0 << 1 << false;

        // Sets 0 and 1 are held as given.
        QTest::addRow("set 0 below") << 0 << 6 << 0 << 5 << false;
        QTest::addRow("set 0 first") << 0 << 7 << 0 << 0 << true;
        QTest::addRow("set 0 30 on version 0") << 0 << 30 << 0 << 0 << false;
        QTest::addRow("set 0 41 on version 1") << 0 << 41 << 0 << 1 << true;
        QTest::addRow("set 0 above") << 0 << 42 << 0 << 1 << false;
        QTest::addRow("set 1 first") << 1 << 0 << 0 << 0 << true;
        QTest::addRow("set 1 28 on version 0") << 1 << 28 << 0 << 0 << false;
        QTest::addRow("set 1 36 on version 1") << 1 << 36 << 0 << 1 << true;
        QTest::addRow("set 1 above") << 1 << 37 << 0 << 1 << false;
        QTest::addRow("no set 5") << 5 << 2 << 0 << 1 << false;
    }
    void mainTableGatesByRememberedVersion() {
        QFETCH(int, set);
        QFETCH(int, offset);
        QFETCH(int, mask);
        QFETCH(int, version);
        QFETCH(bool, present);

        ParameterVersion::remember(static_cast<quint8>(version));
        QCOMPARE(table()->isOlderOrCurrent(0, set, offset, mask), present);
        QCOMPARE(table()->isOlderOrCurrent(set, offset, mask), present);
        if (set == deviceparamMinVersion::kCurrentParametersSet) {
            QCOMPARE(table()->isOlderOrCurrent(offset, mask), present);
        }
    }

    void otherBoardTypesHaveNoEntries() {
        ParameterVersion::remember(1);
        QVERIFY(table()->isOlderOrCurrent(0, 2, 2, 0));
        QVERIFY(!table()->isOlderOrCurrent(1, 2, 2, 0));
        QVERIFY(!table()->isOlderOrCurrent(-1, 4, 2, 0));
    }

    void singleFieldTable_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("minVersion");
        QTest::addColumn<bool>("onVersion0");
        QTest::addColumn<bool>("onVersion1");
        QTest::addColumn<bool>("onVersion2");

        // isOlderOrCurrent(int) answers "remembered <= entry"; absent entries answer false.
        QTest::addRow("edge threshold, 0") << 3 << 0 << true << false << false;
        QTest::addRow("edge prescaler, 1") << 2 << 1 << true << true << false;
        QTest::addRow("version byte, 1") << 14 << 1 << true << true << false;
        QTest::addRow("output flags absent") << 9 << 0 << false << false << false;
        QTest::addRow("diag flags absent") << 27 << 0 << false << false << false;
        QTest::addRow("response code absent") << 1 << 0 << false << false << false;
    }
    void singleFieldTable() {
        QFETCH(int, offset);
        QFETCH(int, minVersion);
        QFETCH(bool, onVersion0);
        QFETCH(bool, onVersion1);
        QFETCH(bool, onVersion2);

        QCOMPARE(table()->findMinVersion(offset), minVersion);
        ParameterVersion::remember(0);
        QCOMPARE(table()->isOlderOrCurrent(offset), onVersion0);
        ParameterVersion::remember(1);
        QCOMPARE(table()->isOlderOrCurrent(offset), onVersion1);
        ParameterVersion::remember(2);
        QCOMPARE(table()->isOlderOrCurrent(offset), onVersion2);
    }

    void tableCannotBeChanged() {
        table()->setMinVersion(2, 7);
        table()->setMinVersion(4, 0);
        QCOMPARE(table()->findMinVersion(2), 1);
        ParameterVersion::remember(0);
        QVERIFY(!table()->isOlderOrCurrent(4, 2, 0));
        table()->printData();
        QVERIFY(table()->isOlderOrCurrent(2, 0));
    }

    void positiveAnswerIsAskedOncePerField() {
        countQueries();
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 10, 0x20));
        QVERIFY(ParameterFieldSupport::isSupported(3, 10, 0x80));
        QCOMPARE(m_queries.size(), 3);
        QVERIFY(m_queries.at(0) == (Query{2, 10, 0x80}));
        QVERIFY(m_queries.at(1) == (Query{2, 10, 0x20}));
        QVERIFY(m_queries.at(2) == (Query{3, 10, 0x80}));
    }

    void negativeAnswerIsAskedAgain() {
        countQueries();
        m_answer = false;
        QVERIFY(!ParameterFieldSupport::isSupported(2, 27, 0x80));
        QVERIFY(!ParameterFieldSupport::isSupported(2, 27, 0x80));
        QCOMPARE(m_queries.size(), 2);
        m_answer = true;
        QVERIFY(ParameterFieldSupport::isSupported(2, 27, 0x80));
        QVERIFY(ParameterFieldSupport::isSupported(2, 27, 0x80));
        QCOMPARE(m_queries.size(), 3);
    }

    void newVersionAsksAgain() {
        countQueries();
        QVERIFY(ParameterFieldSupport::isSupported(4, 2, 0));
        ParameterVersion::remember(0);
        m_answer = false;
        QVERIFY(!ParameterFieldSupport::isSupported(4, 2, 0));
        QCOMPARE(m_queries.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_deviceparamMinVersion)
#include "tst_deviceparamMinVersion.moc"
