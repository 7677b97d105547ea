#include <QLCDNumber>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "sensitivity/FormSensThreshEditor.h"
#include "troubleshoot/GLtexturewidget.h"
#include "tests/support/SimRig.h"

namespace {
// Block bytes, from the layout table.
constexpr int kEdgeThresholdByte = 3;
constexpr int kTouchThresholdByte = 5;
constexpr int kPressThresholdByte = 6;
constexpr int kMonitorFlags1Byte = 10;
constexpr quint8 kScanAB = 0x0c;
constexpr int kMonitorFlags2Byte = 11;
constexpr quint8 kTestMode = 0x04;
constexpr int kDiagFlagsByte = 27;
constexpr quint8 kDiagAB = 0xc0;
constexpr int kSetParametersOpcode = 4;

// The editor on a rig, closed (and so deleted) at the end of the scope.
struct Editor {
    explicit Editor(SimRig& rig) : window(new FormSensThreshEditor(&rig.dispatcher, &rig.ops)) {
        window->setReEnableTimeout(2000);
    }
    ~Editor() {
        if (window) {
            window->close();
        }
    }
    QPushButton* button(const char* name) const {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QPointer<FormSensThreshEditor> window;
};

int cellsAbove(const ScanHeatMapModel::Grid& grid, int level) {
    int count = 0;
    for (quint8 value : grid) {
        count += value > level ? 1 : 0;
    }
    return count;
}
}  // namespace

// The graph window against the virtual controller.
class tst_FormSensThreshEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { QSettings().clear(); }

    // A step goes out, is read back, and the step buttons come back; a step leaving
    // 1..254 sends nothing and disables nothing. Operations that never answer do not
    // leave the step buttons disabled for ever.
    void thresholdStep_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("silent");
        const int touch = kTouchThresholdByte;
        QTest::addRow("touch +1") << "buttonTouchPlus1" << touch << 40 << 41 << false;
        QTest::addRow("touch -1") << "buttonTouchMinus1" << touch << 40 << 39 << false;
        QTest::addRow("edge -1") << "buttonEdgeMinus1" << kEdgeThresholdByte << 100 << 99 << false;
        QTest::addRow("press +1") << "buttonPressPlus1" << kPressThresholdByte << 60 << 61 << false;
        QTest::addRow("touch below 1") << "buttonTouchMinus1" << touch << 1 << 1 << false;
        QTest::addRow("edge above 254")
            << "buttonEdgePlus1" << kEdgeThresholdByte << 254 << 254 << false;
        QTest::addRow("no answer") << "buttonTouchPlus1" << touch << 40 << 40 << true;
    }
    void thresholdStep() {
        QFETCH(QString, button);
        QFETCH(int, offset);
        QFETCH(int, start);
        QFETCH(int, expected);
        QFETCH(bool, silent);
        SimRig rig;
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(offset, quint8(start)));
        Editor editor(rig);
        QVERIFY(rig.settle());
        const int setsBefore = rig.writesOf(kSetParametersOpcode).size();
        if (silent) {
            editor.window->setReEnableTimeout(50);
            rig.board.setSilent(true);
        }
        editor.button(button.toLatin1().constData())->click();
        if (silent) {
            QVERIFY(!editor.window->areStepButtonsEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(editor.window->areStepButtonsEnabled(), SimRig::kWaitMs);
            QCOMPARE(int(rig.boardByte(offset)), start);
            return;
        }
        if (expected == start) {
            QVERIFY(editor.window->areStepButtonsEnabled());
            QTest::qWait(100);
            QCOMPARE(rig.writesOf(kSetParametersOpcode).size(), setsBefore);
            QCOMPARE(int(rig.boardByte(offset)), start);
            return;
        }
        QVERIFY(!editor.window->areStepButtonsEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.boardByte(offset)), expected, SimRig::kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(editor.window->areStepButtonsEnabled(), SimRig::kWaitMs);
        QCOMPARE(int(rig.parameters()->parameterBlock().at(offset)) & 0xff, expected);
    }

    // A threshold read while the window is open is shown with as many digits as it has
    // (a display too narrow for its value shows nothing).
    void thresholdDisplayFitsTheValue_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("digits");
        QTest::addRow("9") << 9 << 1;
        QTest::addRow("10") << 10 << 2;
        QTest::addRow("100") << 100 << 3;
    }
    void thresholdDisplayFitsTheValue() {
        QFETCH(int, value);
        QFETCH(int, digits);
        SimRig rig;
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(kTouchThresholdByte, 1));
        Editor editor(rig);
        // On the Edge tab the touch display follows every block without a digit update.
        editor.window->selectTab(FormSensThreshEditor::EdgeTab);
        QVERIFY(rig.settle());  // the window's switch to the edge view is written
        QVERIFY(rig.pokeByte(kTouchThresholdByte, quint8(value)));
        auto* display = editor.window->findChild<QLCDNumber*>(QStringLiteral("lcdTouchThreshold"));
        QTRY_COMPARE_WITH_TIMEOUT(display->intValue(), value, SimRig::kWaitMs);
        QCOMPARE(display->digitCount(), digits);
        QVERIFY(!display->checkOverflow(value));
    }

    // Touch +10 only marks the thresholds unsaved; Save reports them saved, the close
    // button does not; either way the monitor modes the window caused are undone.
    void saveAndClose_data() {
        QTest::addColumn<bool>("save");
        QTest::addRow("save") << true;
        QTest::addRow("close button") << false;
    }
    void saveAndClose() {
        QFETCH(bool, save);
        SimRig rig;
        QVERIFY(rig.connectBoard());
        Editor editor(rig);
        QSignalSpy saved(editor.window.data(), &FormSensThreshEditor::signalThresholdSaved);
        QTRY_VERIFY_WITH_TIMEOUT((rig.boardByte(kMonitorFlags1Byte) & kScanAB) == kScanAB,
                                 SimRig::kWaitMs);
        QVERIFY(rig.settle());
        const int setsBefore = rig.writesOf(kSetParametersOpcode).size();
        editor.button("buttonTouchPlus10")->click();
        QTest::qWait(50);
        QCOMPARE(rig.writesOf(kSetParametersOpcode).size(), setsBefore);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.at(0).at(0).toBool(), false);

        if (save) {
            editor.button("buttonCloseSave")->click();
        } else {
            editor.window->close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(editor.window.isNull(), SimRig::kWaitMs);
        QCOMPARE(saved.size(), save ? 2 : 1);
        if (save) {
            QCOMPARE(saved.at(1).at(0).toBool(), true);
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig.boardByte(kMonitorFlags1Byte) & kScanAB, 0, SimRig::kWaitMs);
    }

    // Test mode switches the controller to diagnostics, and off again.
    void testModeSwitchesDiagnostics() {
        SimRig rig;
        QVERIFY(rig.connectBoard());
        Editor editor(rig);
        QPushButton* testMode = editor.button("buttonTestMode");
        testMode->click();
        QTRY_VERIFY_WITH_TIMEOUT((rig.boardByte(kDiagFlagsByte) & kDiagAB) == kDiagAB,
                                 SimRig::kWaitMs);
        QVERIFY(editor.window->isTestMode());
        testMode->click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.boardByte(kDiagFlagsByte) & kDiagAB, 0, SimRig::kWaitMs);
        QVERIFY(!rig.boardFlag(kMonitorFlags2Byte, kTestMode));
    }

    // The Scan tab has the controller stream scan data, and the grids fill; the Edge tab
    // feeds the equalizers.
    void tabsStreamTheirData() {
        SimRig rig;
        QVERIFY(rig.connectBoard());
        Editor editor(rig);
        QCOMPARE(editor.window->currentTab(), int(FormSensThreshEditor::ScanTab));
        const ScanHeatMapModel& model = editor.window->heatMap()->model();
        QTRY_VERIFY_WITH_TIMEOUT(cellsAbove(model.grid(ScanHeatMapModel::ArrayA), 0) > 0 &&
                                     cellsAbove(model.grid(ScanHeatMapModel::ArrayB), 0) > 0,
                                 SimRig::kWaitMs);

        QSignalSpy edges(editor.window.data(), &FormSensThreshEditor::signalDataLeft);
        editor.window->selectTab(FormSensThreshEditor::EdgeTab);
        QVERIFY(!editor.window->heatMap()->isConnected());
        QVERIFY(edges.wait(SimRig::kWaitMs));
        QVERIFY(editor.window->scanRateText() != QStringLiteral("--"));
    }

    // The window's poll does not pile up behind the operations' own requests: with
    // steps running the queue stays short.
    void parameterPollStaysSingle() {
        SimRig rig;
        QVERIFY(rig.connectBoard());
        Editor editor(rig);
        int longest = 0;
        for (int i = 0; i < 5; ++i) {
            editor.button("buttonTouchPlus1")->click();
            QTRY_VERIFY_WITH_TIMEOUT(editor.window->areStepButtonsEnabled(), SimRig::kWaitMs);
            for (int j = 0; j < 10; ++j) {
                longest = qMax(longest, rig.dispatcher.queuedCommandCount());
                QTest::qWait(5);
            }
        }
        QVERIFY2(longest <= 4, qPrintable(QString::number(longest)));
    }
};

QTEST_MAIN(tst_FormSensThreshEditor)
#include "tst_FormSensThreshEditor.moc"
