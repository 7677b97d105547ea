#include <QToolButton>
#include <QtTest>

#include "protocol/FirmwareInformation.h"
#include "app/FormDriver.h"
#include "app/FormHome.h"
#include "resources/AppResources.h"

// The home page, whose four tools each announce their choice, and the "Info" page: what
// a technician reads off to identify firmware, software, toolkit and device.
class tst_FormPages : public QObject {
    Q_OBJECT

private:
    static QToolButton* homeButton(FormHome& page, const char* name) {
        return page.findChild<QToolButton*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { AppResources::initialize(); }
    void init() { FirmwareInformation::instance().clear(); }
    void cleanupTestCase() { FirmwareInformation::instance().clear(); }

    // The facts a technician reads off to identify firmware and device: an undetected
    // split type shows as 4040, the device's ids as four hex digits.
    void linesListEveryFact_data() {
        QTest::addColumn<int>("splitType");
        QTest::addColumn<QString>("splitText");
        QTest::addColumn<quint32>("vendorId");
        QTest::addColumn<quint32>("productId");
        QTest::addColumn<QString>("deviceLine");
        QTest::addRow("detected 4024 sensor")
            << 4024 << "4024" << quint32(0x25C8) << quint32(0x0014) << "VID= 0x25c8   PID= 0x0014";
        QTest::addRow("undetected split shows 4040")
            << 0 << "4040" << quint32(0x14C8) << quint32(0x0005) << "VID= 0x14c8   PID= 0x0005";
    }
    void linesListEveryFact() {
        QFETCH(int, splitType);
        QFETCH(QString, splitText);
        QFETCH(quint32, vendorId);
        QFETCH(quint32, productId);
        QFETCH(QString, deviceLine);
        FirmwareInformation& firmware = FirmwareInformation::instance();
        firmware.setCurrentFirmwareVersion(QStringLiteral("615"));
        firmware.setOriginalFirmwareVersion(QStringLiteral("5a1"));
        firmware.setSplitType(splitType);
        const QStringList lines = FormDriver::informationLines(firmware, vendorId, productId);
        const QString text = lines.join(QLatin1Char('\n'));
        QVERIFY2(text.contains(QStringLiteral("Current version = 615 ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Original version = 5a1 ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Split Version = ") + splitText), qPrintable(text));
        QVERIFY2(text.contains(QString::fromLatin1(qVersion())), qPrintable(text));
        QCOMPARE(lines.last(), deviceLine);
    }

    // A second refresh replaces the text instead of appending to it.
    void refreshShowsTheCurrentFacts() {
        FormDriver page;
        FirmwareInformation::instance().setCurrentFirmwareVersion(QStringLiteral("620"));
        page.refresh();
        const int lines = page.text().count(QLatin1Char('\n'));
        QVERIFY(page.text().contains(QStringLiteral("Current version = 620 ")));
        FirmwareInformation::instance().setCurrentFirmwareVersion(QStringLiteral("621"));
        page.refresh();
        QCOMPARE(page.text().count(QLatin1Char('\n')), lines);
        QVERIFY(page.text().contains(QStringLiteral("Current version = 621 ")));
    }

    void eachButtonEmitsOnlyItsSignal() {
        FormHome page;
        page.show();
        QSignalSpy calibrate(&page, &FormHome::buttonCalibrate_pressed);
        QSignalSpy output(&page, &FormHome::buttonOutput_pressed);
        QSignalSpy troubleshooting(&page, &FormHome::buttonTroubleshooting_pressed);
        QSignalSpy wizard(&page, &FormHome::signalOpenWizard);
        QTest::mouseClick(homeButton(page, "buttonCalibrate"), Qt::LeftButton);
        QCOMPARE(calibrate.count(), 1);
        QCOMPARE(calibrate.at(0).at(0).toBool(), true);
        QTest::mouseClick(homeButton(page, "buttonOutput"), Qt::LeftButton);
        QTest::mouseClick(homeButton(page, "buttonTroubleshooting"), Qt::LeftButton);
        QTest::mouseClick(homeButton(page, "buttonTroubleshooting"), Qt::LeftButton);
        QTest::mouseClick(homeButton(page, "buttonWizard"), Qt::LeftButton);

        QCOMPARE(calibrate.count(), 1);
        QCOMPARE(output.count(), 1);
        QCOMPARE(troubleshooting.count(), 2);
        QCOMPARE(wizard.count(), 1);
    }
};

QTEST_MAIN(tst_FormPages)
#include "tst_FormPages.moc"
