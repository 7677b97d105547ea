#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "protocol/CurrentParametersLayout.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "firmware/CompareFirmwareVersions.h"
#include "firmware/FirmwareSplitType.h"
#include "tests/support/SimRig.h"

namespace {
// A delivered file: its name and its age in minutes (larger = older).
struct Delivered {
    QString name;
    int ageMinutes;
};
using DeliveredList = QList<Delivered>;

constexpr int kFast = 5;  // ms between soft-reset polls in these tests
}  // namespace
Q_DECLARE_METATYPE(DeliveredList)

class tst_CompareFirmwareVersions : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_workingDir;
    QString m_previousDir;

    // Lays out "<working directory>/Firmware/" with the given files (empty content).
    void deliver(const DeliveredList& files) {
        QDir work(m_workingDir.path());
        QVERIFY(QDir(work.filePath(QStringLiteral("Firmware"))).removeRecursively());
        if (files.isEmpty()) {
            return;
        }
        QVERIFY(work.mkdir(QStringLiteral("Firmware")));
        const QDateTime now = QDateTime::currentDateTime();
        for (const Delivered& file : files) {
            QFile out(work.filePath(QStringLiteral("Firmware/") + file.name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            QVERIFY(out.setFileTime(now.addSecs(-60 * file.ageMinutes),
                                    QFileDevice::FileModificationTime));
        }
    }

    QString firmwarePath(const QString& name) const {
        return QDir::currentPath() + QStringLiteral("/Firmware/") + name;
    }

    // Runs the check against a controller of the scenario; returns the one
    // signal_IncompatibilityInfo it emitted (empty list when none).
    QList<QVariant> runCheck(const SimScenario& scenario, int* finished = nullptr) {
        SimRig link(scenario);
        if (!link.connectBoard()) {
            return {};
        }
        CompareFirmwareVersions checker(&link.dispatcher, &link.ops);
        checker.setSoftResetPollInterval(kFast);
        QSignalSpy info(&checker, &CompareFirmwareVersions::signal_IncompatibilityInfo);
        QSignalSpy done(&checker, &CompareFirmwareVersions::finishedVersionQuery);
        if (!info.wait(SimRig::kWaitMs) || info.count() != 1) {
            return {};
        }
        if (finished != nullptr) {
            *finished = done.count();
        }
        return info.takeFirst();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_workingDir.isValid());
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_workingDir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }
    void init() { FirmwareInformation::instance().clear(); }

    void offersOnlyANewerFileForThisSensor_data() {
        QTest::addColumn<int>("wiresB");
        QTest::addColumn<quint32>("running");
        QTest::addColumn<DeliveredList>("files");
        QTest::addColumn<QString>("offered");  // empty: no offer
        QTest::addColumn<int>("delivered");
        const quint32 v615 = 0x615;
        QTest::addRow("620 for a 40/40 sensor running 615")
            << 40 << v615 << DeliveredList{{"620_4040.ovu", 1}} << "620_4040.ovu" << 620;
        QTest::addRow("an older version is not offered")
            << 40 << v615 << DeliveredList{{"600_4040.ovu", 1}} << "" << 600;
        QTest::addRow("the 40/24 file for a 40/24 sensor")
            << 24 << v615 << DeliveredList{{"620_4040.ovu", 2}, {"630_4024.ovu", 1}}
            << "630_4024.ovu" << 630;
        // The delivered version is that of the file offered, not of the last one listed.
        QTest::addRow("an older file of another split type does not lend its version")
            << 40 << v615 << DeliveredList{{"620_4040.ovu", 1}, {"700_4024.ovu", 5}}
            << "620_4040.ovu" << 620;
        QTest::addRow("the highest version for this sensor, though older")
            << 40 << v615 << DeliveredList{{"620_4040.ovu", 1}, {"630_4040.ovu", 9}}
            << "630_4040.ovu" << 630;
        QTest::addRow("of files equally new, the higher version")
            << 40 << v615 << DeliveredList{{"620_4040.ovu", 3}, {"640_4040.ovu", 3}}
            << "640_4040.ovu" << 640;
        QTest::addRow("of equal versions, the newer file")
            << 40 << v615 << DeliveredList{{"0630_4040.ovu", 9}, {"630_4040.ovu", 2}}
            << "630_4040.ovu" << 630;
        QTest::addRow("names breaking the number rule are not this sensor's")
            << 40 << v615 << DeliveredList{{"620_4040x.ovu", 1}, {"v7_4040.ovu", 2}} << "" << 0;
        QTest::addRow("other extensions are not listed")
            << 40 << v615 << DeliveredList{{"620_4040.bin", 1}} << "" << 0;
        QTest::addRow("no firmware folder") << 40 << v615 << DeliveredList{} << "" << 0;
    }
    void offersOnlyANewerFileForThisSensor() {
        QFETCH(int, wiresB);
        QFETCH(quint32, running);
        QFETCH(DeliveredList, files);
        QFETCH(QString, offered);
        QFETCH(int, delivered);
        deliver(files);
        SimScenario scenario = SimRig::quickScenario();
        scenario.wiresB = wiresB;
        scenario.firmwareVersion = running;
        int finished = 0;
        const QList<QVariant> info = runCheck(scenario, &finished);
        QCOMPARE(info.size(), 2);
        QCOMPARE(info.at(0).toBool(), !offered.isEmpty());
        QCOMPARE(info.at(1).toString(), offered.isEmpty() ? QString() : firmwarePath(offered));
        QCOMPARE(finished, 1);
        QCOMPARE(FirmwareInformation::instance().deliveredFirmwareVersion(), delivered);
    }

    void publishesTheControllersVersions_data() {
        QTest::addColumn<bool>("blankRunningHeader");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("deviceVersion");
        QTest::addColumn<bool>("offered");
        // 610 is newer than the original 600 but not than the running 615.
        QTest::addRow("running header") << false << "615" << 615 << false;
        QTest::addRow("erased running header: the original version")
            << true << "600" << 600 << true;
    }
    void publishesTheControllersVersions() {
        QFETCH(bool, blankRunningHeader);
        QFETCH(QString, current);
        QFETCH(int, deviceVersion);
        QFETCH(bool, offered);
        deliver({{"610_4040.ovu", 1}});
        SimScenario scenario = SimRig::quickScenario();
        scenario.firmwareVersion = 0x615;
        scenario.originalVersion = 0x600;
        scenario.blankRunningHeader = blankRunningHeader;
        const QList<QVariant> info = runCheck(scenario);
        QCOMPARE(info.size(), 2);
        const FirmwareInformation& information = FirmwareInformation::instance();
        QCOMPARE(information.currentFirmwareVersion(), current);
        QCOMPARE(information.originalFirmwareVersion(), QStringLiteral("600"));
        QCOMPARE(information.deviceFirmwareVersion(), deviceVersion);
        QCOMPARE(information.splitType(), 4040);
        QCOMPARE(info.at(0).toBool(), offered);
    }

    // The comparison waits while the controller reports a soft reset. What the checker saw
    // is taken when it compares, not when a loaded test gets round to looking.
    void comparesOnlyAfterTheSoftResetEnded() {
        deliver({{"620_4040.ovu", 1}});
        SimRig link;
        QVERIFY(link.connectBoard());
        auto* firmware = link.delegate<ResponseDelegateFirmwareUpdate>("FirmwareUpdate");
        ResponseDelegateCurrentParameters* parameters = link.parameters();
        // Just before the checker sees the header, the controller reports a soft reset.
        int softResets = 0;
        connect(firmware, &ResponseDelegateFirmwareUpdate::signal_DoneHeaderGetParams, this, [&] {
            QByteArray block = parameters->data();
            block[CurrentParametersLayout::kSoftResetActive.offset] =
                char(quint8(block.at(CurrentParametersLayout::kSoftResetActive.offset)) |
                     CurrentParametersLayout::kSoftResetActive.mask);
            parameters->addData(block);
            parameters->execute();
            softResets += parameters->isSoftResetActive() ? 1 : 0;
        });
        QSignalSpy askedForParameters(&link.board, &VirtualController::requestReceived);
        CompareFirmwareVersions checker(&link.dispatcher, &link.ops);
        checker.setSoftResetPollInterval(kFast);
        QSignalSpy info(&checker, &CompareFirmwareVersions::signal_IncompatibilityInfo);
        bool softResetWhenCompared = true;
        connect(&checker, &CompareFirmwareVersions::signal_IncompatibilityInfo, this,
                [&] { softResetWhenCompared = parameters->isSoftResetActive(); });
        // The controller's own next block (no soft reset) lets the comparison go on.
        QTRY_COMPARE_WITH_TIMEOUT(info.count(), 1, SimRig::kWaitMs);
        QCOMPARE(softResets, 1);
        QVERIFY(!softResetWhenCompared);
        QCOMPARE(info.at(0).at(0).toBool(), true);
        bool polled = false;
        for (const QList<QVariant>& request : askedForParameters) {
            polled = polled || request.at(0).toInt() == VirtualController::kOpGetParameters;
        }
        QVERIFY(polled);
    }

    void picksTheFileForThisSplitTypeOnly() {
        deliver({{"620_4040.ovu", 1}, {"700_4024.ovu", 2}, {"notes.txt", 1}});
        SimRig link;  // not connected: the check itself waits
        CompareFirmwareVersions checker(&link.dispatcher, &link.ops);
        FirmwareInformation::instance().setSplitType(4040);
        QCOMPARE(checker.checkForUpdateFirmware(), firmwarePath(QStringLiteral("620_4040.ovu")));

        // An unknown split type never matches, even a name whose split part reads as 0.
        deliver({{"620_x.ovu", 1}});
        FirmwareInformation::instance().setSplitType(0);
        QCOMPARE(checker.checkForUpdateFirmware(), QString());
        QCOMPARE(FirmwareInformation::instance().deliveredFirmwareVersion(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CompareFirmwareVersions)
#include "tst_CompareFirmwareVersions.moc"
