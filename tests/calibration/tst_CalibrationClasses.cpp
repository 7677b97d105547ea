#include <QSettings>
#include <QtTest>

#include <memory>
#include <vector>

#include "calibration/CalibrationClasses.h"
#include "calibration/DisplayOrientation.h"
#include "tests/support/SimRig.h"

namespace {
// Block layout (from the layout table): output flags byte 9 (0x10 use calibration 3),
// status byte 12 (0x80 calibration success, 0x40 bad conditions), exclude mode byte 13.
constexpr int kOutputFlags = 9;
constexpr quint8 kUseCalib3 = 0x10;
constexpr int kStatus = 12;
constexpr quint8 kCalibSuccess = 0x80;
constexpr quint8 kBadCond = 0x40;
constexpr int kExcludeMode = 13;

struct Point {
    int x;
    int y;
};

// Owns the targets, hands out the borrowed list like the window does.
class Targets {
public:
    void add(Point screen, double meanA, double meanB) {
        auto target =
            std::make_unique<CalibrationTarget>(CalibrationTarget::Left, CalibrationTarget::Top);
        target->screenPosition = {screen.x, screen.y};
        target->statA.add(meanA);
        target->statB.add(meanB);
        m_list << target.get();
        m_owned.push_back(std::move(target));
    }
    CalibrationTarget::PList list() const { return m_list; }

private:
    std::vector<std::unique_ptr<CalibrationTarget>> m_owned;
    CalibrationTarget::PList m_list;
};

Targets exampleTargets() {
    Targets targets;
    targets.add({410, 410}, 1000, 2000);
    targets.add({3686, 410}, 3000, 2000);
    targets.add({410, 3686}, 1000, 500);
    return targets;
}
}  // namespace

Q_DECLARE_METATYPE(Point)

class tst_CalibrationClasses : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void cleanup() {
        DisplayOrientation::setSource({});
        QSettings().clear();
    }

    void payload_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<double>("meanA");
        QTest::addColumn<double>("meanB");
        QTest::addColumn<QByteArray>("record");
        QTest::addRow("truncated mean")
            << 4096 << 0 << 1234.9 << 0.99 << QByteArray::fromHex("00100000d2040000");
        QTest::addRow("low 16 bits")
            << 70000 << 65535 << 2.0 << 3.0 << QByteArray::fromHex("7011ffff02000300");
    }
    void payload() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(double, meanA);
        QFETCH(double, meanB);
        QFETCH(QByteArray, record);
        Targets targets;
        targets.add({x, y}, meanA, meanB);
        CalibrationClasses classes(nullptr, nullptr);
        QCOMPARE(classes.buildCalibrationData(targets.list()), record);
    }

    void rotation_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("mode");
        QTest::addColumn<Point>("first");
        QTest::addColumn<Point>("second");
        QTest::addRow("0 and mode 0: untouched") << 0 << 0 << Point{410, 410} << Point{3686, 410};
        QTest::addRow("90 and mode 0") << 90 << 0 << Point{410, 3686} << Point{410, 410};
        QTest::addRow("90 and mode 1: 180") << 90 << 1 << Point{3686, 3686} << Point{410, 3686};
        QTest::addRow("270 and mode 1: 0") << 270 << 1 << Point{410, 410} << Point{3686, 410};
        QTest::addRow("0 and mode 3: 270") << 0 << 3 << Point{3686, 410} << Point{3686, 3686};
        QTest::addRow("negative sum: untouched") << 0 << -1 << Point{410, 410} << Point{3686, 410};
    }
    void rotation() {
        QFETCH(int, orientation);
        QFETCH(int, mode);
        QFETCH(Point, first);
        QFETCH(Point, second);
        DisplayOrientation::setSource([orientation] { return orientation; });
        const Targets targets = exampleTargets();
        CalibrationClasses classes(nullptr, nullptr);
        const CalibrationTarget::PList rotated = classes.rotateIfNeeded(targets.list(), mode);
        QCOMPARE(rotated, targets.list());
        QCOMPARE(rotated.at(0)->screenPosition.x, first.x);
        QCOMPARE(rotated.at(0)->screenPosition.y, first.y);
        QCOMPARE(rotated.at(1)->screenPosition.x, second.x);
        QCOMPARE(rotated.at(1)->screenPosition.y, second.y);
        // Only the screen side turns.
        QCOMPARE(rotated.at(1)->statA.mean(), 3000.0);
        QCOMPARE(rotated.at(2)->statB.mean(), 500.0);
    }

    // A singular measurement and a short list only reach the log; the rotation still runs
    // over every target there is.
    void degenerateListsStillRotate() {
        DisplayOrientation::setSource([] { return 180; });
        Targets same;
        same.add({0, 0}, 5, 5);
        same.add({0, 0}, 5, 5);
        same.add({0, 0}, 5, 5);
        same.add({1000, 4096}, 5, 5);
        CalibrationClasses classes(nullptr, nullptr);
        const auto rotated = classes.rotateIfNeeded(same.list(), 0);
        QCOMPARE(rotated.at(0)->screenPosition.x, 4096);
        QCOMPARE(rotated.at(3)->screenPosition.x, 3096);
        QCOMPARE(rotated.at(3)->screenPosition.y, 0);
        Targets one;
        one.add({410, 410}, 1, 1);
        QCOMPARE(classes.rotateIfNeeded(one.list(), 0).at(0)->screenPosition.y, 3686);
    }

    void windowsOrientationCodes() {
        const QList<int> expected{0, 90, 180, 270, 0, 0};
        for (int code = 0; code < expected.size(); ++code) {
            QCOMPARE(DisplayOrientation::fromWindowsCode(code), expected.at(code));
        }
    }

    void checkCalibSettings_data() {
        QTest::addColumn<quint8>("status");
        QTest::addColumn<bool>("useCalib3");
        QTest::addColumn<int>("exclude");
        QTest::addColumn<bool>("exclusionZone");
        QTest::addColumn<bool>("agrees");
        QTest::addRow("success, calib3 on") << kCalibSuccess << true << 0 << false << true;
        QTest::addRow("success, calib3 off") << kCalibSuccess << false << 0 << false << false;
        QTest::addRow("success, zone wanted") << kCalibSuccess << true << 0 << true << false;
        QTest::addRow("success, zone set") << kCalibSuccess << true << 1 << true << true;
        QTest::addRow("bad conditions, calib3 on")
            << quint8(kCalibSuccess | kBadCond) << true << 0 << false << false;
        QTest::addRow("failed, calib3 off") << quint8(0) << false << 0 << false << true;
        QTest::addRow("failed, exclude left") << quint8(0) << false << 1 << false << false;
    }
    void checkCalibSettings() {
        QFETCH(quint8, status);
        QFETCH(bool, useCalib3);
        QFETCH(int, exclude);
        QFETCH(bool, exclusionZone);
        QFETCH(bool, agrees);
        SimRig rig;
        QVERIFY(rig.connectBoard());
        // The board derives its status from its own calibration; hand the tool a block.
        QByteArray block = rig.board.parameterBlock();
        block[1] = char(3);
        block[kStatus] = char(status);
        block[kOutputFlags] = char(useCalib3 ? kUseCalib3 : 0);
        block[kExcludeMode] = char(exclude);
        rig.parameters()->addData(block);
        rig.parameters()->execute();
        CalibrationClasses classes(&rig.dispatcher, nullptr);
        classes.setExclusionZone(exclusionZone);
        QCOMPARE(classes.checkCalibSettings(), agrees);
    }
};

QTEST_MAIN(tst_CalibrationClasses)
#include "tst_CalibrationClasses.moc"
