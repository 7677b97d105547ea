#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <memory>

#include "engineering/DialogZonalFilterOptions.h"
#include "tests/support/SimRig.h"

namespace {
// Current-parameters bytes of the zonal filter, from the block's layout table.
constexpr int kFilterSwitches = 21;
constexpr quint8 kTimeFilter = 0x20;
constexpr quint8 kMonitorFiltered = 0x10;
constexpr quint8 kMonitorHysteresis = 0x08;
constexpr int kHysteresis = 22;
constexpr int kTimeRejector = 23;
constexpr int kWarpDistance = 24;
constexpr int kWarpIntensity = 25;
constexpr int kHighIntensity = 26;
}  // namespace

class tst_DialogZonalFilterOptions : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimRig> m_rig;

    template <typename T>
    static T* child(QObject* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<DialogZonalFilterOptions> openDialog() {
        auto dialog = std::make_unique<DialogZonalFilterOptions>(&m_rig->dispatcher);
        dialog->show();
        return dialog;
    }

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    void init() {
        QSettings().clear();
        m_rig = std::make_unique<SimRig>();
        QVERIFY(m_rig->connectBoard());
    }

    void cleanup() { m_rig.reset(); }

    void coefficientLine_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("coefficient");
        QTest::addColumn<QString>("line");
        QTest::addRow("0x35 first") << 0 << 0x35 << " 0 - 0x35 - 1.65625    - 0123............";
        QTest::addRow("zero") << 12 << 0x00 << "12 - 0x 0 - 0          - 0...............";
        QTest::addRow("one") << 3 << 0x20 << " 3 - 0x20 - 1          - 012.............";
        QTest::addRow("largest") << 57 << 0xff << "57 - 0xff - 7.96875    - 0123456789ABCDEF";
    }
    void coefficientLine() {
        QFETCH(int, position);
        QFETCH(int, coefficient);
        QFETCH(QString, line);
        QCOMPARE(DialogZonalFilterOptions::coefficientLine(position, quint8(coefficient)), line);
    }

    void showsTheControllersZonalFilter() {
        QVERIFY(m_rig->pokeBlock([](QByteArray& block) {
            block[kFilterSwitches] = char(kTimeFilter | kMonitorHysteresis);
            block[kHysteresis] = 4;
            block[kTimeRejector] = 17;
            block[kWarpDistance] = 6;
            block[kWarpIntensity] = 3;
            block[kHighIntensity] = char(192);
        }));
        QSettings().setValue(QStringLiteral("Model/Mux"), 1);
        auto dialog = openDialog();
        QTRY_VERIFY(dialog->hasValues());

        QCOMPARE(child<QSpinBox>(dialog.get(), "spinBoxTimeRejector")->value(), 17);
        QCOMPARE(child<QSpinBox>(dialog.get(), "spinBoxHysteresis")->value(), 4);
        QVERIFY(!child<QSpinBox>(dialog.get(), "spinBoxHysteresis")->isEnabled());
        QCOMPARE(child<QDoubleSpinBox>(dialog.get(), "doubleSpinBoxHighIntensity")->value(), 0.75);
        QVERIFY(!child<QCheckBox>(dialog.get(), "checkBoxMonitorFiltered")->isChecked());
        QVERIFY(child<QCheckBox>(dialog.get(), "checkBoxMonitorHysteresis")->isChecked());
        QVERIFY(child<QCheckBox>(dialog.get(), "checkBoxActivate")->isChecked());
        QCOMPARE(child<QSpinBox>(dialog.get(), "spinBoxWarpDistance")->value(), 6);
        QCOMPARE(child<QSpinBox>(dialog.get(), "spinBoxWarpIntensity")->value(), 3);
        QCOMPARE(child<QComboBox>(dialog.get(), "comboBoxModel")->currentText(),
                 QStringLiteral("Tr4"));

        // The virtual 40/40 board keeps one coefficient of 1.0 per edge: 39 per array.
        const QStringList lines = dialog->coefficientBoxText().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("A coefficients"));
        QCOMPARE(lines.value(1), QStringLiteral(" 0 - 0x20 - 1          - 012............."));
        QCOMPARE(lines.value(40), QStringLiteral("B coefficients"));
        QCOMPARE(lines.value(79), QStringLiteral("38 - 0x20 - 1          - 012............."));
    }

    void okWritesTheEightFieldsAndTheModel() {
        auto dialog = openDialog();
        QTRY_VERIFY(dialog->hasValues());
        child<QSpinBox>(dialog.get(), "spinBoxTimeRejector")->setValue(12);
        child<QDoubleSpinBox>(dialog.get(), "doubleSpinBoxHighIntensity")->setValue(0.5);
        child<QCheckBox>(dialog.get(), "checkBoxMonitorFiltered")->setChecked(true);
        child<QCheckBox>(dialog.get(), "checkBoxMonitorHysteresis")->setChecked(false);
        child<QCheckBox>(dialog.get(), "checkBoxActivate")->setChecked(true);
        child<QSpinBox>(dialog.get(), "spinBoxWarpDistance")->setValue(3);
        child<QSpinBox>(dialog.get(), "spinBoxWarpIntensity")->setValue(2);
        child<QComboBox>(dialog.get(), "comboBoxModel")->setCurrentIndex(1);
        QSignalSpy finished(dialog.get(), &QDialog::finished);

        dialog->okButton()->click();

        QCOMPARE(finished.size(), 1);
        QTRY_COMPARE(m_rig->boardByte(kTimeRejector), quint8(12));
        QCOMPARE(m_rig->boardByte(kHighIntensity), quint8(128));
        QCOMPARE(m_rig->boardByte(kFilterSwitches) &
                     (kTimeFilter | kMonitorFiltered | kMonitorHysteresis),
                 kTimeFilter | kMonitorFiltered);
        QCOMPARE(m_rig->boardByte(kWarpDistance), quint8(3));
        QCOMPARE(m_rig->boardByte(kWarpIntensity), quint8(2));
        QCOMPARE(m_rig->boardByte(kHysteresis), quint8(0));
        QCOMPARE(QSettings().value(QStringLiteral("Model/Mux")).toInt(), 1);
    }

    // A value the editor cannot show as it is stays the controller's while untouched.
    void untouchedEditorsKeepTheControllersValue_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addRow("intensity the two decimals round") << kHighIntensity << 100;
        QTest::addRow("time rejector beyond the editor") << kTimeRejector << 120;
    }
    void untouchedEditorsKeepTheControllersValue() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QVERIFY(m_rig->pokeByte(offset, quint8(value)));
        auto dialog = openDialog();
        QTRY_VERIFY(dialog->hasValues());
        const int setsBefore = m_rig->writesOf(SimRig::kSetParametersOpcode).size();

        dialog->okButton()->click();

        QTRY_COMPARE(m_rig->writesOf(SimRig::kSetParametersOpcode).size(), setsBefore + 1);
        QVERIFY(m_rig->refresh());
        QCOMPARE(int(m_rig->boardByte(offset)), value);
    }

    // Answers that come after the fixed refresh still enable the dialog, and a keep-alive
    // block later on leaves the user's edits alone.
    void lateAnswersEnableTheDialogAndEditsStay() {
        m_rig->board.setSilent(true);
        auto dialog = openDialog();
        dialog->setRefreshDelay(3600 * 1000);
        dialog->scheduleTotalRefresh();
        QTRY_COMPARE(m_rig->dispatcher.queuedCommandCount(), 0);
        dialog->slot_enableAndRefreshView();
        QVERIFY(!dialog->hasValues());

        m_rig->board.setSilent(false);
        m_rig->dispatcher.queueCommand(CommandFactory::getParams());
        m_rig->dispatcher.queueCommand(CommandFactory::getZoneFilterA());
        m_rig->dispatcher.queueCommand(CommandFactory::getZoneFilterB());
        QTRY_VERIFY(dialog->hasValues());
        QVERIFY(dialog->okButton()->isEnabled());

        child<QSpinBox>(dialog.get(), "spinBoxWarpDistance")->setValue(7);
        QVERIFY(m_rig->refresh());
        QCOMPARE(child<QSpinBox>(dialog.get(), "spinBoxWarpDistance")->value(), 7);
    }
};

QTEST_MAIN(tst_DialogZonalFilterOptions)
#include "tst_DialogZonalFilterOptions.moc"
