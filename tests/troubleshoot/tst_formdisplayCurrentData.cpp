#include <QFrame>
#include <QPointer>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include "troubleshoot/formdisplayCurrentData.h"
#include "tests/support/PageRig.h"

namespace {
// Flag bits of the current-parameters block the host may write, from its layout table.
constexpr int kOutputFlags = 9;
constexpr int kMonitorFlags1 = 10;
constexpr int kMonitorFlags2 = 11;
constexpr int kDiagFlags = 27;

const QString kBlack = QStringLiteral("background-color: rgb(0, 0, 0);");
const QStringList kAllBoxes = {
    "MonTestMode",  "MonDiagA",          "MonDiagB",        "MonScanA",          "MonScanB",
    "MonScanAreaA", "MonScanAreaB",      "MonDynA",         "MonDynB",           "MonEdgeA",
    "MonEdgeB",     "MonPeak",           "EdgeStretch",     "OutputEnabled",     "UseCalib3",
    "CalibSuccess", "CalibErrorBadCond", "SoftResetActive", "ReadProtectActive", "DiagWireA",
    "DiagWireB"};
}  // namespace

class tst_formdisplayCurrentData : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PageRig<formdisplayCurrentData>> m_rig;
    QPointer<formdisplayCurrentData> m_display;

    void start(const SimScenario& scenario = SimRig::quickScenario()) {
        m_rig = std::make_unique<PageRig<formdisplayCurrentData>>(scenario);
        QVERIFY(m_rig->open());
        m_display = m_rig->page;
        m_display->setRefreshInterval(10);
    }

    // The boxes painted black, in display order.
    QStringList blackBoxes() const {
        QStringList names;
        for (const QString& name : kAllBoxes) {
            const QFrame* box = m_display->findChild<QFrame*>(name);
            if (box != nullptr && box->styleSheet() == kBlack) {
                names << name;
            }
        }
        return names;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void cleanup() { m_rig.reset(); }

    void followsTheBitsTheHostWrites_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("mask");
        QTest::addRow("MonTestMode") << "MonTestMode" << kMonitorFlags2 << 0x04;
        QTest::addRow("MonDiagA") << "MonDiagA" << kDiagFlags << 0x80;
        QTest::addRow("MonDiagB") << "MonDiagB" << kDiagFlags << 0x40;
        QTest::addRow("MonScanA") << "MonScanA" << kMonitorFlags1 << 0x08;
        QTest::addRow("MonScanB") << "MonScanB" << kMonitorFlags1 << 0x04;
        QTest::addRow("MonScanAreaA") << "MonScanAreaA" << kMonitorFlags2 << 0x80;
        QTest::addRow("MonScanAreaB") << "MonScanAreaB" << kMonitorFlags2 << 0x40;
        QTest::addRow("MonDynA") << "MonDynA" << kMonitorFlags1 << 0x02;
        QTest::addRow("MonDynB") << "MonDynB" << kMonitorFlags1 << 0x01;
        QTest::addRow("MonEdgeA") << "MonEdgeA" << kMonitorFlags1 << 0x80;
        QTest::addRow("MonEdgeB") << "MonEdgeB" << kMonitorFlags1 << 0x20;
        QTest::addRow("MonPeak") << "MonPeak" << kMonitorFlags2 << 0x10;
        QTest::addRow("EdgeStretch") << "EdgeStretch" << kOutputFlags << 0x20;
        QTest::addRow("OutputEnabled") << "OutputEnabled" << kOutputFlags << 0x01;
        QTest::addRow("UseCalib3") << "UseCalib3" << kOutputFlags << 0x10;
    }
    void followsTheBitsTheHostWrites() {
        QFETCH(QString, box);
        QFETCH(int, offset);
        QFETCH(int, mask);
        start();
        // No flag set to begin with: output off, no monitor, no diagnostics.
        QVERIFY(m_rig->pokeBlock([](QByteArray& block) {
            for (int offset : {kOutputFlags, kMonitorFlags1, kMonitorFlags2, kDiagFlags}) {
                block[offset] = 0;
            }
        }));
        QTRY_COMPARE(blackBoxes(), QStringList());

        QVERIFY(m_rig->pokeFlag(offset, quint8(mask), true));
        QTRY_COMPARE(blackBoxes(), QStringList{box});

        QVERIFY(m_rig->pokeFlag(offset, quint8(mask), false));
        QTRY_COMPARE(blackBoxes(), QStringList());
    }

    void followsTheBitsTheBoardOwns_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("boxes");
        // A fresh board has output enabled; a calibrated one also outputs through its
        // calibration.
        QTest::addRow("calibrated")
            << "calibrated"
            << "true" << QStringList{"OutputEnabled", "UseCalib3", "CalibSuccess"};
        QTest::addRow("read protection")
            << "readProtect"
            << "true" << QStringList{"OutputEnabled", "ReadProtectActive"};
        QTest::addRow("broken wire A") << "brokenWireA"
                                       << "3" << QStringList{"OutputEnabled", "DiagWireA"};
        QTest::addRow("broken wire B") << "brokenWireB"
                                       << "7" << QStringList{"OutputEnabled", "DiagWireB"};
    }
    void followsTheBitsTheBoardOwns() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QStringList, boxes);
        SimScenario scenario = SimRig::quickScenario();
        QVERIFY(scenario.applyOption(key, value));
        start(scenario);
        QTRY_COMPARE(blackBoxes(), boxes);
    }

    void showsTheRestartWhileItLasts() {
        start();
        QTRY_COMPARE(blackBoxes(), QStringList{"OutputEnabled"});
        m_rig->board.setSoftResetMs(150);
        m_rig->dispatcher.queueCommand(CommandFactory::softReset());
        QTRY_VERIFY(m_rig->board.isSoftResetActive());
        QVERIFY(m_rig->refresh());
        QTRY_COMPARE(blackBoxes(), (QStringList{"OutputEnabled", "SoftResetActive"}));
        QTRY_VERIFY(!m_rig->board.isSoftResetActive());
        QVERIFY(m_rig->refresh());
        QTRY_COMPARE(blackBoxes(), QStringList{"OutputEnabled"});
    }

    void escapeAndEnterClose_data() {
        QTest::addColumn<int>("key");
        QTest::addRow("Escape") << int(Qt::Key_Escape);
        QTest::addRow("Return") << int(Qt::Key_Return);
        QTest::addRow("Enter") << int(Qt::Key_Enter);
    }
    void escapeAndEnterClose() {
        QFETCH(int, key);
        start();
        m_display->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_display));
        QTest::keyClick(m_display, Qt::Key_Space);
        QVERIFY(m_display->isVisible());
        QTest::keyClick(m_display, Qt::Key(key));
        QTRY_VERIFY(m_display.isNull());
    }
};

QTEST_MAIN(tst_formdisplayCurrentData)
#include "tst_formdisplayCurrentData.moc"
