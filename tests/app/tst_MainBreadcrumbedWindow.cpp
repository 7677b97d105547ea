#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "device/ConnectionWatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/Opcodes.h"
#include "protocol/PomelarKind.h"
#include "protocol/SimpleCommand.h"
#include "app/FormSoftReset.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/SoftResetNoticeWindow.h"
#include "resources/AppResources.h"
#include "RecordingPrompt.h"
#include "SimulatedDevice.h"

// The main window against the virtual controller, as a technician meets it: greyed
// until the controller has started, then navigable; greyed and back home when the
// controller is unplugged, usable again when it returns; covered by the "do not touch"
// notice while the controller resets itself.
//
// The cases run in order on one window and one controller (the device link is
// process-wide).
class tst_MainBreadcrumbedWindow : public QObject {
    Q_OBJECT

private:
    static constexpr int kSoftResetMs = 300;
    static constexpr int kFastRescanMs = 20;
    static constexpr int kReconnectTimeoutMs = 10000;

    RecordingPrompt m_prompt;
    std::unique_ptr<SimulatedDevice> m_device;
    std::unique_ptr<MainBreadcrumbedWindow> m_window;

    template <typename T>
    T* child(const char* name) const {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    void click(const char* name) {
        QAbstractButton* button = child<QAbstractButton>(name);
        QVERIFY2(button != nullptr, name);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QString indicatorStyle() const { return child<QLabel>("labelConnectionStatus")->styleSheet(); }

    static FormSoftReset* visibleNotice() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* notice = qobject_cast<FormSoftReset*>(widget);
            if (notice != nullptr && notice->isVisible()) {
                return notice;
            }
        }
        return nullptr;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("OrvelloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_MainBreadcrumbedWindow"));
        QSettings().clear();
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
        SoftResetNoticeWindow::install();
        DeviceEventDispatcher::instance()->registerDeviceKind(new PomelarKind);

        SimScenario scenario;
        scenario.softResetMs = kSoftResetMs;
        m_device = std::make_unique<SimulatedDevice>(scenario);
        QVERIFY(DeviceEventDispatcher::instance()->firstConnection());
    }

    void cleanupTestCase() {
        m_window.reset();
        m_device.reset();
        UserPrompt::install(nullptr);
        QSettings().clear();
    }

    void boardStartEnablesTheWindow() {
        m_window = std::make_unique<MainBreadcrumbedWindow>();
        m_window->show();
        QVERIFY(!m_window->isEnabled());
        QVERIFY(!m_window->isIndicatorOn());
        QCOMPARE(indicatorStyle(),
                 QStringLiteral("QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/"
                                "StatusOff_54-71.png);}"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("tavirel Configuration Software"));
        QVERIFY(!m_window->connectionWatcher()->isRunning());

        QTRY_VERIFY(m_window->isEnabled());
        // The controller's first answer starts the heartbeat that keeps the link honest.
        QVERIFY(m_window->connectionWatcher()->isRunning());
        QVERIFY(m_window->isIndicatorOn());
        QCOMPARE(indicatorStyle(),
                 QStringLiteral("QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/"
                                "StatusOn_45_71.png);}"));
        QCOMPARE(child<QPushButton>("PushButton_Version")->text(),
                 QStringLiteral("Version:2.2.0.1008"));
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Home"));
    }

    void homeButtonsOpenTheirPages() {
        click("buttonOutput");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::OutputPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Output"));
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        click("buttonTroubleshooting");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::TroubleshootPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Troubleshoot"));
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
    }

    void breadcrumbLeadsFromTheDriverPageToTroubleshootingThenHome() {
        QSignalSpy requests(&m_device->controller, &VirtualController::requestReceived);
        click("PushButton_Version");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::DriverPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Info"));
        const QString info = child<QTextEdit>("textEdit")->toPlainText();
        QVERIFY2(info.endsWith(QStringLiteral("Device Information\nVID= 0x25c8   PID= 0x0014")),
                 qPrintable(info));
        // Opening the page asks the controller for its version and copyright (the
        // connection watcher's keep-alive requests may come in between).
        const auto versionRequests = [&requests] {
            QList<int> opcodes;
            for (const QList<QVariant>& request : requests) {
                const int opcode = request.at(0).toInt();
                if (opcode == Opcode::GetVersion || opcode == Opcode::GetCopyright) {
                    opcodes << opcode;
                }
            }
            return opcodes;
        };
        QTRY_VERIFY(versionRequests().contains(Opcode::GetCopyright));
        const QList<int> opcodes = versionRequests();
        const int copyright = opcodes.indexOf(Opcode::GetCopyright);
        QVERIFY(copyright > 0);
        QCOMPARE(opcodes.at(copyright - 1), int(Opcode::GetVersion));

        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::TroubleshootPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Troubleshoot"));
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Home"));
    }

    void softResetIsCoveredByTheNotice() {
        QVERIFY(visibleNotice() == nullptr);
        DeviceEventDispatcher::instance()->queueCommand(CommandFactory::softReset());
        DeviceEventDispatcher::instance()->queueCommand(CommandFactory::getParams());
        QTRY_VERIFY(visibleNotice() != nullptr);
        QVERIFY(visibleNotice()->isPolling());
        // The notice's own polls notice the end of the soft reset.
        QTRY_VERIFY(visibleNotice() == nullptr);
        QVERIFY(m_prompt.questions.isEmpty());
    }

    void unplugGreysTheWindowAndReturnsHome() {
        click("buttonOutput");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::OutputPage));
        m_device->controller.unplug();
        QTRY_VERIFY(!m_window->isEnabled());
        QVERIFY(!m_window->isIndicatorOn());
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QCOMPARE(indicatorStyle(),
                 QStringLiteral("QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/"
                                "StatusOff_54-71.png);}"));
    }

    void replugEnablesTheWindow() {
        m_device->provider.setRescanInterval(kFastRescanMs);
        m_device->controller.replug();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isEnabled(), kReconnectTimeoutMs);
        QVERIFY(m_window->isIndicatorOn());
    }

    void closingStopsAllDeviceTraffic() {
        QVERIFY(!DeviceEventDispatcher::instance()->isCommunicationStopped());
        m_window->close();
        QVERIFY(DeviceEventDispatcher::instance()->isCommunicationStopped());
    }
};

QTEST_MAIN(tst_MainBreadcrumbedWindow)
#include "tst_MainBreadcrumbedWindow.moc"
