#include <QtTest>

#include <functional>

#include "device/LogReplayer.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "operations/ConvergingPass.h"
#include "tests/support/SimRig.h"

namespace {
constexpr int kSet = VirtualController::kOpSetParameters;
constexpr int kGet = VirtualController::kOpGetParameters;
constexpr int kPeriodMs = 5;
// How long a pass waits for a block where the test lets answers get lost.
constexpr int kLostAfterMs = 40;
}  // namespace

// The pass helper over the virtual controller, with a procedure that never reaches its
// state (every pass finds a difference), so only the helper decides what goes out.
class tst_ConvergingPass : public QObject {
    Q_OBJECT

    struct Rig : SimRig {
        explicit Rig(const SimScenario& scenario = quickScenario())
            : SimRig(scenario), pass(&dispatcher, [this] { run(); }) {
            pass.setSoftResetPollMs(kPeriodMs);
            QObject::connect(&dispatcher, &DeviceEventDispatcher::commandSent,
                             [this] { longest = qMax(longest, dispatcher.queuedCommandCount()); });
        }
        void run() {
            ++runs;
            pass.converge(
                kPeriodMs, [](CommandSetCurrentParameters&) { return true; }, [] {});
        }
        QList<int> requestsFrom(int first) const { return requests.mid(first); }

        ConvergingPass pass;
        int runs = 0;
        int longest = 0;
    };

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    // An answer that takes far longer than the period: each pass waits for it, so the
    // queue never holds more than one pass, and the board sees set, get, set, get.
    void slowAnswerHoldsTheNextPass() {
        SimScenario scenario = SimRig::quickScenario();
        scenario.latencyMs = 30;
        Rig rig(scenario);
        QVERIFY(rig.connectBoard());
        const int first = rig.requests.size();
        rig.pass.setPassLimit(4);
        QSignalSpy gaveUp(&rig.pass, &ConvergingPass::gaveUp);
        rig.run();
        QVERIFY(gaveUp.wait(SimRig::kWaitMs));
        QCOMPARE(rig.requestsFrom(first),
                 QList<int>({kSet, kGet, kSet, kGet, kSet, kGet, kSet, kGet}));
        QVERIFY(rig.longest <= 1);
        QVERIFY(!rig.pass.isPending());
        QCOMPARE(gaveUp.count(), 1);
    }

    // A lost answer ends the wait; the next passes only ask for the block, and writing
    // starts again from the first block that comes back.
    void lostAnswerAsksBeforeWriting() {
        Rig rig;
        rig.pass.setAnswerWaitMs(kLostAfterMs);
        QVERIFY(rig.connectBoard());
        const int first = rig.requests.size();
        rig.board.setSilent(true);
        rig.run();
        QTRY_VERIFY(rig.requestsFrom(first).size() >= 4);
        QCOMPARE(rig.requestsFrom(first).mid(0, 4), QList<int>({kSet, kGet, kGet, kGet}));
        const int back = rig.requests.size();
        rig.board.setSilent(false);
        QTRY_VERIFY(rig.requestsFrom(back).contains(kSet));
        const QList<int> after = rig.requestsFrom(back);
        QVERIFY(after.mid(0, after.indexOf(kSet)).contains(kGet));
        QVERIFY(rig.longest <= 2);
    }

    // A call while the last pass's answer is outstanding queues nothing; the pass runs
    // once the answer is in. A call from outside starts the pass count again: the first
    // pass and two more after the calls.
    void callInFlightJoinsTheLoop() {
        SimScenario scenario = SimRig::quickScenario();
        scenario.latencyMs = 30;
        Rig rig(scenario);
        QVERIFY(rig.connectBoard());
        rig.pass.setPassLimit(2);
        QSignalSpy gaveUp(&rig.pass, &ConvergingPass::gaveUp);
        const int first = rig.requests.size();
        rig.run();
        QVERIFY(rig.pass.isInFlight());
        const int queued = rig.dispatcher.queuedCommandCount();
        rig.run();
        rig.run();
        QCOMPARE(rig.dispatcher.queuedCommandCount(), queued);
        QVERIFY(gaveUp.wait(SimRig::kWaitMs));
        QCOMPARE(rig.requestsFrom(first), QList<int>({kSet, kGet, kSet, kGet, kSet, kGet}));
    }

    void noControllerBlockOnlyPolls() {
        Rig rig;
        rig.pass.setAnswerWaitMs(kLostAfterMs);
        rig.board.setSilent(true);
        QVERIFY(rig.dispatcher.firstConnection());
        rig.pass.setPassLimit(3);
        QSignalSpy gaveUp(&rig.pass, &ConvergingPass::gaveUp);
        rig.run();
        QVERIFY(gaveUp.wait(SimRig::kWaitMs));
        QCOMPARE(rig.requests, QList<int>({kGet, kGet, kGet}));
    }

    // A replayed log answers nothing: a procedure run meanwhile queues nothing and is
    // over at once, so nothing waits for ever (the first start's default parameters).
    void replayEndsTheProcedure() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        LogReplayer replayer;
        rig.dispatcher.registerDeviceIoDataProvider(&replayer);
        rig.dispatcher.setDeviceIoDataProvider(replayer.name());
        rig.run();
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
        QVERIFY(!rig.pass.isPending());
        QVERIFY(!rig.pass.isInFlight());
        rig.ops.SaveDefaultParameters();
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
        QCOMPARE(rig.ops.pendingPasses(), 0);
        rig.dispatcher.setDeviceIoDataProvider(rig.provider.name());
    }
};

QTEST_GUILESS_MAIN(tst_ConvergingPass)
#include "tst_ConvergingPass.moc"
