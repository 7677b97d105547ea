#include <QProgressBar>
#include <QSlider>
#include <QWizard>
#include <QtTest>

#include <memory>

#include "calibration/CalibrationWizardProxy.h"
#include "calibration/FormCalibration.h"
#include "tests/support/TestSettings.h"

namespace {
constexpr int kSide = 1000;

NormalVariable samples(double value) {
    NormalVariable variable;
    variable.add(value);
    return variable;
}

// A window without a device link, 1000 x 1000 at the desktop's origin.
std::unique_ptr<FormCalibration> makeWindow() {
    auto window = std::make_unique<FormCalibration>(nullptr, nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    window->setGeometry(0, 0, kSide, kSide);
    return window;
}
}  // namespace

class tst_FormCalibration : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useTestSettings(); }
    void cleanup() {
        FormCalibration::setDesktopSource({});
        QSettings().clear();
    }

    // Every edit keeps the area inside the window and at least 90 pixels on a side.
    void areaRules_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("modified");
        QTest::addRow("untouched") << "" << QRect(QPoint(0, 0), QPoint(999, 999)) << false;
        QTest::addRow("right edge onto the left")
            << "right 50" << QRect(QPoint(0, 0), QPoint(89, 999)) << true;
        QTest::addRow("left edge past width - 90")
            << "left 980" << QRect(QPoint(910, 0), QPoint(999, 999)) << true;
        QTest::addRow("left edge below 0")
            << "left -20" << QRect(QPoint(0, 0), QPoint(999, 999)) << false;
        QTest::addRow("EastRight at the edge")
            << "eastRight" << QRect(QPoint(0, 0), QPoint(999, 999)) << false;
        QTest::addRow("SouthDown at the edge")
            << "southDown" << QRect(QPoint(0, 0), QPoint(999, 999)) << false;
        QTest::addRow("top past the bottom")
            << "top 2000" << QRect(QPoint(0, 910), QPoint(999, 999)) << true;
        QTest::addRow("East slider dragged onto the left")
            << "eastSlider 50" << QRect(QPoint(0, 0), QPoint(89, 999)) << true;
        QTest::addRow("WestRight") << "westRight" << QRect(QPoint(1, 0), QPoint(999, 999)) << true;
        QTest::addRow("NorthDown then NorthUp")
            << "northDownUp" << QRect(QPoint(0, 0), QPoint(999, 999)) << false;
    }
    void areaRules() {
        QFETCH(QString, edit);
        QFETCH(QRect, area);
        QFETCH(bool, modified);
        auto window = makeWindow();
        const QStringList parts = edit.split(QLatin1Char(' '));
        const int value = parts.size() > 1 ? parts.at(1).toInt() : 0;
        if (parts.first() == QLatin1String("right")) {
            window->setRightBorder(value);
        } else if (parts.first() == QLatin1String("left")) {
            window->setLeftBorder(value);
        } else if (parts.first() == QLatin1String("top")) {
            window->setUpperBorder(value);
        } else if (parts.first() == QLatin1String("eastSlider")) {
            window->findChild<QSlider*>(QStringLiteral("sliderEast"))->setValue(value);
        } else if (parts.first() == QLatin1String("eastRight")) {
            window->on_buttonEastRight_clicked();
        } else if (parts.first() == QLatin1String("southDown")) {
            window->on_buttonSouthDown_clicked();
        } else if (parts.first() == QLatin1String("westRight")) {
            window->on_buttonWestRight_clicked();
        } else if (parts.first() == QLatin1String("northDownUp")) {
            window->on_buttonNorthDown_clicked();
            window->on_buttonNorthUp_clicked();
        }
        QCOMPARE(window->calibrationArea(), area);
        QCOMPARE(window->isAreaModified(), modified);
        // The sliders show the area's edges.
        QCOMPARE(window->findChild<QSlider*>(QStringLiteral("sliderWest"))->value(), area.left());
        QCOMPARE(window->findChild<QSlider*>(QStringLiteral("sliderEast"))->value(), area.right());
        QCOMPARE(window->findChild<QSlider*>(QStringLiteral("sliderSouth"))->value(),
                 area.bottom());
    }

    // Slider values stored by a run on a larger screen never push the area off this one;
    // setting the sliders from them is not an edit.
    void storedSlidersFromALargerScreen() {
        QSettings settings;
        settings.setValue(QStringLiteral("Calibration/SliderModified"), true);
        settings.setValue(QStringLiteral("Calibration/SliderWestValue"), 1500);
        settings.setValue(QStringLiteral("Calibration/SliderEastValue"), 1900);
        settings.setValue(QStringLiteral("Calibration/SliderNorthValue"), 10);
        settings.setValue(QStringLiteral("Calibration/SliderSouthValue"), 1800);
        auto window = makeWindow();
        QSignalSpy edits(window.get(), &FormCalibration::signalSliderMod);
        window->resetGeometry();
        QCOMPARE(window->calibrationArea(), QRect(QPoint(910, 10), QPoint(999, 999)));
        QVERIFY(window->isAreaModified());
        QVERIFY(!edits.contains(QList<QVariant>{true}));
    }

    // Screen positions are taken from the desktop's top-left and kept in 0..4096.
    void screenPositions_data() {
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<int>("leftX");
        QTest::addColumn<int>("rightX");
        QTest::addRow("desktop at the window") << QRect(0, 0, 1000, 1000) << 409 << 3682;
        QTest::addRow("screen left of the primary") << QRect(-1000, 0, 2000, 1000) << 2252 << 3889;
        QTest::addRow("desktop smaller than the window") << QRect(0, 0, 500, 1000) << 819 << 4096;
    }
    void screenPositions() {
        QFETCH(QRect, desktop);
        QFETCH(int, leftX);
        QFETCH(int, rightX);
        FormCalibration::setDesktopSource([desktop] { return desktop; });
        auto window = makeWindow();
        window->startCalibrationProcess(true);
        window->slotCompleted(samples(1), samples(2));
        window->slotFingerUp();
        window->slotCompleted(samples(1), samples(2));
        QCOMPARE(window->targets().at(0)->screenPosition.x, leftX);
        QCOMPARE(window->targets().at(1)->screenPosition.x, rightX);
        QCOMPARE(window->targets().at(1)->screenPosition.y, 409);
        QCOMPARE(window->targets().at(1)->state(), CalibrationTarget::Done);
    }

    // Delegate signals outside a run, or a lift before the target is done, change nothing.
    void strayDelegateSignals() {
        auto window = makeWindow();
        window->slotCompleted(samples(5), samples(5));
        window->slotProgress(50);
        window->slotFingerUp();
        QCOMPARE(window->currentIndex(), -1);
        for (const CalibrationTarget* target : window->targets()) {
            QCOMPARE(target->state(), CalibrationTarget::Idle);
        }
        window->startCalibrationProcess(true);
        QCOMPARE(window->targets().at(0)->state(), CalibrationTarget::Attending);
        window->slotProgress(0);
        QCOMPARE(window->targets().at(0)->state(), CalibrationTarget::Attending);
        window->slotProgress(37);
        QCOMPARE(window->targets().at(0)->state(), CalibrationTarget::Acquiring);
        window->slotFingerUp();
        QCOMPARE(window->currentIndex(), 0);
        QCOMPARE(window->targets().at(1)->state(), CalibrationTarget::Idle);
    }

    void progressBarShowsSeconds() {
        auto window = makeWindow();
        auto* bar = window->findChild<QProgressBar*>(QStringLiteral("progressBar"));
        window->setProgressBarValues(50000, 43999);
        QCOMPARE(bar->maximum(), 50);
        QCOMPARE(bar->value(), 43);
        window->setProgressBarValues(5000, 999);
        QCOMPARE(bar->maximum(), 5);
        QCOMPARE(bar->value(), 0);
    }

    void wizardPageLeadsByResult_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("next");
        QTest::addRow("success") << 0 << 4;
        QTest::addRow("reduced area") << 1 << 4;
        QTest::addRow("cancelled") << 2 << 5;
        QTest::addRow("failed") << 3 << 1002;
        QTest::addRow("no touch") << 4 << 1002;
        QTest::addRow("none yet: default") << 5 << 7;
    }
    void wizardPageLeadsByResult() {
        QFETCH(int, result);
        QFETCH(int, next);
        QWizard wizard;
        auto* page = new CalibrationWizardProxy;
        wizard.setPage(3, page);
        wizard.setPage(7, new QWizardPage);
        page->setNextIdCalibrationOk(4);
        page->setNextIdCalibrationCancelled(5);
        page->setNextIdCalibrationFailed(1002);
        page->setCalibrationResult(result);
        QCOMPARE(page->nextId(), next);
    }
};

QTEST_MAIN(tst_FormCalibration)
#include "tst_FormCalibration.moc"
