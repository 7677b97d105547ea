#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "app/FormHome.h"
#include "resources/AppResources.h"

// The home page: four tools under "Tools", each announcing its choice.
class tst_FormHome : public QObject {
    Q_OBJECT

private:
    static QToolButton* button(FormHome& page, const char* name) {
        return page.findChild<QToolButton*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { AppResources::initialize(); }

    void eachButtonEmitsOnlyItsSignal() {
        FormHome page;
        page.show();
        QSignalSpy calibrate(&page, &FormHome::buttonCalibrate_pressed);
        QSignalSpy output(&page, &FormHome::buttonOutput_pressed);
        QSignalSpy troubleshooting(&page, &FormHome::buttonTroubleshooting_pressed);
        QSignalSpy wizard(&page, &FormHome::signalOpenWizard);
        QTest::mouseClick(button(page, "buttonCalibrate"), Qt::LeftButton);
        QCOMPARE(calibrate.count(), 1);
        QCOMPARE(calibrate.at(0).at(0).toBool(), true);
        QTest::mouseClick(button(page, "buttonOutput"), Qt::LeftButton);
        QTest::mouseClick(button(page, "buttonTroubleshooting"), Qt::LeftButton);
        QTest::mouseClick(button(page, "buttonTroubleshooting"), Qt::LeftButton);
        QTest::mouseClick(button(page, "buttonWizard"), Qt::LeftButton);

        QCOMPARE(calibrate.count(), 1);
        QCOMPARE(output.count(), 1);
        QCOMPARE(troubleshooting.count(), 2);
        QCOMPARE(wizard.count(), 1);
    }
};

QTEST_MAIN(tst_FormHome)
#include "tst_FormHome.moc"
