#include <QtTest>

#include <memory>

#include "protocol/CommandFactory.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/PomelarCommandFactory.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "protocol/commandsetfirmareupdate.h"
#include "LogSpy.h"

namespace {
// A 60-byte packet from hex text, zero-filled after the given bytes.
QByteArray packet(const char* hex) {
    return QByteArray::fromHex(hex).leftJustified(60, '\0');
}

// Header-get answer (code 25), written from the layout table:
//  frame 07, code 19 | staged version 15 06 00 00 (0x615) | staged size 00 10 02 00
//  (0x21000) | staged checksum 78 56 34 12 | staged valid 01 | running flags 03 00 00 00 |
//  running version 20 06 00 00 (0x620) | running size 00 f0 01 00 (0x1f000) | running
//  checksum ef be ad de | running valid 00 | update counter 05 00 00 00 | original
//  version 00 06 00 00 (0x600) | then zeros.
const char* const kHeaderGet =
    "0719"
    "15060000"
    "00100200"
    "78563412"
    "01"
    "03000000"
    "20060000"
    "00f00100"
    "efbeadde"
    "00"
    "05000000"
    "00060000";
}  // namespace

class tst_FirmwareUpdate : public QObject {
    Q_OBJECT

private slots:
    void init() { FirmwareInformation::instance().clear(); }
    void cleanup() { ParameterFieldSupport::setLookup({}); }

    void eachAnswerEmitsItsSignalThenAdvancesSequenceAndTimer_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("expected");  // index into the spies below, -1 none
        for (int code = 22; code <= 29; ++code) {
            QTest::addRow("code %d", code) << code << code - 22;
        }
        QTest::addRow("code 30 is not ours") << 30 << -1;
    }
    void eachAnswerEmitsItsSignalThenAdvancesSequenceAndTimer() {
        QFETCH(int, code);
        QFETCH(int, expected);
        ResponseDelegateFirmwareUpdate delegate;
        using D = ResponseDelegateFirmwareUpdate;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (auto signal : {&D::signal_DoneStoreClear, &D::signal_DoneStoreIsClear,
                            &D::signal_DoneHeaderSetParams, &D::signal_DoneHeaderGetParams,
                            &D::signal_DoneItemsSetParams, &D::signal_DoneItemGetParams,
                            &D::signal_DoneUpdateIsReady, &D::signal_DoneUpdatePerform}) {
            spies.push_back(std::make_unique<QSignalSpy>(&delegate, signal));
        }
        QSignalSpy sequence(&delegate, &D::signal_SequenceUpdate);
        QSignalSpy timer(&delegate, &D::signal_TimerUpdate);
        // The answer's own signal comes before the two that drive the upload dialog.
        QList<QString> order;
        connect(&delegate, &D::signal_DoneHeaderGetParams, this, [&] { order << "done"; });
        connect(&delegate, &D::signal_SequenceUpdate, this, [&] { order << "sequence"; });
        connect(&delegate, &D::signal_TimerUpdate, this, [&] { order << "timer"; });

        QByteArray answer = packet("00");
        answer[1] = char(code);
        delegate.addData(answer);
        delegate.execute();

        for (int i = 0; i < int(spies.size()); ++i) {
            QCOMPARE(spies[i]->count(), i == expected ? 1 : 0);
        }
        QCOMPARE(sequence.count(), expected < 0 ? 0 : 1);
        QCOMPARE(timer.count(), expected < 0 ? 0 : 1);
        if (code == 25) {
            QCOMPARE(order, (QList<QString>{"done", "sequence", "timer"}));
        }
    }

    void headerGetFieldsFollowTheLayout() {
        ResponseDelegateFirmwareUpdate delegate;
        delegate.addData(packet(kHeaderGet));
        QVERIFY(delegate.hasCompleteHeader());
        QCOMPARE(delegate.firmwareResponseCode(), 25);
        QCOMPARE(delegate.stagedVersion(), 0x615u);
        QCOMPARE(delegate.stagedSize(), 0x21000u);
        QCOMPARE(delegate.stagedCheckSum(), 0x12345678u);
        QVERIFY(delegate.isStagedCheckSumValid());
        QCOMPARE(delegate.runningFlags(), 3u);
        QCOMPARE(delegate.runningVersion(), 0x620u);
        QCOMPARE(delegate.runningSize(), 0x1f000u);
        QCOMPARE(delegate.runningCheckSum(), 0xdeadbeefu);
        QVERIFY(!delegate.isRunningCheckSumValid());
        QCOMPARE(delegate.updateCounter(), 5u);
        QCOMPARE(delegate.originalFirmwareVersion(), 0x600u);
    }

    void publishedVersionTexts_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("original");
        QTest::addRow("running version") << packet(kHeaderGet) << "620"
                                         << "600";
        // running 0x61a, original 0x1abcdef
        QByteArray letters = packet(kHeaderGet);
        letters.replace(19, 4, QByteArray::fromHex("1a060000"));
        letters.replace(36, 4, QByteArray::fromHex("efcdab01"));
        QTest::addRow("hex letters stay lower-case") << letters << "61a"
                                                     << "1abcdef";
    }
    void publishedVersionTexts() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, current);
        QFETCH(QString, original);
        ResponseDelegateFirmwareUpdate delegate;
        delegate.addData(answer);
        delegate.publishFirmwareVersions();
        QCOMPARE(FirmwareInformation::instance().currentFirmwareVersion(), current);
        QCOMPARE(FirmwareInformation::instance().originalFirmwareVersion(), original);
    }

    void shortHeaderReadsOnlyWhatItHolds() {
        ResponseDelegateFirmwareUpdate delegate;
        // Ends after the first byte of the original version (37 bytes).
        delegate.addData(QByteArray::fromHex(kHeaderGet).left(37));
        QVERIFY(!delegate.hasCompleteHeader());
        QCOMPARE(delegate.updateCounter(), 5u);
        QCOMPARE(delegate.originalFirmwareVersion(), 0u);  // byte 36 is 00, 37..39 missing
        delegate.addData(QByteArray::fromHex("0719"));
        QCOMPARE(delegate.runningVersion(), 0u);
        QVERIFY(!delegate.isItemAccepted());
        delegate.addData(QByteArray());
        QCOMPARE(delegate.firmwareResponseCode(), -1);
    }

    void otherAnswersFollowTheLayout_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("flagAt2");
        QTest::addColumn<bool>("flagAt3");
        QTest::addColumn<bool>("flagAt4");
        QTest::addColumn<int>("entry");
        QTest::addColumn<quint32>("detail");
        QTest::addRow("store clear: header clear, items dirty")
            << packet("00160100") << true << false << false << 0x0001 << 0u;
        QTest::addRow("store clear: both clear (any non-zero)")
            << packet("0016ff02") << true << true << false << 0x02ff << 0u;
        QTest::addRow("item set accepted, entry 0x0203")
            << packet("001a030201") << true << true << true << 0x0203 << 0u;
        QTest::addRow("item set refused, entry 0x0203")
            << packet("001a030200") << true << true << false << 0x0203 << 0u;
        QTest::addRow("item get valid, detail 0x0a0b0c0d")
            << packet("001b0700010d0c0b0a") << true << false << true << 0x0007 << 0x0a0b0c0du;
        QTest::addRow("update is ready: no")
            << packet("001c00") << false << false << false << 0 << 0u;
    }
    void otherAnswersFollowTheLayout() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, flagAt2);
        QFETCH(bool, flagAt3);
        QFETCH(bool, flagAt4);
        QFETCH(int, entry);
        QFETCH(quint32, detail);
        ResponseDelegateFirmwareUpdate delegate;
        delegate.addData(answer);
        QCOMPARE(delegate.isHeaderClear(), flagAt2);
        QCOMPARE(delegate.isHeaderSetAccepted(), flagAt2);
        QCOMPARE(delegate.isUpdateReady(), flagAt2);
        QCOMPARE(delegate.isUpdatePerformAccepted(), flagAt2);
        QCOMPARE(delegate.isItemsClear(), flagAt3);
        QCOMPARE(delegate.isItemAccepted(), flagAt4);
        QCOMPARE(delegate.isItemValid(), flagAt4);
        QCOMPARE(int(delegate.itemEntryEcho()), entry);
        QCOMPARE(delegate.itemDetail(), detail);
    }

    void headerSetWritesIntoTheTemplate() {
        const QByteArray answer = packet(kHeaderGet);
        std::unique_ptr<commandsetfirmareupdate> command(
            CommandFactory::firmwareUpdateCommand(answer));
        QVERIFY(command->parent() == nullptr);
        QCOMPARE(command->previousResponse(), answer);
        command->setHeaderSetParams(0x00000700, 0x0001f000, 0xcafef00d);
        // 16 | version 00 07 00 00 | size 00 f0 01 00 | checksum 0d f0 fe ca | template
        // bytes 14.. unchanged.
        const QByteArray expected = QByteArray::fromHex(
                                        "16"
                                        "00070000"
                                        "00f00100"
                                        "0df0feca") +
                                    answer.mid(14);
        QCOMPARE(command->execute(), expected);
        QCOMPARE(command->execute().size(), 59);
        // The readers see the edited copy; the previous answer is kept as it was.
        QCOMPARE(command->stagedVersion(), 0x700u);
        QCOMPARE(command->previousResponse(), answer);
    }

    void itemSetWritesEntryAndData_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("sent");  // the 16 data bytes as sent
        QTest::addColumn<int>("warnings");
        const QByteArray sixteen = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
        QTest::addRow("16 bytes") << sixteen << sixteen << 0;
        QTest::addRow("short data is padded")
            << QByteArray::fromHex("aabbcc")
            << QByteArray::fromHex("aabbcc00000000000000000000000000") << 1;
        QTest::addRow("long data is cut")
            << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f1011") << sixteen << 1;
    }
    void itemSetWritesEntryAndData() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, sent);
        QFETCH(int, warnings);
        const QByteArray answer = packet(kHeaderGet);
        std::unique_ptr<commandsetfirmareupdate> command(
            CommandFactory::firmwareUpdateCommand(answer));
        LogSpy log;
        command->DoItemSetParams(0x0102, data);
        // 18 | entry 02 01 | 16 data bytes | template bytes 20.. unchanged.
        const QByteArray expected = QByteArray::fromHex("180201") + sent + answer.mid(20);
        QCOMPARE(command->execute(), expected);
        QCOMPARE(command->requestCode(), 24);
        QCOMPARE(log.messages(SillyLogger::Warning).size(), warnings);
    }

    void anEmptyTemplateStillCarriesTheFields_data() {
        QTest::addColumn<bool>("item");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("header set") << false
                                    << QByteArray::fromHex(
                                           "16"
                                           "01000000"
                                           "02000000"
                                           "03000000");
        QTest::addRow("item set") << true
                                  << QByteArray::fromHex(
                                         "18"
                                         "0500"
                                         "ffffffffffffffffffffffffffffffff");
    }
    void anEmptyTemplateStillCarriesTheFields() {
        QFETCH(bool, item);
        QFETCH(QByteArray, bytes);
        std::unique_ptr<commandsetfirmareupdate> command(
            CommandFactory::firmwareUpdateCommand(QByteArray()));
        LogSpy log;
        if (item) {
            command->DoItemSetParams(5, QByteArray(16, '\xff'));
        } else {
            command->setHeaderSetParams(1, 2, 3);
        }
        QCOMPARE(command->execute(), bytes);
        QVERIFY(log.messages(SillyLogger::Warning).size() >= 1);
    }

    void guardedBuilderAsksTheVersionTable_data() {
        QTest::addColumn<bool>("admitted");
        QTest::addRow("admitted") << true;
        QTest::addRow("refused") << false;
    }
    void guardedBuilderAsksTheVersionTable() {
        QFETCH(bool, admitted);
        QList<QList<int>> asked;
        ParameterFieldSupport::setLookup([&](int set, int offset, quint8 mask) {
            asked.append({set, offset, int(mask)});
            return admitted;
        });
        PomelarCommandFactory factory;
        std::unique_ptr<DeviceCommand> command(
            factory.guardedFirmwareUpdateCommand(packet(kHeaderGet)));
        QCOMPARE(command != nullptr, admitted);
        // The unguarded builder does not ask.
        std::unique_ptr<DeviceCommand> plain(factory.firmwareUpdateCommand(packet(kHeaderGet)));
        QVERIFY(qobject_cast<commandsetfirmareupdate*>(plain.get()) != nullptr);
        QCOMPARE(asked, (QList<QList<int>>{{2, 22, 0}}));
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareUpdate)
#include "tst_FirmwareUpdate.moc"
