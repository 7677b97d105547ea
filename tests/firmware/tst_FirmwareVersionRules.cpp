#include <QtTest>

#include "firmware/FirmwareVersionRules.h"

class tst_FirmwareVersionRules : public QObject {
    Q_OBJECT

private slots:
    void deviceVersionReadsHexDigitsAsDecimal_data() {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<int>("version");
        QTest::addRow("0x615") << 0x615u << 615;
        QTest::addRow("0x620") << 0x620u << 620;
        QTest::addRow("0x61A has a letter") << 0x61Au << 0;
        QTest::addRow("erased word") << 0xFFFFFFFFu << 0;
        QTest::addRow("zero") << 0u << 0;
        QTest::addRow("date-like 0x15112017") << 0x15112017u << 15112017;
        QTest::addRow("largest all-digit word") << 0x99999999u << 99999999;
    }
    void deviceVersionReadsHexDigitsAsDecimal() {
        QFETCH(quint32, word);
        QFETCH(int, version);
        QCOMPARE(FirmwareVersionRules::deviceVersion(word), version);
    }

    void numberRuleTakesDigitsOnly_data() {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("number");
        QTest::addRow("digits") << "620" << 620;
        QTest::addRow("leading zeros") << "0700" << 700;
        QTest::addRow("a letter anywhere") << "62a0" << 0;
        QTest::addRow("no digit at all") << "x" << 0;
        QTest::addRow("empty") << "" << 0;
        QTest::addRow("underscore inside") << "620_4040" << 0;
        QTest::addRow("sign") << "-620" << 0;
        QTest::addRow("blank around") << " 620" << 0;
        QTest::addRow("too large for an int") << "99999999999" << 0;
        QTest::addRow("non-ASCII digit") << QStringLiteral("6\u0662") << 0;
    }
    void numberRuleTakesDigitsOnly() {
        QFETCH(QString, part);
        QFETCH(int, number);
        QCOMPARE(FirmwareVersionRules::numberRule(part), number);
    }

    void fileNameParts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("splitType");
        QTest::addColumn<int>("number");
        QTest::addRow("620_4040.ovu") << "620_4040.ovu" << 620 << 4040 << 0;
        QTest::addRow("700_4024.ovu") << "700_4024.ovu" << 700 << 4024 << 0;
        QTest::addRow("split ends at the first dot") << "615_2440.beta.ovu" << 615 << 2440 << 0;
        QTest::addRow("second underscore stays in the split part")
            << "620_40_40.ovu" << 620 << 0 << 0;
        QTest::addRow("hand-picked x_4024.ovu") << "x_4024.ovu" << 0 << 4024 << 0;
        QTest::addRow("no underscore") << "620.ovu" << 0 << 0 << 620;
        QTest::addRow("upper-case extension") << "620_4040.OVU" << 620 << 4040 << 0;
    }
    void fileNameParts() {
        QFETCH(QString, name);
        QFETCH(int, version);
        QFETCH(int, splitType);
        QFETCH(int, number);
        QCOMPARE(FirmwareVersionRules::fileVersion(name), version);
        QCOMPARE(FirmwareVersionRules::fileSplitType(name), splitType);
        QCOMPARE(FirmwareVersionRules::fileNumber(name), number);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareVersionRules)
#include "tst_FirmwareVersionRules.moc"
