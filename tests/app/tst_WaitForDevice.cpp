#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "logging/SillyLogger.h"
#include "protocol/PomelarKind.h"
#include "app/DeviceWaitLoop.h"
#include "app/FormWaitForDevice.h"
#include "resources/AppResources.h"
#include "SimulatedDevice.h"

// The start-up wait against the virtual controller: it ends when the controller answers,
// accepts a controller of the second vendor with a warning, and ends on Cancel, Escape
// or closing the dialog when no controller is there; the loop keeps trying meanwhile.
class tst_WaitForDevice : public QObject {
    Q_OBJECT

private:
    static constexpr int kShortIntervalMs = 2;

    static FormWaitForDevice* shownWaitDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<FormWaitForDevice*>(widget);
            if (dialog != nullptr && dialog->isVisible()) {
                return dialog;
            }
        }
        return nullptr;
    }

    static QString logText(const QString& path) {
        SillyLogger::instance()->stop();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase() {
        AppResources::initialize();
        DeviceEventDispatcher::instance()->registerDeviceKind(new PomelarKind);
    }

    void cleanup() {
        SillyLogger::instance()->stop();
        SillyLogger::instance()->setFilter(0);
    }

    // The wait ends when the controller answers; one of the second vendor is used, with a
    // warning in the log.
    void waitEndsWhenTheControllerAnswers_data() {
        QTest::addColumn<quint32>("vendorId");
        QTest::addColumn<bool>("ours");
        QTest::addRow("our vendor") << quint32(0x25C8) << true;
        QTest::addRow("second vendor") << quint32(0x102E) << false;
    }
    void waitEndsWhenTheControllerAnswers() {
        QFETCH(quint32, vendorId);
        QFETCH(bool, ours);
        SimScenario scenario;
        scenario.vendorId = quint16(vendorId);
        SimulatedDevice device(scenario);
        const QString log = QDir::current().filePath(QStringLiteral("vendor.log"));
        SillyLogger::instance()->setFilter(SillyLogger::Warning);
        SillyLogger::instance()->start(log);

        QVERIFY(FormWaitForDevice::waitForDevice(kShortIntervalMs));
        QVERIFY(device.provider.info() != nullptr);
        QCOMPARE(device.provider.info()->vendorId, vendorId);
        QCOMPARE(DeviceEventDispatcher::instance()->isOrvelloVid(), ours);
        QVERIFY(shownWaitDialog() == nullptr);
        // The warning is written as the entry point's own log line.
        const QString text = logText(log);
        QCOMPARE(text.startsWith(QStringLiteral("[W]{")), !ours);
        QCOMPARE(text.contains(QStringLiteral("} In Function int __cdecl main(int,char *[]): "
                                              "Using a different VID of the one expected.")),
                 !ours);
    }

    // Cancel, Escape and closing the dialog all end the wait (the dialog has no close
    // button, but a window manager can still close it).
    void cancelEndsTheWaitWithoutAController_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << QStringLiteral("cancel");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("closed") << QStringLiteral("close");
    }
    void cancelEndsTheWaitWithoutAController() {
        QFETCH(QString, how);
        SimulatedDevice device;
        device.controller.unplug();
        // Ends the wait once the dialog is up and the wait has begun.
        QTimer presser;
        presser.setInterval(10);
        connect(&presser, &QTimer::timeout, [&] {
            FormWaitForDevice* dialog = shownWaitDialog();
            if (dialog == nullptr) {
                return;
            }
            presser.stop();
            if (how == QLatin1String("cancel")) {
                auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            } else if (how == QLatin1String("escape")) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                dialog->close();
            }
        });
        presser.start();
        // Should the wait go on, the controller returns and the wait fails this case
        // instead of hanging.
        QTimer::singleShot(5000, &device.controller, &VirtualController::replug);
        QVERIFY(!FormWaitForDevice::waitForDevice(kShortIntervalMs));
        QVERIFY(shownWaitDialog() == nullptr);
    }

    void loopTriesUntilTheControllerAnswers_data() {
        QTest::addColumn<int>("failuresBeforeSuccess");
        QTest::addRow("answers at once") << 0;
        QTest::addRow("answers on the fourth attempt") << 3;
    }
    void loopTriesUntilTheControllerAnswers() {
        QFETCH(int, failuresBeforeSuccess);
        int calls = 0;
        DeviceWaitLoop loop(
            [&calls, failuresBeforeSuccess] { return calls++ >= failuresBeforeSuccess; },
            kShortIntervalMs);
        QVERIFY(loop.run());
        QCOMPARE(loop.attempts(), failuresBeforeSuccess + 1);
        QVERIFY(!loop.isCancelled());
    }
};

QTEST_MAIN(tst_WaitForDevice)
#include "tst_WaitForDevice.moc"
