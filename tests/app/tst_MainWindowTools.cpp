#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "output/FormOutput.h"
#include "troubleshoot/FormTroubleshoot.h"
#include "troubleshoot/formdisplayCurrentData.h"
#include "app/MainBreadcrumbedWindow.h"
#include "resources/AppResources.h"
#include "RecordingPrompt.h"
#include "SimulatedDevice.h"

// The output and troubleshooting pages and the flag window as the main window offers
// them, against the virtual controller. The cases run in order on one window (the device
// link is process-wide).
class tst_MainWindowTools : public QObject {
    Q_OBJECT

private:
    // Current-parameters block: byte 8 output encoding, byte 9 bit 0x01 output enabled.
    static constexpr int kEncoding = 8;
    static constexpr int kOutputFlags = 9;
    static constexpr quint8 kEnabledBit = 0x01;

    RecordingPrompt m_prompt;
    std::unique_ptr<SimulatedDevice> m_device;
    std::unique_ptr<MainBreadcrumbedWindow> m_window;
    QList<int> m_requests;

    template <typename T>
    T* child(const char* name) const {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    void click(const char* name) {
        auto* button = child<QAbstractButton>(name);
        QVERIFY2(button != nullptr, name);
        QVERIFY2(button->isEnabled(), name);
        button->click();
    }

    quint8 boardByte(int offset) const {
        const QByteArray block = m_device->controller.parameterBlock();
        return offset < block.size() ? quint8(block.at(offset)) : 0;
    }

    static QList<formdisplayCurrentData*> flagWindows() {
        QList<formdisplayCurrentData*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<formdisplayCurrentData*>(widget)) {
                windows << window;
            }
        }
        return windows;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("OrvelloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_MainWindowTools"));
        QSettings().clear();
        // Not a first run: the window leaves the board's parameters as they are.
        QSettings().setValue(QStringLiteral("FilterValue/FirstConfiguration"), true);
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
        DeviceEventDispatcher::instance()->registerDeviceKind(new PomelarKind);
        SimScenario scenario;
        scenario.latencyMs = 1;
        m_device = std::make_unique<SimulatedDevice>(scenario);
        connect(&m_device->controller, &VirtualController::requestReceived, this,
                [this](int opcode) { m_requests << opcode; });
        QVERIFY(DeviceEventDispatcher::instance()->firstConnection());
        m_window = std::make_unique<MainBreadcrumbedWindow>();
        QSignalSpy firmwareChecked(m_window.get(), &MainBreadcrumbedWindow::finishedVersionQuery);
        m_window->show();
        // The board start ends with the firmware check; its parameter writes are over then.
        QVERIFY(firmwareChecked.wait(10000));
        QTRY_VERIFY(m_window->isEnabled());
        QTRY_COMPARE(SetOperations::instance()->pendingPasses(), 0);
    }

    void cleanupTestCase() {
        m_window.reset();
        m_device.reset();
        UserPrompt::install(nullptr);
        QSettings().clear();
    }

    void outputPageShowsTheModeButtonsWithTheControllersMode() {
        click("buttonOutput");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::OutputPage));
        auto* output = child<FormOutput>("FormOutput");
        QVERIFY(output != nullptr);
        QVERIFY(output->isVisible());
        QCOMPARE(output->stackIndex(), int(FormOutput::ModeButtonsPage));
        // A fresh board reports two touch with output enabled.
        QCOMPARE(int(boardByte(kEncoding)), 3);
        QVERIFY(child<QPushButton>("buttonDoubleTouch")->isChecked());
        QVERIFY(!child<QPushButton>("buttonMouseMode")->isChecked());
    }

    void outputPageChangesTheController() {
        click("buttonMouseMode");
        QTRY_COMPARE(int(boardByte(kEncoding)), 1);
        QVERIFY(boardByte(kOutputFlags) & kEnabledBit);
        QTRY_VERIFY(child<QPushButton>("buttonMouseMode")->isChecked());
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
    }

    void factoryResetIsAskedThroughTheToolsPrompt() {
        click("buttonTroubleshooting");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::TroubleshootPage));
        m_prompt.questions.clear();
        m_prompt.button = QMessageBox::Cancel;
        // Earlier writes are over once no pass is armed and nothing waits to be sent.
        QTRY_VERIFY(SetOperations::instance()->pendingPasses() == 0 &&
                    DeviceEventDispatcher::instance()->queuedCommandCount() == 0);
        m_requests.clear();
        click("buttonFactoryReset");
        QCOMPARE(m_prompt.questions.size(), 1);
        QCOMPARE(m_prompt.questions.first().title, QStringLiteral("Factory Reset"));
        QCOMPARE(m_prompt.questions.first().informativeText,
                 QStringLiteral("Do you want to proceed further?"));
        QVERIFY(m_prompt.questions.first().buttons & QMessageBox::Cancel);
        // Nothing of a reset reaches the board ahead of a later request: no set-parameters
        // (4), no load-defaults (8).
        DeviceEventDispatcher::instance()->queueCommand(CommandFactory::getParams());
        QTRY_VERIFY(m_requests.contains(5));
        QVERIFY(!m_requests.contains(4));
        QVERIFY(!m_requests.contains(8));
        QCOMPARE(int(boardByte(kEncoding)), 1);
        // "Info" leads on to the driver page.
        click("buttonDriver");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::DriverPage));
    }

    void ctrlAltQOpensTheFlagWindow() {
        QVERIFY(flagWindows().isEmpty());
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        QTRY_COMPARE(flagWindows().size(), 1);
        QPointer<formdisplayCurrentData> window = flagWindows().first();
        QVERIFY(window->isWindow());
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("DisplayCurrentData"));
        QCOMPARE(window->findChild<QFrame*>(QStringLiteral("OutputEnabled"))->styleSheet(),
                 QStringLiteral("background-color: rgb(0, 0, 0);"));
        QTest::keyClick(window.data(), Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(tst_MainWindowTools)
#include "tst_MainWindowTools.moc"
