#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <memory>

#include "engineering/DialogEngParamsTab.h"
#include "engineering/formEngParamsTab.h"
#include "tests/support/SimRig.h"

namespace {
// Current-parameters bytes, from the block's layout table.
constexpr int kEdgePs = 2;
constexpr int kEdgeThreshold = 3;
constexpr int kScanPs = 4;
constexpr int kTouchThreshold = 5;
constexpr int kPressThreshold = 6;
constexpr int kLinearity = 7;
constexpr int kExcludeMode = 13;

// Request opcodes, from the opcode table.
constexpr int kSoftReset = 1;
constexpr int kSaveToFlash = 6;
constexpr int kLoadFromFlash = 7;
constexpr int kLoadDefaults = 8;
constexpr int kEraseFlash = 9;
}  // namespace

// The engineering parameters dialog against the virtual controller.
class tst_EngineeringParameters : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<DialogEngParamsTab> m_dialog;

    formEngParamsTab* tabs() { return m_dialog->tabs(); }

    template <typename T>
    T* child(const char* name) {
        T* found = m_dialog->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qWarning("no child %s", name);
        }
        return found;
    }

    void openDialog() {
        m_dialog = std::make_unique<DialogEngParamsTab>(&m_rig->dispatcher, &m_rig->ops);
        formEngParamsTab::Timings timings;
        timings.applyRetryMs = 10;
        timings.applyPassLimit = 6;
        timings.answerWaitMs = 40;
        timings.refreshDelayMs = 20;
        tabs()->setTimings(timings);
        m_dialog->show();
    }

    int requestCount(int opcode) const { return int(m_rig->requests.count(opcode)); }

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    void init() {
        QSettings().clear();
        m_rig = std::make_unique<SimRig>();
        QVERIFY(m_rig->connectBoard());
    }

    void cleanup() {
        m_dialog.reset();
        m_rig.reset();
    }

    void showsTheControllersValues() {
        // A board with a sound stored calibration reports its success.
        SimScenario scenario = SimRig::quickScenario();
        scenario.calibrated = true;
        m_rig = std::make_unique<SimRig>(scenario);
        QVERIFY(m_rig->connectBoard());
        QVERIFY(m_rig->pokeBlock([](QByteArray& block) {
            block[kEdgePs] = 11;
            block[kEdgeThreshold] = 22;
            block[kScanPs] = 33;
            block[kTouchThreshold] = char(200);
            block[kPressThreshold] = 55;
            block[kLinearity] = char(-5);
            block[kExcludeMode] = 2;
        }));
        openDialog();
        QVERIFY(tabs()->hasBoardValues());
        QVERIFY(child<QPushButton>("pushButton_Ok")->isEnabled());
        const struct {
            const char* editor;
            const char* readBack;
            int value;
        } rows[] = {
            {"spinBoxEdgePS", "lcdEdgePS", 11},     {"spinBoxEdgeThr", "lcdEdgeThr", 22},
            {"spinBoxScanPS", "lcdScanPS", 33},     {"spinBoxTouchThr", "lcdTouchThr", 200},
            {"spinBoxPressThr", "lcdPressThr", 55}, {"spinBoxLinearity", "lcdLinearity", -5}};
        for (const auto& row : rows) {
            QCOMPARE(child<QSpinBox>(row.editor)->value(), row.value);
            QCOMPARE(child<QLCDNumber>(row.readBack)->intValue(), row.value);
        }
        QVERIFY(child<QCheckBox>("checkBoxCalibSuccess")->isChecked());
        QCOMPARE(child<QFrame>("frameCalibSuccess")->styleSheet(),
                 QStringLiteral("background-color: rgb(0, 0, 0);"));
        QVERIFY(child<QFrame>("frameCalibErrBadCond")->styleSheet().isEmpty());
        QCOMPARE(child<QLabel>("labelExclusionZone")->text(), QStringLiteral("2"));

        // Later blocks move the read-backs and leave the editors to the user.
        // (The prescalers above restarted the board; a threshold does not.)
        QTRY_VERIFY(!m_rig->board.isSoftResetActive());
        child<QSpinBox>("spinBoxEdgeThr")->setValue(12);
        QVERIFY(m_rig->pokeByte(kEdgeThreshold, 44));
        QTRY_COMPARE(child<QLCDNumber>("lcdEdgeThr")->intValue(), 44);
        QCOMPARE(child<QSpinBox>("spinBoxEdgeThr")->value(), 12);
    }

    // Apply writes the edited values until the controller reports them, then saves.
    void applyConvergesAndSavesToFlash_data() {
        QTest::addColumn<QByteArray>("editor");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addRow("linearity only") << QByteArray("spinBoxLinearity") << kLinearity << -20;
        QTest::addRow("press threshold") << QByteArray("spinBoxPressThr") << kPressThreshold << 250;
        QTest::addRow("nothing changed") << QByteArray() << -1 << 0;
    }
    void applyConvergesAndSavesToFlash() {
        QFETCH(QByteArray, editor);
        QFETCH(int, offset);
        QFETCH(int, value);
        openDialog();
        const QByteArray before = m_rig->board.parameterBlock();
        if (!editor.isEmpty()) {
            child<QSpinBox>(editor.constData())->setValue(value);
        }
        QSignalSpy saved(tabs(), &formEngParamsTab::applySaved);

        child<QPushButton>("pushButton_Ok")->click();

        QTRY_COMPARE(saved.size(), 1);
        QTRY_COMPARE(requestCount(kSaveToFlash), 1);
        QCOMPARE(m_dialog->statusText(), QString::fromLatin1(DialogEngParamsTab::kSavedText));
        QByteArray expected = before;
        if (offset >= 0) {
            expected[offset] = char(value);
        }
        QCOMPARE(m_rig->board.parameterBlock().mid(kEdgePs, kLinearity - kEdgePs + 1).toHex(),
                 expected.mid(kEdgePs, kLinearity - kEdgePs + 1).toHex());
        QCOMPARE(m_rig->writesOf(SimRig::kSetParametersOpcode).isEmpty(), editor.isEmpty());
    }

    // A controller that does not answer: the loop keeps the queue short, gives up with a
    // message after its passes and saves nothing; closing the dialog ends a running loop.
    void applyIsBoundedAndEndsWithTheDialog_data() {
        QTest::addColumn<bool>("closeWhileRunning");
        QTest::addRow("gives up") << false;
        QTest::addRow("closed") << true;
    }
    void applyIsBoundedAndEndsWithTheDialog() {
        QFETCH(bool, closeWhileRunning);
        openDialog();
        child<QSpinBox>("spinBoxTouchThr")->setValue(77);
        m_rig->board.setSilent(true);
        QSignalSpy gaveUp(tabs(), &formEngParamsTab::applyGaveUp);
        int longestQueue = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this,
                [&] { longestQueue = qMax(longestQueue, m_rig->dispatcher.queuedCommandCount()); });
        watch.start(1);

        child<QPushButton>("pushButton_Ok")->click();
        QVERIFY(tabs()->isApplying());
        if (closeWhileRunning) {
            QTRY_VERIFY(m_rig->writesOf(SimRig::kSetParametersOpcode).size() >= 1);
            child<QPushButton>("pushButton__Cancel")->click();
            QVERIFY(!tabs()->isApplying());
            // What the last pass queued still leaves; nothing follows it.
            QTRY_COMPARE(m_rig->dispatcher.queuedCommandCount(), 0);
            const int writes = m_rig->api->writes.size();
            QTest::qWait(300);
            QCOMPARE(m_rig->api->writes.size(), writes);
            QVERIFY(gaveUp.isEmpty());
        } else {
            QVERIFY(gaveUp.wait(SimRig::kWaitMs));
            QCOMPARE(m_dialog->statusText(), QString::fromLatin1(DialogEngParamsTab::kGaveUpText));
            QVERIFY(!tabs()->isApplying());
        }
        QVERIFY(longestQueue <= 2);
        QCOMPARE(requestCount(kSaveToFlash), 0);
    }

    void serviceSwitchesLandInTheirKeys_data() {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QString>("key");
        const struct {
            const char* box;
            const char* key;
        } rows[] = {{"checkBoxNewFeatures", "General/NewFeatures"},
                    {"checkBoxGraphFeatures", "GraphView/GraphFeatures"},
                    {"cbSensReport", "Sensitivity/ProduceReport"},
                    {"cbSensMonitor", "Sensitivity/ShowMonitor"},
                    {"checkBoxCalibValue", "Calibration/Value"},
                    {"checkBoxSingleWireMode", "GraphView/SingleWireMode"},
                    {"CheckBoxProTouchWindow", "General/NoTouchWindow"},
                    {"checkBoxDisableMonEdge", "General/DisableMonEdge"},
                    {"checkBoxProductTest", "General/ProductTest"},
                    {"CheckBoxNoUISoftReset", "General/NoUIsoftReset"}};
        for (const auto& row : rows) {
            QTest::addRow("%s", row.key) << QByteArray(row.box) << QString::fromLatin1(row.key);
        }
    }
    void serviceSwitchesLandInTheirKeys() {
        QFETCH(QByteArray, box);
        QFETCH(QString, key);
        openDialog();
        tabs()->setCurrentIndex(formEngParamsTab::DiagnosticsTab);
        QCheckBox* check = child<QCheckBox>(box.constData());
        QVERIFY(!check->isChecked());
        check->setChecked(true);
        QVERIFY(!QSettings().contains(key));

        tabs()->applyChanges();

        QCOMPARE(QSettings().value(key).toBool(), true);
        QCOMPARE(child<QFrame>(("frame" + box).constData())->styleSheet(),
                 QStringLiteral("background-color: rgb(0, 0, 0);"));
        // A new dialog shows what is stored.
        m_dialog.reset();
        openDialog();
        QVERIFY(child<QCheckBox>(box.constData())->isChecked());
    }

    void angularBaseAndPartialThreshold_data() {
        QTest::addColumn<QVariant>("storedMode");
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<int>("chosenIndex");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<QVariant>("storedThreshold");
        QTest::addRow("Off kept, threshold untouched")
            << QVariant(-1) << 0 << 0 << 0.3 << QVariant();
        QTest::addRow("nothing stored") << QVariant() << 1 << 1 << 0.3 << QVariant();
        QTest::addRow("270 chosen, threshold changed")
            << QVariant(0) << 1 << 4 << 0.5 << QVariant(0.5);
        QTest::addRow("unknown mode shows Off") << QVariant(9) << 0 << 2 << 0.3 << QVariant();
    }
    void angularBaseAndPartialThreshold() {
        QFETCH(QVariant, storedMode);
        QFETCH(int, shownIndex);
        QFETCH(int, chosenIndex);
        QFETCH(double, threshold);
        QFETCH(QVariant, storedThreshold);
        if (storedMode.isValid()) {
            QSettings().setValue(QStringLiteral("Calibration/Mode"), storedMode);
        }
        openDialog();
        auto* angular = child<QComboBox>("comboBoxAngularBase");
        QCOMPARE(angular->currentIndex(), shownIndex);
        angular->setCurrentIndex(chosenIndex);
        child<QDoubleSpinBox>("doubleSpinBoxPartialThreshold")->setValue(threshold);
        tabs()->setCurrentIndex(formEngParamsTab::CalibrationTab);

        tabs()->applyChanges();

        QCOMPARE(QSettings().value(QStringLiteral("Calibration/Mode")).toInt(), chosenIndex - 1);
        QCOMPARE(QSettings().value(QStringLiteral("GraphView/PartialWireThreshold")),
                 storedThreshold);
    }

    void flashMenuSendsItsCommands_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<int>("opcode");
        QTest::addColumn<bool>("refreshes");
        QTest::addRow("Load") << QByteArray("actionLoadFromFlash") << kLoadFromFlash << true;
        QTest::addRow("Save") << QByteArray("actionSaveToFlash") << kSaveToFlash << false;
        QTest::addRow("Factory Reset") << QByteArray("actionLoadDefaults") << kLoadDefaults << true;
        QTest::addRow("Erase") << QByteArray("actionEraseFlash") << kEraseFlash << false;
        QTest::addRow("RestartBoard") << QByteArray("actionRestartBoard") << kSoftReset << false;
    }
    void flashMenuSendsItsCommands() {
        QFETCH(QByteArray, action);
        QFETCH(int, opcode);
        QFETCH(bool, refreshes);
        openDialog();
        // Edits that a reload must replace.
        child<QSpinBox>("spinBoxEdgePS")->setValue(1);

        tabs()->flashMenu()->findChild<QAction*>(QString::fromLatin1(action))->trigger();

        QTRY_COMPARE(requestCount(opcode), 1);
        if (refreshes) {
            QTRY_VERIFY(tabs()->isEnabled());
            QTRY_COMPARE(child<QSpinBox>("spinBoxEdgePS")->value(), int(m_rig->boardByte(kEdgePs)));
        }
        QVERIFY(m_rig->writesOf(SimRig::kSetParametersOpcode).isEmpty());
    }

    // The box sends the reset only when ticked and unticks itself once the reset is over.
    void softResetBox() {
        openDialog();
        auto* box = child<QCheckBox>("CheckBoxsoftReset");
        m_rig->board.setSoftResetMs(150);

        box->setChecked(true);
        QTRY_COMPARE(requestCount(kSoftReset), 1);
        QTRY_VERIFY(m_rig->parameters()->isSoftResetActive());
        QVERIFY(box->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!m_rig->board.isSoftResetActive(), SimRig::kWaitMs);
        QVERIFY(m_rig->refresh());
        QVERIFY(!box->isChecked());

        box->setChecked(true);
        box->setChecked(false);
        QVERIFY(m_rig->refresh());
        QCOMPARE(requestCount(kSoftReset), 2);
    }

    // On the "Output Control" tab Apply stores the switches and applies only the output
    // page (which saves to flash itself): the edited engine values are not written.
    void applyOnTheOutputTab() {
        openDialog();
        child<QSpinBox>("spinBoxEdgePS")->setValue(99);
        child<QCheckBox>("checkBoxNewFeatures")->setChecked(true);
        tabs()->setCurrentIndex(formEngParamsTab::OutputControlTab);

        tabs()->applyChanges();

        QVERIFY(QSettings().value(QStringLiteral("General/NewFeatures")).toBool());
        QVERIFY(m_rig->settle());
        QVERIFY(m_rig->boardByte(kEdgePs) != 99);
        for (const QByteArray& set : m_rig->writesOf(SimRig::kSetParametersOpcode)) {
            QVERIFY(quint8(set.at(kEdgePs + 1)) != 99);
        }
    }
};

QTEST_MAIN(tst_EngineeringParameters)
#include "tst_EngineeringParameters.moc"
