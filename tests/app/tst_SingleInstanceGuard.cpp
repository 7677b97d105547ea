#include <QDir>
#include <QProcess>
#include <QSystemSemaphore>
#include <QtTest>

#include <memory>

#include "device/SingleInstanceGuard.h"

// Only one copy of the tool may run per login; a copy that crashed must not keep the
// next start out.
class tst_SingleInstanceGuard : public QObject {
    Q_OBJECT

private:
    QString m_semaphoreKey;
    QString m_memoryKey;
    int m_round = 0;

    std::unique_ptr<SingleInstanceGuard> newGuard() {
        return std::make_unique<SingleInstanceGuard>(m_semaphoreKey, m_memoryKey);
    }

    // Starts the helper process with the test's keys and waits for its report.
    bool startHolder(QProcess& holder, QByteArray& report) {
        holder.setProgram(QStringLiteral(TAVIREL_INSTANCE_HOLDER));
        holder.setArguments({m_semaphoreKey, m_memoryKey});
        holder.start();
        if (!holder.waitForStarted()) {
            return false;
        }
        while (!holder.canReadLine()) {
            if (!holder.waitForReadyRead()) {
                return false;
            }
        }
        report = holder.readLine().trimmed();
        return true;
    }

    static void killAndReap(QProcess& holder) {
        holder.kill();
        QVERIFY(holder.waitForFinished());
        QCOMPARE(holder.exitStatus(), QProcess::CrashExit);
    }

private slots:
    void initTestCase() {
        // The key files of shared memory live in the temporary folder: keep them in the
        // test's scratch folder, for this process and its helpers.
        QDir scratch(QDir::currentPath());
        QVERIFY(scratch.mkpath(QStringLiteral("tmp")));
        qputenv("TMPDIR", scratch.filePath(QStringLiteral("tmp")).toLocal8Bit());
    }

    void init() {
        // Fresh keys per case, so a failed case cannot spoil the next one.
        ++m_round;
        const QString suffix =
            QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(m_round);
        m_semaphoreKey = QStringLiteral("tavirelGuardTestSem-") + suffix;
        m_memoryKey = QStringLiteral("tavirelGuardTestMem-") + suffix;
    }

    void cleanup() {
        // Leave nothing of a killed helper in the kernel: a throwaway guard frees its
        // orphaned segment, and a semaphore opened in create mode is removed with it.
        SingleInstanceGuard sweep(m_semaphoreKey, m_memoryKey);
        Q_UNUSED(sweep);
        QSystemSemaphore semaphore(m_semaphoreKey, 1, QSystemSemaphore::Create);
    }

    void secondInstanceInSameLoginIsRefused() {
        auto first = newGuard();
        QVERIFY(!first->isAnotherInstanceRunning());
        auto second = newGuard();
        QVERIFY(second->isAnotherInstanceRunning());
        // The refused copy must not take the first one's place when it leaves.
        second.reset();
        auto third = newGuard();
        QVERIFY(third->isAnotherInstanceRunning());
        // After a clean exit the next copy runs.
        first.reset();
        third.reset();
        QVERIFY(!newGuard()->isAnotherInstanceRunning());
    }

    void runningProcessKeepsOthersOut() {
        QProcess holder;
        QByteArray report;
        QVERIFY(startHolder(holder, report));
        QCOMPARE(report, QByteArray("holding"));

        // Releasing orphaned segments must not free the live holder's segment.
        auto guard = newGuard();
        QVERIFY(guard->isAnotherInstanceRunning());
        guard.reset();
        auto secondTry = newGuard();
        QVERIFY(secondTry->isAnotherInstanceRunning());

        killAndReap(holder);
    }

    void killedProcessDoesNotKeepOthersOut() {
        QProcess holder;
        QByteArray report;
        QVERIFY(startHolder(holder, report));
        QCOMPARE(report, QByteArray("holding"));
        killAndReap(holder);

        // The killed holder's segment outlives it, attached by nobody.
        auto guard = newGuard();
        QVERIFY(!guard->isAnotherInstanceRunning());

        // And the new instance keeps a later process out as usual.
        QProcess later;
        QVERIFY(startHolder(later, report));
        QCOMPARE(report, QByteArray("refused"));
        killAndReap(later);
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstanceGuard)
#include "tst_SingleInstanceGuard.moc"
