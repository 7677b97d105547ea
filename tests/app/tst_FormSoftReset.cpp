#include <QApplication>
#include <QPointer>
#include <QtTest>

#include "app/FormSoftReset.h"
#include "app/SoftResetNoticeWindow.h"
#include "resources/AppResources.h"
#include "RecordingPrompt.h"

// The "Please do not touch" notice: it gives up with one fault message after 2000 polls
// and can be dismissed with Ctrl+Alt+N. The ticks are driven by hand; no test waits
// 100 s.
class tst_FormSoftReset : public QObject {
    Q_OBJECT

private:
    RecordingPrompt m_prompt;

    // A shown notice whose polls are counted instead of sent.
    static FormSoftReset* shownNotice(int* polls) {
        auto* notice = new FormSoftReset;
        notice->setPollAction([polls] { ++*polls; });
        notice->show();
        return notice;
    }

    static void tick(FormSoftReset* notice, int times) {
        for (int i = 0; i < times; ++i) {
            notice->bringFront();
        }
    }

    static void pressCtrlAltN(QWidget* window) {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    }

private slots:
    void initTestCase() {
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
    }
    void init() { m_prompt.questions.clear(); }
    void cleanupTestCase() { UserPrompt::install(nullptr); }

    void faultIsReportedOnceAfter2000Polls() {
        int polls = 0;
        FormSoftReset* notice = shownNotice(&polls);
        tick(notice, 1999);
        QCOMPARE(polls, 1999);
        QCOMPARE(notice->pollCount(), 1999);
        QVERIFY(notice->isVisible());
        QVERIFY(m_prompt.questions.isEmpty());

        tick(notice, 1);
        QCOMPARE(polls, 2000);
        QCOMPARE(m_prompt.questions.size(), 1);
        QVERIFY(!notice->isVisible());
        QVERIFY(!notice->isPolling());

        // Stray ticks after the fault neither poll nor ask again.
        tick(notice, 50);
        QCOMPARE(polls, 2000);
        QCOMPARE(m_prompt.questions.size(), 1);
        delete notice;
    }

    void softResetEndingInTimeNeverReportsAFault() {
        int polls = 0;
        FormSoftReset* notice = shownNotice(&polls);
        tick(notice, 1500);
        notice->hide();
        QVERIFY(!notice->isPolling());
        QCOMPARE(notice->pollCount(), 0);
        tick(notice, 1000);
        QCOMPARE(polls, 1500);
        QVERIFY(m_prompt.questions.isEmpty());

        // The next soft reset counts afresh: another 1999 polls are still no fault.
        notice->show();
        QCOMPARE(notice->pollCount(), 0);
        tick(notice, 1999);
        QVERIFY(m_prompt.questions.isEmpty());
        tick(notice, 1);
        QCOMPARE(m_prompt.questions.size(), 1);
        delete notice;
    }

    // Ctrl+Alt+N closes and deletes the notice without a fault message; the next soft
    // reset is announced by a new one.
    void noticeComesBackAfterCtrlAltN() {
        SoftResetNoticeWindow notice;
        notice.window()->setPollAction([] {});
        notice.showNotice();
        QPointer<FormSoftReset> first = notice.window();
        pressCtrlAltN(first);
        QTRY_VERIFY(first.isNull());
        QVERIFY(m_prompt.questions.isEmpty());
        QVERIFY(!notice.isNoticeShown());
        QCOMPARE(notice.pollCount(), 0);
        notice.hideNotice();

        // The next soft reset is announced by a new window.
        notice.showNotice();
        QVERIFY(notice.window() != nullptr);
        QVERIFY(notice.isNoticeShown());
        notice.window()->setPollAction([] {});
    }
};

QTEST_MAIN(tst_FormSoftReset)
#include "tst_FormSoftReset.moc"
