#include <QtTest>

#include <memory>

#include "protocol/FirmwareInformation.h"
#include "firmware/FirmwareUploader.h"
#include "tests/support/OvuFile.h"
#include "tests/support/SimRig.h"

namespace {
// The rig's own pace, so that a restored pace cannot be mistaken for the upload's.
constexpr int kRigQueueMs = 5;
constexpr int kRigResponseMs = 4;
constexpr int kUploadWaitMs = 15000;
constexpr int kFirstFirmwareOpcode = 20;
constexpr int kLastFirmwareOpcode = 27;
constexpr int kItemSet = 24;

SimScenario uploadScenario(const QString& options = QString()) {
    SimScenario scenario = SimRig::quickScenario();
    scenario.rebootMs = 100;
    scenario.applyArgument(options);
    return scenario;
}

// The tool's link over the virtual controller and an uploader on it, ticked by the test.
struct UploadRig : SimRig {
    explicit UploadRig(const SimScenario& scenario = uploadScenario()) : SimRig(scenario) {
        dispatcher.setDefaultTimeIntervals(kRigQueueMs, kRigResponseMs);
    }

    bool start() {
        if (!connectBoard()) {
            return false;
        }
        uploader = std::make_unique<FirmwareUploader>(&dispatcher);
        FirmwareUploader::Periods periods;
        periods.tickMs = 0;
        uploader->setPeriods(periods);
        QObject::connect(uploader.get(), &FirmwareUploader::messageShown,
                         [this](const QString& text) { shown << text; });
        QObject::connect(uploader.get(), &FirmwareUploader::uploadProgressChanged,
                         [this](int percent) { uploadBar << percent; });
        QObject::connect(uploader.get(), &FirmwareUploader::restartProgressChanged,
                         [this](int percent) { restartBar << percent; });
        QObject::connect(uploader.get(), &FirmwareUploader::uploadFinished,
                         [this](bool success) { outcomes << success; });
        uploader->start();
        const bool ready = QTest::qWaitFor([this] { return !uploader->isBusy(); }, kWaitMs);
        shown.clear();
        return ready;
    }

    bool finished() {
        return QTest::qWaitFor([this] { return !outcomes.isEmpty(); }, kUploadWaitMs);
    }

    int firmwareRequests() const {
        int count = 0;
        for (int opcode : requests) {
            count += opcode >= kFirstFirmwareOpcode && opcode <= kLastFirmwareOpcode ? 1 : 0;
        }
        return count;
    }

    // The link as it is between uploads.
    bool linkAtRest() {
        return dispatcher.queueTimeInterval() == kRigQueueMs &&
               dispatcher.responseTimeInterval() == kRigResponseMs &&
               provider.rescanInterval() == HidApiIoDataProvider::kDefaultRescanIntervalMs &&
               !uploader->isPacingFast();
    }

    QString path(const QString& name) const { return QDir::current().filePath(name); }

    std::unique_ptr<FirmwareUploader> uploader;
    QStringList shown;
    QList<int> uploadBar;
    QList<int> restartBar;
    QList<bool> outcomes;
};
}  // namespace

// Firmware uploads against the virtual controller, from the file to the restarted board.
class tst_FirmwareUploadFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { FirmwareInformation::instance().clear(); }

    void wholeUploadIsCommittedAndChecked() {
        UploadRig rig;
        QVERIFY(rig.start());
        OvuFile file;
        file.after = "; end of image\n\n";  // lines after the last item
        QVERIFY(file.write(rig.path("620_4040.ovu")));

        // Seen once the controller is away: the link waits for it.
        QString duringWait;
        QObject::connect(rig.uploader.get(), &FirmwareUploader::restartProgressChanged,
                         [&](int percent) {
                             if (percent == FirmwareUploader::kRestartBarStart) {
                                 duringWait = QStringLiteral("%1/%2 %3")
                                                  .arg(rig.dispatcher.queueTimeInterval())
                                                  .arg(rig.dispatcher.responseTimeInterval())
                                                  .arg(rig.provider.rescanInterval());
                                 rig.uploader->tick();
                                 rig.uploader->tick();
                             }
                         });
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        QCOMPARE(QStringLiteral("%1/%2")
                     .arg(rig.dispatcher.queueTimeInterval())
                     .arg(rig.dispatcher.responseTimeInterval()),
                 QStringLiteral("3/1"));
        QVERIFY(rig.finished());

        QCOMPARE(rig.outcomes, QList<bool>{true});
        QCOMPARE(rig.shown, (QStringList{"620_4040.ovu: firmware version 620, 3 items",
                                         "StoreClear . . .",
                                         "Clear....",
                                         "Store is Cleared.",
                                         "Uploading: -->100",
                                         "Finished Uploading....",
                                         "Ready to commit",
                                         "Commit started",
                                         "Waiting for unit to stop ....",
                                         "Please wait....",
                                         "List of Connected HID Devices:-",
                                         " ",
                                         "1 Logitech 46d c31c",
                                         "2 Orvello 25c8 14",
                                         "Querying current firmware details",
                                         "Running State:",
                                         "The Current Firmware Version: 620",
                                         "Size: 30",
                                         "CheckSum: 2B8 (true)",
                                         "UpdateCounter: 1",
                                         "The Firmware is updated successfully",
                                         "Please close the window and Proceed"}));
        QCOMPARE(rig.uploadBar, (QList<int>{33, 66, 100}));
        QCOMPARE(rig.restartBar, (QList<int>{25, 50, 51, 52, 96, 100}));
        QCOMPARE(duringWait, QStringLiteral("%1/%2 250").arg(kRigQueueMs).arg(kRigResponseMs));
        QVERIFY(rig.linkAtRest());
        QCOMPARE(rig.board.firmware().running().version, 0x620u);
        QCOMPARE(rig.board.firmware().updateCounter(), 1u);
        QCOMPARE(FirmwareInformation::instance().currentFirmwareVersion(), QStringLiteral("620"));
    }

    void faultStopsWithItsMessage_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("silent");  // the test lets the answer's countdown run out
        QTest::addColumn<QStringList>("ending");
        const QString unchanged = QStringLiteral("The running firmware was not changed.");
        QTest::addRow("download area stays dirty") << "firmwareFailure=storeclear" << false
                                                   << QStringList{"Failed - StoreClear", unchanged};
        QTest::addRow("header refused") << "firmwareFailure=headerset" << false
                                        << QStringList{"Failed - HeaderSetParams", unchanged};
        QTest::addRow("staged echo differs") << "firmwareFailure=headerecho" << false
                                             << QStringList{"Failed - HeaderGetParams", unchanged};
        QTest::addRow("item refused") << "firmwareFailure=item,firmwareFailItem=1" << false
                                      << QStringList{"FAILED - ItemSetParams", unchanged};
        QTest::addRow("not ready")
            << "firmwareFailure=notready" << false << QStringList{"Not ready to commit", unchanged};
        QTest::addRow("commit refused")
            << "firmwareFailure=commit" << false << QStringList{"Commit failed", unchanged};
        QTest::addRow("request never answered")
            << "firmwareFailure=itemsilent,firmwareFailItem=1" << true
            << QStringList{"Failed - ItemSetParams (item 2 of 3): no answer from the controller",
                           unchanged};
        QTest::addRow("unplugged at an item")
            << "firmwareFailure=unplugitem,firmwareFailItem=1,replugAfter=-1" << false
            << QStringList{"Failed - ItemSetParams (item 2 of 3): the controller was unplugged",
                           unchanged};
    }
    void faultStopsWithItsMessage() {
        QFETCH(QString, scenario);
        QFETCH(bool, silent);
        QFETCH(QStringList, ending);
        UploadRig rig(uploadScenario(scenario));
        QVERIFY(rig.start());
        QVERIFY(OvuFile().write(rig.path("620_4040.ovu")));
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        if (silent) {
            QTRY_COMPARE(rig.requests.count(kItemSet), 2);
            QTest::qWait(20);
            QVERIFY(rig.outcomes.isEmpty());
            for (int tick = 0; tick < rig.uploader->periods().answerTicks; ++tick) {
                rig.uploader->tick();
            }
        }
        QVERIFY(rig.finished());
        QCOMPARE(rig.outcomes, QList<bool>{false});
        QCOMPARE(rig.shown.mid(rig.shown.size() - ending.size()), ending);
        QVERIFY(!rig.shown.contains(QStringLiteral("The Firmware is updated successfully")));
        QVERIFY(rig.linkAtRest());
        QVERIFY(!rig.uploader->isBusy());
        QCOMPARE(rig.board.firmware().running().version, 0x615u);
    }

    void lostCommitAnswerWaitsForTheReturnAndChecks() {
        UploadRig rig(uploadScenario(QStringLiteral("firmwareFailure=performlost")));
        QVERIFY(rig.start());
        QVERIFY(OvuFile().write(rig.path("620_4040.ovu")));
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        QVERIFY(rig.finished());
        QCOMPARE(rig.outcomes, QList<bool>{true});
        QVERIFY(rig.shown.contains(QStringLiteral("The Current Firmware Version: 620")));
        QVERIFY(rig.linkAtRest());
    }

    void controllerThatNeverReturnsIsNamed() {
        UploadRig rig(uploadScenario(QStringLiteral("firmwareFailure=noreturn")));
        QVERIFY(rig.start());
        QVERIFY(OvuFile().write(rig.path("620_4040.ovu")));
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        QTRY_VERIFY(rig.uploader->isWaitingForReturn());
        for (int tick = 0; tick < rig.uploader->periods().returnTicks; ++tick) {
            rig.uploader->tick();
        }
        QVERIFY(rig.shown.last().startsWith(
            QStringLiteral("The controller has not come back after 60 s. Unplug it and plug it "
                           "in again, or switch its power off and on")));
        QVERIFY(rig.outcomes.isEmpty());
        QVERIFY(rig.uploader->isWaitingForReturn());
        QCOMPARE(rig.restartBar.last(), FirmwareUploader::kRestartBarBack);
        QCOMPARE(rig.provider.rescanInterval(), FirmwareUploader::kRestartRescanMs);

        rig.uploader->abort();
        QVERIFY(rig.linkAtRest());
    }

    void malformedFileIsRefusedBeforeAnythingIsSent_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        const OvuFile good;
        const QByteArray header = good.headerLine() + "\n";
        const QByteArray item = OvuFile::itemLine(0) + "\n";
        QTest::addRow("no header") << QByteArray("; nothing\n" + item) << "Line 2: an item line";
        QTest::addRow("empty") << QByteArray() << "The file holds no header line";
        QTest::addRow("header cut short")
            << QByteArray(header.left(24) + "\n" + item) << "Line 1: the header line is cut";
        QTest::addRow("header not hexadecimal")
            << QByteArray("<00000G20" + header.mid(9) + item) << "Line 1: the header line holds";
        QTest::addRow("item cut short")
            << QByteArray(header + item.left(36) + "\n") << "Line 2: the item line is cut";
        QTest::addRow("item not hexadecimal")
            << QByteArray(header + item.left(20) + "zz" + item.mid(22))
            << "Line 2: the item line holds";
        QTest::addRow("no item") << QByteArray(header + "; empty\n")
                                 << "The file holds no item line";
        QTest::addRow("second header")
            << QByteArray(header + item + header) << "Line 3: a second header";
    }
    void malformedFileIsRefusedBeforeAnythingIsSent() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        UploadRig rig;
        QVERIFY(rig.start());
        QVERIFY(OvuFile::write(rig.path("bad_4040.ovu"), contents));
        const int before = rig.firmwareRequests();

        QVERIFY(!rig.uploader->upload(rig.path("bad_4040.ovu")));
        QCOMPARE(rig.shown.size(), 2);
        QVERIFY2(rig.shown.at(0).startsWith(QStringLiteral("bad_4040.ovu cannot be uploaded. ") +
                                            reason),
                 qPrintable(rig.shown.at(0)));
        QCOMPARE(rig.shown.at(1), QStringLiteral("Nothing was sent to the controller."));
        QCOMPARE(rig.outcomes, QList<bool>{false});
        QVERIFY(rig.linkAtRest());
        QTest::qWait(20);
        QCOMPARE(rig.firmwareRequests(), before);
    }

    void abortMidUploadRestoresAtOnce() {
        UploadRig rig;
        QVERIFY(rig.start());
        OvuFile file;
        file.items = 400;
        QVERIFY(file.write(rig.path("620_4040.ovu")));
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        QTRY_VERIFY(rig.uploader->uploadProgress() >= 5);
        rig.uploader->abort();
        QVERIFY(rig.linkAtRest());
        const int sent = rig.requests.count(kItemSet);
        QTest::qWait(50);
        QVERIFY(rig.requests.count(kItemSet) <= sent + 1);  // at most the one already queued
        QVERIFY(!rig.uploader->isBusy());
        QVERIFY(rig.outcomes.isEmpty());
    }

    void secondFileIsCountedAfresh() {
        UploadRig rig;
        QVERIFY(rig.start());
        OvuFile first;
        OvuFile second;
        second.version = 0x630;
        second.items = 5;
        QVERIFY(first.write(rig.path("620_4040.ovu")));
        QVERIFY(second.write(rig.path("630_4040.ovu")));
        QVERIFY(rig.uploader->upload(rig.path("620_4040.ovu")));
        QVERIFY(rig.finished());
        rig.uploadBar.clear();
        QVERIFY(rig.uploader->upload(rig.path("630_4040.ovu")));
        QVERIFY(!rig.uploader->upload(rig.path("620_4040.ovu")));  // one upload at a time
        QTRY_COMPARE(rig.outcomes.size(), 2);
        QCOMPARE(rig.outcomes, (QList<bool>{true, true}));
        QCOMPARE(rig.uploadBar, (QList<int>{0, 20, 40, 60, 80, 100}));
        QCOMPARE(rig.board.firmware().running().version, 0x630u);
        QCOMPARE(rig.board.firmware().updateCounter(), 2u);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareUploadFlow)
#include "tst_FirmwareUploadFlow.moc"
