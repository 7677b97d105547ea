#include <QTextEdit>
#include <QtTest>

#include "protocol/FirmwareInformation.h"
#include "app/FormDriver.h"
#include "resources/AppResources.h"

// The "Info" page: what a technician reads off to identify firmware, software, toolkit
// and device. Expected texts are written out line by line.
class tst_FormDriver : public QObject {
    Q_OBJECT

private:
    static QString runTimeVersion() { return QString::fromLatin1(qVersion()); }

private slots:
    void initTestCase() { AppResources::initialize(); }
    void init() { FirmwareInformation::instance().clear(); }
    void cleanupTestCase() { FirmwareInformation::instance().clear(); }

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
        QTest::addRow("no device")
            << 2440 << "2440" << quint32(0) << quint32(0) << "VID= 0x0000   PID= 0x0000";
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
        firmware.setFirmwareMinimumVersion(15112017);
        firmware.setSplitType(splitType);
        firmware.setDefinedVersionString(QStringLiteral("1.0.0.565.112"));

        const QStringList expected{
            QStringLiteral(
                "tavirel Configuration Software. Copyright (C) Orvello. All rights reserved."),
            QString(),
            QStringLiteral("Firmware information "),
            QStringLiteral("Firmware Current version = 615 "),
            QStringLiteral("Firmware Original version = 5a1 "),
            QStringLiteral("Firmware minimum version = 15112017 "),
            QStringLiteral("Firmware Split Version = ") + splitText + QLatin1Char(' '),
            QString(),
            QStringLiteral("UI Information"),
            QStringLiteral("UI Current version = 2.2.0.1008 "),
            QStringLiteral("UI minimum requirement = 1.0.0.565.112 "),
            QString(),
            QStringLiteral("Build information "),
            QStringLiteral("Compile time version  = ") + QStringLiteral(QT_VERSION_STR) +
                QLatin1Char(' '),
            QStringLiteral("Run time version  = ") + runTimeVersion() + QLatin1Char(' '),
            QString(),
            QStringLiteral("Device Information"),
            deviceLine,
        };
        QCOMPARE(FormDriver::informationLines(firmware, vendorId, productId), expected);
    }

    void refreshShowsTheCurrentFacts() {
        FormDriver page;
        QCOMPARE(page.windowTitle(), QStringLiteral("Info"));
        QVERIFY(page.findChild<QTextEdit*>()->isReadOnly());
        FirmwareInformation::instance().setCurrentFirmwareVersion(QStringLiteral("620"));
        FirmwareInformation::instance().setSplitType(2440);
        page.refresh();
        QStringList lines = page.text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 18);
        QCOMPARE(lines.at(3), QStringLiteral("Firmware Current version = 620 "));
        QCOMPARE(lines.at(6), QStringLiteral("Firmware Split Version = 2440 "));

        // A second refresh replaces the text instead of appending to it.
        FirmwareInformation::instance().setCurrentFirmwareVersion(QStringLiteral("621"));
        page.refresh();
        lines = page.text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 18);
        QCOMPARE(lines.at(3), QStringLiteral("Firmware Current version = 621 "));
    }
};

QTEST_MAIN(tst_FormDriver)
#include "tst_FormDriver.moc"
