#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "app/FormHome.h"
#include "logging/SillyLogger.h"
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

    void cleanupTestCase() {
        SillyLogger::instance()->stop();
        SillyLogger::instance()->setFilter(0);
    }

    void buttonsCarryTheirTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addRow("calibrate") << "buttonCalibrate"
                                   << "Calibrate";
        QTest::addRow("output") << "buttonOutput"
                                << "Output";
        QTest::addRow("wizard") << "buttonWizard"
                                << "Wizard";
        QTest::addRow("troubleshooting") << "buttonTroubleshooting"
                                         << "Troubleshoot";
    }

    void buttonsCarryTheirTexts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        FormHome page;
        QToolButton* tool = button(page, qPrintable(name));
        QVERIFY(tool != nullptr);
        QCOMPARE(tool->text(), text);
        auto* caption = page.findChild<QLabel*>(QStringLiteral("labelTools"));
        QVERIFY(caption != nullptr);
        QCOMPARE(caption->text(), QStringLiteral("Tools"));
    }

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

    void captionUsesTheBundledFontAndLogsIt() {
        SillyLogger* logger = SillyLogger::instance();
        logger->setFilter(SillyLogger::Information);
        const QString logName = QDir::current().filePath(QStringLiteral("home.log"));
        logger->start(logName);
        FormHome page;
        logger->stop();

        auto* caption = page.findChild<QLabel*>(QStringLiteral("labelTools"));
        QVERIFY(caption != nullptr);
        QCOMPARE(caption->font().family(), QStringLiteral("Open Sans"));

        QFile log(logName);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(QStringLiteral("Font Family == Open Sans,Font Pixel = %1")
                                   .arg(caption->font().pixelSize())),
                 qPrintable(text));
    }
};

QTEST_MAIN(tst_FormHome)
#include "tst_FormHome.moc"
