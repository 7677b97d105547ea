#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <map>
#include <memory>

#include "troubleshoot/FormTroubleshoot.h"
#include "tests/support/PageRig.h"

namespace {
// Current-parameters block: byte 5 touch threshold, byte 10 monitor flags with the two
// dynamic-monitor bits 0x02 (A) and 0x01 (B) that mark a factory reset in progress.
constexpr int kTouchThreshold = 5;
constexpr int kMonitorFlags = 10;
constexpr quint8 kDynBits = 0x03;
// A fresh board's touch threshold (0x19).
constexpr int kFactoryTouchThreshold = 25;

constexpr int kSoftReset = 1;
constexpr int kGetParameters = 5;
constexpr int kLoadDefaults = 8;
}  // namespace

class tst_FormTroubleshoot : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PageRig<FormTroubleshoot>> m_rig;
    FormTroubleshoot* m_form = nullptr;

    void start() {
        m_rig = std::make_unique<PageRig<FormTroubleshoot>>();
        QVERIFY(m_rig->open());
        m_form = m_rig->page;
    }

    QPushButton* button(const char* name) const { return m_rig->child<QPushButton>(name); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_rig.reset(); }

    void buttonsLeadWhereTheySay_data() {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("signal");
        QTest::addRow("Info") << "buttonDriver"
                              << "buttonDriver_pressed";
        QTest::addRow("Graph") << "buttonGraph"
                               << "signalGraph";
        QTest::addRow("Touch Test") << "buttonTouchTest"
                                    << "signal_InvokeTouchTest";
        QTest::addRow("Firmware Update") << "buttonFirmwareUpdate"
                                         << "signalUpdateWizard";
    }
    void buttonsLeadWhereTheySay() {
        QFETCH(QString, buttonName);
        QFETCH(QString, signal);
        start();
        FormTroubleshoot* form = m_form;
        std::map<QString, std::unique_ptr<QSignalSpy>> spies;
        auto spy = [&spies, form](const char* name, auto signal) {
            spies[QString::fromLatin1(name)] = std::make_unique<QSignalSpy>(form, signal);
        };
        spy("signalGraph", &FormTroubleshoot::signalGraph);
        spy("signalReplayer", &FormTroubleshoot::signalReplayer);
        spy("signalOpenWizard", &FormTroubleshoot::signalOpenWizard);
        spy("signalUpdateWizard", &FormTroubleshoot::signalUpdateWizard);
        spy("buttonDriver_pressed", &FormTroubleshoot::buttonDriver_pressed);
        spy("signal_FactoryReset", &FormTroubleshoot::signal_FactoryReset);
        spy("signal_InvokeTouchTest", &FormTroubleshoot::signal_InvokeTouchTest);
        QVERIFY(spies.count(signal) == 1);

        QPushButton* clicked = button(qPrintable(buttonName));
        QVERIFY(clicked != nullptr);
        clicked->click();

        for (const auto& entry : spies) {
            QCOMPARE(entry.second->count(), entry.first == signal ? 1 : 0);
        }
        if (signal == QLatin1String("signalUpdateWizard")) {
            QCOMPARE(spies[signal]->first().first().toString(), QString());
        }
        // None of these talks to the board.
        QCOMPARE(m_rig->dispatcher.queuedCommandCount(), 0);
    }

    void restartBoardSendsTheSoftReset() {
        start();
        m_rig->board.setSoftResetMs(100);
        m_rig->requests.clear();
        button("buttonSoftReset")->click();
        QTRY_VERIFY(m_rig->board.isSoftResetActive());
        QCOMPARE(m_rig->requests, QList<int>{kSoftReset});
    }

    void factoryResetAsksFirst_data() {
        QTest::addColumn<bool>("confirm");
        QTest::addRow("cancelled") << false;
        QTest::addRow("confirmed") << true;
    }
    void factoryResetAsksFirst() {
        QFETCH(bool, confirm);
        start();
        QVERIFY(m_rig->pokeByte(kTouchThreshold, 40));
        QList<FormTroubleshoot::Question> asked;
        m_form->setConfirmation(
            [&asked, confirm](QWidget*, const FormTroubleshoot::Question& question) {
                asked << question;
                return confirm;
            });
        QSignalSpy announced(m_form, &FormTroubleshoot::signal_FactoryReset);
        QSignalSpy finished(&m_rig->ops, &SetOperations::signal_finishedFactoryReset);
        m_rig->requests.clear();

        button("buttonFactoryReset")->click();

        QCOMPARE(asked.size(), 1);
        QCOMPARE(announced.count(), confirm ? 1 : 0);
        if (!confirm) {
            // A request behind anything the click queued: only it reaches the board.
            QVERIFY(m_rig->refresh());
            QCOMPARE(m_rig->requests, QList<int>{kGetParameters});
            QCOMPARE(int(m_rig->boardByte(kTouchThreshold)), 40);
            QCOMPARE(finished.count(), 0);
            return;
        }
        QVERIFY(finished.wait(SimRig::kWaitMs));
        QCOMPARE(int(m_rig->boardByte(kTouchThreshold)), kFactoryTouchThreshold);
        QCOMPARE(m_rig->boardByte(kMonitorFlags) & kDynBits, 0);
        QVERIFY(m_rig->requests.contains(kLoadDefaults));
    }
};

QTEST_MAIN(tst_FormTroubleshoot)
#include "tst_FormTroubleshoot.moc"
