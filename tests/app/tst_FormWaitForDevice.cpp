#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/DeviceWaitLoop.h"
#include "app/FormWaitForDevice.h"
#include "resources/AppResources.h"

// The start-up wait: the dialog the technician sees while no controller answers, and
// the loop that keeps trying until a controller answers or Cancel is pressed.
class tst_FormWaitForDevice : public QObject {
    Q_OBJECT

private:
    static constexpr int kShortIntervalMs = 2;

    static QPushButton* cancelButton(FormWaitForDevice& dialog) {
        auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        return box != nullptr ? box->button(QDialogButtonBox::Cancel) : nullptr;
    }

private slots:
    void initTestCase() { AppResources::initialize(); }

    void dialogShowsTheWaitingText() {
        FormWaitForDevice dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Orvello"));
        auto* label = dialog.findChild<QLabel*>();
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(),
                 QStringLiteral("<html><head/><body><p>Waiting  for a response from the device, "
                                "</p><p>if it is not connected, please, connect it.</p></body>"
                                "</html>"));
        auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(box != nullptr);
        QCOMPARE(box->standardButtons(),
                 QDialogButtonBox::StandardButtons(QDialogButtonBox::Cancel));
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

QTEST_MAIN(tst_FormWaitForDevice)
#include "tst_FormWaitForDevice.moc"
