#include <QtTest>

#include "device/DeviceInfoData.h"

class tst_DeviceInfoData : public QObject {
    Q_OBJECT

private slots:
    void textFormOfALiveDevice() {
        DeviceInfoData info;
        info.vendorId = 0x25C8;
        info.productId = 0x14;
        info.inputLength = 61;
        info.outputLength = 61;
        info.bufferSize = 4096;
        info.versionText = QStringLiteral("HidApiIoDataProvid");
        QCOMPARE(info.toText(),
                 QStringLiteral(" DID 00000000 000025c8 00000014 00000000 0000003d 0000003d "
                                "00000000 00001000 Ver:HidApiIoDataProvid "));
        // Every word reads back, the reserved ones and full 32-bit values too.
        info.reserved1 = 0xdeadbeef;
        info.outputLength = 0xFFFFFFFF;
        const std::optional<DeviceInfoData> back = DeviceInfoData::fromText(info.toText());
        QVERIFY(back.has_value());
        QCOMPARE(back->reserved1, 0xdeadbeefu);
        QCOMPARE(back->productId, 0x14u);
        QCOMPARE(back->outputLength, 0xFFFFFFFFu);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<quint32>("vendorId");
        QTest::addColumn<quint32>("productId");
        QTest::addColumn<quint32>("inputLength");
        QTest::addColumn<quint32>("bufferSize");
        const QString words = QStringLiteral(
            "00000000 000025c8 00000014 00000000 0000003d 0000003d 00000000 00001000");
        QTest::addRow("bare text form")
            << QStringLiteral(" DID %1 Ver:HidApiIoDataProvid ").arg(words) << true << 0x25C8u
            << 0x14u << 61u << 4096u;
        QTest::addRow("inside a log record")
            << QStringLiteral(
                   "[D]{                 120} In Function void "
                   "FormSensThresholdEditor::record(): DID %1 Ver:x ")
                   .arg(words)
            << true << 0x25C8u << 0x14u << 61u << 4096u;
        QTest::addRow("other pair, no version")
            << QStringLiteral(
                   "DID 00000000 0000102e 00000014 00000000 0000003d 0000003d "
                   "00000000 00001000")
            << true << 0x102Eu << 0x14u << 61u << 4096u;
        QTest::addRow("seven words")
            << QStringLiteral(
                   " DID 00000000 000025c8 00000014 00000000 0000003d 0000003d "
                   "00000000 Ver:x ")
            << false << 0u << 0u << 0u << 0u;
        QTest::addRow("upper-case word is not a word")
            << QStringLiteral(
                   " DID 00000000 000025C8 00000014 00000000 0000003d 0000003d "
                   "00000000 00001000 ")
            << false << 0u << 0u << 0u << 0u;
        QTest::addRow("word with trailing junk fails the parse")
            << QStringLiteral(
                   " DID 00000000 000025c8zz 00000014 00000000 0000003d 0000003d "
                   "00000000 00001000 ")
            << false << 0u << 0u << 0u << 0u;
        QTest::addRow("empty") << QString() << false << 0u << 0u << 0u << 0u;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(bool, parsed);
        QFETCH(quint32, vendorId);
        QFETCH(quint32, productId);
        QFETCH(quint32, inputLength);
        QFETCH(quint32, bufferSize);
        const std::optional<DeviceInfoData> info = DeviceInfoData::fromText(text);
        QCOMPARE(info.has_value(), parsed);
        if (parsed) {
            QCOMPARE(info->vendorId, vendorId);
            QCOMPARE(info->productId, productId);
            QCOMPARE(info->inputLength, inputLength);
            QCOMPARE(info->outputLength, inputLength);
            QCOMPARE(info->bufferSize, bufferSize);
            QVERIFY(info->versionText.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(tst_DeviceInfoData)
#include "tst_DeviceInfoData.moc"
