#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "protocol/SettingsKeys.h"
#include "sim/SimParameterBlock.h"
#include "output/FormOutput.h"
#include "output/OutputWizardProxy.h"
#include "sensitivity/AutoSensWizardProxy.h"
#include "sensitivity/FormSensCal.h"
#include "wizard/SetupWizard.h"
#include "../support/SimRig.h"

namespace {
// The virtual controller, answered, with a wizard built on it (shown when asked).
struct WizardRig : SimRig {
    explicit WizardRig(bool wireOut) : SimRig(scenario(wireOut)) {}
    ~WizardRig() {
        delete wizard;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static SimScenario scenario(bool wireOut) {
        SimScenario s = quickScenario();
        if (wireOut) {
            s.brokenWireA = 3;
        }
        return s;
    }
    bool open(bool newFeatures, bool show = true) {
        QSettings().setValue(SettingsKeys::General::kNewFeatures, newFeatures);
        if (!connectBoard()) {
            return false;
        }
        wizard = new SetupWizard(&dispatcher, &ops);
        calibrationRequests =
            std::make_unique<QSignalSpy>(wizard.data(), &SetupWizard::signalShowCalibrationWindow);
        if (show) {
            wizard->show();
        }
        return true;
    }
    QAbstractButton* button(QWizard::WizardButton which) const { return wizard->button(which); }
    // Lets queued requests arrive, then counts them.
    int requestsSettled() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return calibrationRequests->count();
    }
    int saveRequests() const { return requests.count(VirtualController::kOpSaveToFlash); }

    QPointer<SetupWizard> wizard;
    std::unique_ptr<QSignalSpy> calibrationRequests;
};
}  // namespace

class tst_SetupWizard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { QSettings().clear(); }

    void pagesFollowWireOutAndNewFeatures_data() {
        QTest::addColumn<bool>("wireOut");
        QTest::addColumn<bool>("newFeatures");
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<int>("afterBrokenWire");
        QTest::newRow("plain") << false << false << QList<int>{0, 3, 4} << -1;
        QTest::newRow("new features") << false << true << QList<int>{0, 2, 3, 4} << -1;
        QTest::newRow("wire out") << true << false << QList<int>{0, 1, 3, 4} << 3;
        QTest::newRow("both") << true << true << QList<int>{0, 1, 2, 3, 4} << 2;
    }
    void pagesFollowWireOutAndNewFeatures() {
        QFETCH(bool, wireOut);
        QFETCH(bool, newFeatures);
        QFETCH(QList<int>, pages);
        QFETCH(int, afterBrokenWire);
        WizardRig rig(wireOut);
        rig.ops.setCalibResult(0);
        QVERIFY(rig.open(newFeatures, false));
        QCOMPARE(rig.wizard->pageIds(), pages);
        // Until the calibration reports, the operations hold "none reported".
        QCOMPARE(rig.ops.calibResult(), SetupWizard::kNoCalibrationResult);
        if (afterBrokenWire >= 0) {
            QCOMPARE(rig.wizard->page(SetupWizard::BrokenWirePage)->nextId(), afterBrokenWire);
        }
    }

    // Next on the welcome page goes straight to the calibration, requested once; only a
    // new arrival from another page requests it again.
    void calibrationRequestedOncePerArrival() {
        WizardRig rig(false);
        QVERIFY(rig.open(false));
        QCOMPARE(rig.requestsSettled(), 0);
        rig.button(QWizard::NextButton)->click();
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::CalibrationPage));
        QCOMPARE(rig.requestsSettled(), 1);
        QCOMPARE(rig.calibrationRequests->at(0).at(0).toBool(), false);
        QVERIFY(!rig.button(QWizard::BackButton)->isEnabled());
        rig.wizard->hideCustomButtons(SetupWizard::CalibrationPage);
        QCOMPARE(rig.requestsSettled(), 1);

        emit rig.ops.signalCalibrationFinished(0);
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::OutputPage));
        rig.wizard->back();
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::CalibrationPage));
        QCOMPARE(rig.requestsSettled(), 2);
    }

    void calibrationOutcomeLeadsOn_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("touchTest");
        QTest::addColumn<bool>("formShown");
        QTest::newRow("success") << 0 << 4 << true << true;
        QTest::newRow("reduced area") << 1 << 4 << true << true;
        QTest::newRow("cancelled") << 2 << 4 << false << false;
        QTest::newRow("noisy") << 3 << 4 << false << false;
        QTest::newRow("no touch") << 4 << 4 << false << false;
        QTest::newRow("none reported") << 5 << 3 << false << false;
    }
    void calibrationOutcomeLeadsOn() {
        QFETCH(int, result);
        QFETCH(int, page);
        QFETCH(bool, touchTest);
        QFETCH(bool, formShown);
        WizardRig rig(false);
        QVERIFY(rig.open(false));
        QSignalSpy outputShown(rig.wizard.data(), &SetupWizard::signalShowOutputWindow);
        rig.button(QWizard::NextButton)->click();
        emit rig.ops.signalCalibrationFinished(result);
        QCOMPARE(rig.wizard->currentId(), page);
        QCOMPARE(rig.button(QWizard::CustomButton3)->isVisible(), touchTest);
        QCOMPARE(rig.wizard->outputPage()->form()->isVisible(), formShown);
        QCOMPARE(outputShown.count(), formShown ? 1 : 0);
        QCOMPARE(rig.wizard->outputPage()->isHintShown(), formShown);
        // Whatever the outcome, the run can be left.
        QVERIFY(rig.button(QWizard::CancelButton)->isVisible());
        QVERIFY(rig.button(QWizard::CancelButton)->isEnabled());
        if (page == SetupWizard::CalibrationPage) {
            QVERIFY(!rig.button(QWizard::NextButton)->isVisible());
            rig.button(QWizard::CancelButton)->click();
            QTRY_VERIFY(rig.wizard.isNull());
        }
    }

    // Finish saves once and closes only when the controller has taken the parameters;
    // after a failed calibration the close leads to the graph. (After a successful one
    // the output page saves the chosen mode as well.)
    void finishSavesThenCloses_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("graphRequests");
        QTest::newRow("cancelled") << 2 << 0;
        QTest::newRow("noisy") << 3 << 1;
    }
    void finishSavesThenCloses() {
        QFETCH(int, result);
        QFETCH(int, graphRequests);
        WizardRig rig(false);
        QVERIFY(rig.open(false));
        QSignalSpy graph(rig.wizard.data(), &SetupWizard::signalShowSensThresEditor);
        QSignalSpy saved(&rig.ops, &SetOperations::signal_finishedSavingParameters);
        OutputWizardProxy* outputPage = rig.wizard->outputPage();
        QSignalSpy pageGraph(outputPage, &OutputWizardProxy::signalShowSensThresEditor);
        QSignalSpy pageSaved(outputPage, &OutputWizardProxy::signalFinishedSavingParameters);
        // A monitor flag left on makes saving a pass over the link, not an instant.
        QVERIFY(rig.pokeBlock([](QByteArray& block) {
            block[SimParameterBlock::kDiagFlags] = char(SimParameterBlock::kMonitorDiagA);
        }));
        rig.button(QWizard::NextButton)->click();
        emit rig.ops.signalCalibrationFinished(result);
        rig.button(QWizard::FinishButton)->click();
        QVERIFY(rig.wizard->isVisible());
        QVERIFY(!rig.button(QWizard::FinishButton)->isEnabled());
        QVERIFY(saved.wait(SimRig::kWaitMs));
        QTRY_VERIFY(rig.wizard.isNull());
        QTRY_COMPARE(rig.saveRequests(), 1);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(graph.count(), graphRequests);
        QCOMPARE(pageGraph.count(), graphRequests);
        QCOMPARE(pageSaved.count(), 1);
    }

    // The modal wizard's ways to the other windows: Ctrl+Alt+Q to the controller's data
    // (the main window's own shortcut cannot be reached), Touch Test to the monitor.
    void shortcutAndTouchTestLeadOut() {
        WizardRig rig(false);
        QVERIFY(rig.open(false));
        QSignalSpy shortcut(rig.wizard.data(), &SetupWizard::signalShortcutActivated);
        QApplication::setActiveWindow(rig.wizard);
        QVERIFY(QTest::qWaitForWindowActive(rig.wizard));
        QTest::keyClick(rig.wizard, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(shortcut.count(), 1);
        QSignalSpy monitor(rig.wizard.data(), &SetupWizard::signalShowMonitor);
        rig.button(QWizard::NextButton)->click();
        emit rig.ops.signalCalibrationFinished(0);
        rig.button(QWizard::CustomButton3)->click();
        QTRY_VERIFY(rig.wizard.isNull());
        QCOMPARE(monitor.count(), 1);
        QTRY_COMPARE(rig.saveRequests(), 1);
    }

    // "Troubleshoot Graph" on the broken-wire page saves, closes and leaves the settings
    // that make the main window open the graph (no calibration result reported).
    void troubleshootGraphSavesAndCloses() {
        WizardRig rig(true);
        QVERIFY(rig.open(false));
        QVERIFY(!rig.button(QWizard::CustomButton1)->isVisible());
        rig.button(QWizard::NextButton)->click();
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::BrokenWirePage));
        QAbstractButton* graphButton = rig.button(QWizard::CustomButton1);
        QVERIFY(graphButton->isVisible());
        QCOMPARE(graphButton->text(), QStringLiteral("Troubleshoot Graph"));
        graphButton->click();
        QTRY_VERIFY(rig.wizard.isNull());
        QCOMPARE(rig.saveRequests(), 1);
        QCOMPARE(rig.ops.calibResult(), SetupWizard::kNoCalibrationResult);
        const QSettings settings;
        QVERIFY(settings.value(SettingsKeys::GraphView::kBrokenWire).toBool());
        QVERIFY(settings.value(SettingsKeys::GraphView::kTroubleshootGraph).toBool());
    }

    // A sensitivity run that fails still leads on to the calibration.
    void failedSensitivityGoesToCalibration() {
        WizardRig rig(false);
        QVERIFY(rig.open(true));
        rig.button(QWizard::NextButton)->click();
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::AutoSensPage));
        QPointer<FormSensCal> run = rig.wizard->autoSensPage()->dialog();
        QVERIFY(run);
        run->reject();
        QTRY_VERIFY(rig.wizard->autoSensPage()->labelText().contains(
            QStringLiteral("has not been adjusted")));
        QCOMPARE(rig.requestsSettled(), 0);
        rig.button(QWizard::NextButton)->click();
        QCOMPARE(rig.wizard->currentId(), int(SetupWizard::CalibrationPage));
        QCOMPARE(rig.requestsSettled(), 1);
    }
};

QTEST_MAIN(tst_SetupWizard)
#include "tst_SetupWizard.moc"
