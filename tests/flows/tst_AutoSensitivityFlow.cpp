#include <QtTest>

#include <cmath>
#include <functional>

#include "protocol/ResponseDelegateProcessedEdge.h"
#include "operations/AutoSensitivityProcedure.h"
#include "sensitivity/AutoSensWizardProxy.h"
#include "sensitivity/FormSensCal.h"
#include "tests/support/SimRig.h"

using Prepare = std::function<void(SimRig&, FormSensCal&)>;
Q_DECLARE_METATYPE(Prepare)

namespace {
// Block offsets and masks of the controller's current parameters.
constexpr int kEdgePs = 2, kEdgeThreshold = 3, kScanPs = 4, kOutputFlags = 9, kMonitor1 = 10;
constexpr quint8 kOutputEnabled = 0x01, kEdgeFlags = 0xA0;
constexpr int kSetZoneA = 31, kSetZoneB = 32, kSetParameters = 4;
// The board's factory prescaler.
constexpr int kFactoryPrescaler = 20;
constexpr int kRunWaitMs = 15000;

// The finger of the scenario: the middle wire at 24, every wire swinging by 2 counts, so
// each wire's sigma over 100 frames is 2 * sqrt(100 / 99) = 2.0101.
//   prescaler = trunc(15 * 32 / (24 - 16) + 0.5) = 60 (25 with "Model/Mux": 100)
//   threshold = trunc(24 + 6 * 2.0101 - 16 + 0.5) = 20
//   zonal byte = trunc(2.0101 * 32) = 64 on each of the 39 edges
SimScenario pressedScenario() {
    SimScenario scenario = SimRig::quickScenario();
    scenario.pressAtMs = 0;
    scenario.pressLevel = 24;
    scenario.pressNoise = 2;
    return scenario;
}

AutoSensitivityProcedure::Delays quickDelays() {
    AutoSensitivityProcedure::Delays delays;
    delays.quietMs = 10;
    delays.pressPromptMs = 10;
    delays.animateMs = 5;
    delays.completedMs = 5;
    delays.analysisMs = 5;
    delays.prescalerMs = 40;
    delays.softResetPollMs = 10;
    delays.settleMs = 150;
    delays.preNoiseMs = 5;
    delays.doneMs = 100;
    delays.watchdogMs = 8000;
    return delays;
}

QStringList reportFiles() {
    return QDir::current().entryList({QStringLiteral("sens*.log")}, QDir::Files, QDir::Name);
}

QByteArray zoneReport(int opcode, int edges, quint8 value) {
    QByteArray report;
    report.append(char(opcode));
    report.append(char(edges));
    report.append(QByteArray(edges, char(value)));
    return report;
}
}  // namespace

// The automatic sensitivity procedure, its window and its wizard page against the virtual
// controller with a finger on the target.
class tst_AutoSensitivityFlow : public QObject {
    Q_OBJECT

    struct Run {
        SimRig rig;
        QPointer<FormSensCal> form;
        QPointer<AutoSensitivityProcedure> procedure;
        std::unique_ptr<QSignalSpy> finished;
        // Taken when the target first fills: the board's prescaler and output.
        int acquisitionPrescaler = -1;
        bool outputDuringAcquisition = true;

        explicit Run(const SimScenario& scenario) : rig(scenario) {}
        bool start(const AutoSensitivityProcedure::Delays& delays, const Prepare& prepare = {}) {
            if (!rig.connectBoard()) {
                return false;
            }
            form = new FormSensCal(&rig.dispatcher, &rig.ops);
            form->setDelays(delays);
            form->procedure()->setClock(
                [] { return QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0)); });
            procedure = form->procedure();
            QObject::connect(
                procedure, &AutoSensitivityProcedure::targetStateChanged, [this](int state) {
                    if (state == AutoSensitivityProcedure::TargetActive) {
                        acquisitionPrescaler = rig.boardByte(kEdgePs);
                        outputDuringAcquisition = rig.boardFlag(kOutputFlags, kOutputEnabled);
                    }
                });
            finished = std::make_unique<QSignalSpy>(form.data(), &QDialog::finished);
            if (prepare) {
                prepare(rig, *form);
            }
            form->show();
            return true;
        }
        int result() { return finished->count() == 1 ? finished->at(0).at(0).toInt() : -1; }
    };

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() {
        QSettings().clear();
        for (const QString& file : reportFiles()) {
            QFile::remove(file);
        }
    }

    void wholeRunSetsTheController_data() {
        QTest::addColumn<bool>("mux");
        QTest::addColumn<bool>("produceReport");
        QTest::addColumn<int>("acquisition");
        QTest::addColumn<int>("prescaler");
        QTest::addRow("reports off") << false << false << 15 << 60;
        QTest::addRow("reports on") << false << true << 15 << 60;
        QTest::addRow("multiplexed model") << true << false << 25 << 100;
    }
    void wholeRunSetsTheController() {
        QFETCH(bool, mux);
        QFETCH(bool, produceReport);
        QFETCH(int, acquisition);
        QFETCH(int, prescaler);
        QSettings().setValue(QStringLiteral("Model/Mux"), mux ? 1 : 0);
        QSettings().setValue(QStringLiteral("Sensitivity/ProduceReport"), produceReport);
        Run run(pressedScenario());
        QVERIFY(run.start(quickDelays()));
        QSignalSpy snr(run.form.data(), &FormSensCal::signalToNoiseRatio);
        QVERIFY(run.finished->wait(kRunWaitMs));
        QCOMPARE(run.result(), 1);
        QCOMPARE(run.acquisitionPrescaler, acquisition);
        QVERIFY(!run.outputDuringAcquisition);
        QCOMPARE(snr.count(), 1);
        // Inner level 8 over the outer wires' 16 + sqrt(3 * 4.0404) - 16.
        QVERIFY(qAbs(snr.at(0).at(0).toDouble() - 8.0 / std::sqrt(3 * 400.0 / 99)) < 1e-6);

        QVERIFY(run.rig.settle());
        QTRY_VERIFY(run.rig.boardFlag(kOutputFlags, kOutputEnabled));
        QCOMPARE(int(run.rig.boardByte(kEdgePs)), prescaler);
        QCOMPARE(int(run.rig.boardByte(kScanPs)), prescaler);
        QCOMPARE(int(run.rig.boardByte(kEdgeThreshold)), 20);
        QCOMPARE(run.rig.boardByte(kMonitor1) & kEdgeFlags, 0);
        QList<int> zoneRequests;
        for (int opcode : qAsConst(run.rig.requests)) {
            if (opcode == kSetZoneA || opcode == kSetZoneB) {
                zoneRequests << opcode;
            }
        }
        QCOMPARE(zoneRequests, QList<int>({kSetZoneA, kSetZoneB}));
        const int zoneBytes = 2 + 39;
        QCOMPARE(run.rig.writesOf(kSetZoneA).value(0).mid(SimRig::kOpcode, zoneBytes),
                 zoneReport(kSetZoneA, 39, 64));
        QCOMPARE(run.rig.writesOf(kSetZoneB).value(0).mid(SimRig::kOpcode, zoneBytes),
                 zoneReport(kSetZoneB, 39, 64));
        const QStringList expectedFiles =
            produceReport
                ? QStringList{"sensNoise_20261207-120000.log", "sensTouch_20261207-120000.log"}
                : QStringList{};
        QCOMPARE(reportFiles(), expectedFiles);
        QTRY_VERIFY(run.form.isNull());
        QTRY_VERIFY(run.procedure.isNull());
    }

    // Every way a run can hang ends with result 0, the output and the prescaler given
    // back and the edge streams off.
    void stuckRunsEndFailed_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<int>("watchdogMs");
        QTest::addColumn<bool>("touchesTheBoard");
        QTest::addRow("edge monitoring disabled ends at once")
            << "" << Prepare([](SimRig&, FormSensCal&) {
                   QSettings().setValue(QStringLiteral("General/DisableMonEdge"), true);
               })
            << 60000 << false;
        QTest::addRow("no edge frames") << "edgeInterval=0" << Prepare() << 600 << true;
        QTest::addRow("frames of array A only")
            << "" << Prepare([](SimRig& rig, FormSensCal& form) {
                   auto* edges = rig.delegate<ResponseDelegateProcessedEdge>("ProcessedEdge");
                   AutoSensitivityProcedure* procedure = form.procedure();
                   QObject::connect(procedure, &AutoSensitivityProcedure::targetStateChanged,
                                    procedure, [edges, procedure] {
                                        QObject::disconnect(edges,
                                                            &ResponseDelegateProcessedEdge::edgeB,
                                                            procedure, nullptr);
                                    });
               })
            << 800 << true;
        QTest::addRow("soft reset outlasting the watchdog")
            << "softReset=1500" << Prepare() << 400 << true;
        QTest::addRow("closed by the installer during the run")
            << "pressAt=-1" << Prepare([](SimRig&, FormSensCal& form) {
                   QObject::connect(form.procedure(), &AutoSensitivityProcedure::pageChanged, &form,
                                    [&form](int page) {
                                        if (page == AutoSensitivityProcedure::PagePressTarget) {
                                            QTimer::singleShot(0, &form, &FormSensCal::reject);
                                        }
                                    });
               })
            << 60000 << true;
    }
    void stuckRunsEndFailed() {
        QFETCH(QString, options);
        QFETCH(Prepare, prepare);
        QFETCH(int, watchdogMs);
        QFETCH(bool, touchesTheBoard);
        SimScenario scenario = pressedScenario();
        QVERIFY(scenario.applyArgument(options));
        Run run(scenario);
        AutoSensitivityProcedure::Delays delays = quickDelays();
        delays.watchdogMs = watchdogMs;
        if (!touchesTheBoard) {
            delays.startMs = delays.quietMs = 60000;
        }
        const int setsBefore = run.rig.writesOf(kSetParameters).size();
        QVERIFY(run.start(delays, prepare));
        QVERIFY(run.finished->wait(kRunWaitMs));
        QCOMPARE(run.result(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(run.rig.boardFlag(kOutputFlags, kOutputEnabled), kRunWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(int(run.rig.boardByte(kEdgePs)), kFactoryPrescaler, kRunWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(run.rig.boardByte(kMonitor1) & kEdgeFlags, 0, kRunWaitMs);
        QVERIFY(run.rig.settle());
        QVERIFY(run.rig.writesOf(kSetZoneA).isEmpty() && run.rig.writesOf(kSetZoneB).isEmpty());
        QCOMPARE(run.rig.writesOf(kSetParameters).size() > setsBefore, touchesTheBoard);
        QTRY_VERIFY(run.procedure.isNull());
    }

    void wizardPageShowsTheOutcome_data() {
        QTest::addColumn<bool>("showMonitor");
        QTest::addColumn<bool>("disableEdges");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString adjusted = QStringLiteral(
            "The sensitivity has been adjusted. Press Next to proceed to calibration.");
        QTest::addRow("completed") << false << false << "Autosensitivity Complete" << adjusted;
        QTest::addRow("completed with the figures") << true << false << "Autosensitivity Complete"
                                                    << adjusted + "\n Noise Figure: %1, SNR: %2";
        QTest::addRow("failed") << false << true << "Autosensitivity Failed"
                                << "The sensitivity has not been adjusted.Press Next to "
                                   "continue or Cancel to Close";
    }
    void wizardPageShowsTheOutcome() {
        QFETCH(bool, showMonitor);
        QFETCH(bool, disableEdges);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QSettings().setValue(QStringLiteral("Sensitivity/ShowMonitor"), showMonitor);
        QSettings().setValue(QStringLiteral("General/DisableMonEdge"), disableEdges);
        SimRig rig(pressedScenario());
        QVERIFY(rig.connectBoard());
        AutoSensWizardProxy page(&rig.dispatcher, &rig.ops);
        page.setDelays(quickDelays());
        QSignalSpy next(&page, &AutoSensWizardProxy::showNext);
        page.initializePage();
        QVERIFY(page.dialog() != nullptr);
        QVERIFY(page.dialog()->isModal());
        QVERIFY(next.wait(kRunWaitMs));
        QCOMPARE(page.title(), title);
        if (showMonitor) {
            QVERIFY(page.noiseFigureValue() > 3.4 && page.snrValue() > 2.2);
            text = text.arg(page.noiseFigureValue(), 0, 'g').arg(page.snrValue(), 0, 'g');
        }
        QCOMPARE(page.labelText(), text);
        QTRY_VERIFY(page.dialog() == nullptr);
        QVERIFY(rig.settle());
        QCOMPARE(page.nextId(), -1);
        page.setNextIdWhenOk(3);
        QCOMPARE(page.nextId(), 3);
    }
};

QTEST_MAIN(tst_AutoSensitivityFlow)
#include "tst_AutoSensitivityFlow.moc"
