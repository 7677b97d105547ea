#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

#include <functional>
#include <memory>

#include "protocol/ResponseDelegateFilterAB.h"
#include "engineering/DialogFilterOptions.h"
#include "engineering/DialogTrackerOptions.h"
#include "engineering/DialogZonalFilterOptions.h"
#include "tests/support/SimRig.h"

namespace {
// Request opcodes of the two sets, from the opcode table.
constexpr int kSetFilter = 18;
constexpr int kSetTracker = 35;

// Field offsets of the filter set (report bytes; the request carries report byte k at
// request byte k + 1 behind the report id and packet index).
constexpr int kStdDeviation0 = 2;
constexpr int kStdDeviation1 = 6;
constexpr int kFilterWarp = 22;
constexpr int kFilterOrtho = 26;
constexpr int kFilterLock = 30;
constexpr int kFilterFieldsEnd = 34;
constexpr int kTrackerPFactor = 6;
constexpr int kTrackerVersion = 14;

constexpr int kFirstField = 2;
constexpr int kReportLength = 60;
constexpr int kRequestShift = 1;

// The fixed-point code of 0.3: AA 01 00 80. Read back it shows 0.3004695 in the
// editor, which would encode as A9 01 00 80: a field the user leaves alone must keep it.
const QByteArray kShiftingFraction = QByteArray::fromHex("aa010080");
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

Q_DECLARE_METATYPE(DialogFilterOptions::Values)

// The touch-filter, tracker and zonal-filter dialogs against the virtual controller.
class tst_FilterDialogs : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimRig> m_rig;

    ResponseDelegateFilterAB* filter() {
        return m_rig->delegate<ResponseDelegateFilterAB>("FilterAB");
    }

    // The request bytes behind the opcode: report bytes 2..59 as the request carries them.
    static QByteArray requestFields(const QByteArray& request) {
        return request.mid(kFirstField + kRequestShift, kReportLength - kFirstField);
    }

    // Puts `bytes` into the board's filter set at `offset`, by a hand-built set request.
    bool pokeFilter(int offset, const QByteArray& bytes) {
        QSignalSpy values(filter(), QOverload<>::of(&ResponseDelegateFilterAB::valuesChanged));
        m_rig->dispatcher.queueCommand(CommandFactory::getFilterAB());
        if (!values.wait(SimRig::kWaitMs)) {
            return false;
        }
        QByteArray report = filter()->data();
        report.replace(offset, bytes.size(), bytes);
        QByteArray request(SimRig::kReportSize, '\0');
        request[SimRig::kOpcode] = char(kSetFilter);
        for (int k = kFirstField; k < kReportLength; ++k) {
            request[k + kRequestShift] = report.at(k);
        }
        values.clear();
        return m_rig->board.receiveReport(request) && values.wait(SimRig::kWaitMs);
    }

    template <typename Dialog>
    std::unique_ptr<Dialog> openDialog() {
        auto dialog = std::make_unique<Dialog>(&m_rig->dispatcher);
        dialog->show();
        return dialog;
    }

    template <typename T>
    static T* child(QObject* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }
    static QPushButton* button(QDialog* dialog, const char* name) {
        return child<QPushButton>(dialog, name);
    }

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    void init() {
        QSettings().clear();
        m_rig = std::make_unique<SimRig>();
        QVERIFY(m_rig->connectBoard());
    }

    void cleanup() { m_rig.reset(); }

    void filterDialogShowsTheControllersValues() {
        auto dialog = openDialog<DialogFilterOptions>();
        QTRY_VERIFY(dialog->hasValues());
        // The virtual board's factory filter set, field by field.
        const DialogFilterOptions::Values expected = {2.0, 10.0, 0.5, 4.0, 1.0, 1.5, 0.25};
        QCOMPARE(dialog->editorValues(), expected);
        QVERIFY(dialog->okButton()->isEnabled());
        QVERIFY(button(dialog.get(), "pushButton_Restore")->isEnabled());
        QVERIFY(!button(dialog.get(), "pushButton")->isEnabled());
        // Switching on with nothing stored sends nothing.
        dialog->on_pushButton_clicked();
        QVERIFY(m_rig->refresh());
        QVERIFY(m_rig->writesOf(kSetFilter).isEmpty());
        QCOMPARE(dialog->editorValues(), expected);
    }

    // OK writes the edited field, and only it: every other byte is the controller's.
    void filterOkWritesExactlyTheEditedValue_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("std deviation goes to both deviations")
            << int(DialogFilterOptions::StdDeviation) << 2.5
            << QList<int>{kStdDeviation0, kStdDeviation1} << QByteArray::fromHex("80020000");
        QTest::addRow("critical locking distance")
            << int(DialogFilterOptions::CriticalLockingDistance) << 2.0 << QList<int>{kFilterLock}
            << QByteArray::fromHex("00020000");
        QTest::addRow("warp factor") << int(DialogFilterOptions::WarpFactor) << 12.5
                                     << QList<int>{kFilterWarp} << QByteArray::fromHex("800c0000");
        QTest::addRow("nothing edited") << -1 << 0.0 << QList<int>{} << QByteArray();
    }
    void filterOkWritesExactlyTheEditedValue() {
        QFETCH(int, field);
        QFETCH(double, value);
        QFETCH(QList<int>, offsets);
        QFETCH(QByteArray, bytes);
        QVERIFY(pokeFilter(kFilterOrtho, kShiftingFraction));
        auto dialog = openDialog<DialogFilterOptions>();
        QTRY_VERIFY(dialog->hasValues());
        QByteArray expected = filter()->data().mid(kFirstField);
        for (int offset : offsets) {
            expected.replace(offset - kFirstField, bytes.size(), bytes);
        }
        if (field >= 0) {
            dialog->editor(DialogFilterOptions::Field(field))->setValue(value);
        }
        QSignalSpy finished(dialog.get(), &QDialog::finished);

        dialog->okButton()->click();

        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
        QTRY_COMPARE(m_rig->writesOf(kSetFilter).size(), 1);
        QCOMPARE(requestFields(m_rig->writesOf(kSetFilter).first()).toHex(), expected.toHex());
    }

    void switchOffThenSwitchOnSendsZerosThenTheEarlierValues() {
        auto dialog = openDialog<DialogFilterOptions>();
        QTRY_VERIFY(dialog->hasValues());
        const QByteArray original =
            filter()->data().mid(kFirstField, kFilterFieldsEnd - kFirstField);
        QSignalSpy finished(dialog.get(), &QDialog::finished);

        button(dialog.get(), "pushButton_Restore")->click();
        QTRY_COMPARE(m_rig->writesOf(kSetFilter).size(), 1);
        QCOMPARE(requestFields(m_rig->writesOf(kSetFilter).at(0)).left(original.size()),
                 QByteArray(original.size(), '\0'));
        QVERIFY(!button(dialog.get(), "pushButton_Restore")->isEnabled());
        // The controller's answer shows in the editors.
        QTRY_COMPARE(dialog->editorValues(), DialogFilterOptions::Values{});

        button(dialog.get(), "pushButton")->click();
        QTRY_COMPARE(m_rig->writesOf(kSetFilter).size(), 2);
        QCOMPARE(requestFields(m_rig->writesOf(kSetFilter).at(1)).left(original.size()).toHex(),
                 original.toHex());
        QVERIFY(button(dialog.get(), "pushButton_Restore")->isEnabled());
        QVERIFY(finished.isEmpty());
        QVERIFY(dialog->isVisible());
    }

    void factoryDefaultsLoadTheFirstConfiguration_data() {
        QTest::addColumn<bool>("keptAtFirstConnection");
        QTest::addColumn<DialogFilterOptions::Values>("expected");
        QTest::addRow("nothing stored") << false << DialogFilterOptions::Values{};
        QTest::addRow("kept at the first connection")
            << true << DialogFilterOptions::Values{2.0, 10.0, 0.5, 4.0, 1.0, 1.5, 0.25};
    }
    void factoryDefaultsLoadTheFirstConfiguration() {
        QFETCH(bool, keptAtFirstConnection);
        QFETCH(DialogFilterOptions::Values, expected);
        if (!keptAtFirstConnection) {
            // A first configuration marked done but without values.
            QSettings().setValue(QStringLiteral("FilterValue/FirstConfiguration"), true);
        }
        QVERIFY(pokeFilter(kFilterLock, QByteArray::fromHex("00070000")));
        auto dialog = openDialog<DialogFilterOptions>();
        QTRY_VERIFY(dialog->hasValues());

        button(dialog.get(), "pushButton_FactoryReset")->click();

        QCOMPARE(dialog->editorValues(), expected);
        QCOMPARE(dialog->savedValues(), expected);
        QVERIFY(button(dialog.get(), "pushButton")->isEnabled());
        QVERIFY(m_rig->refresh());
        QVERIFY(m_rig->writesOf(kSetFilter).isEmpty());

        dialog->okButton()->click();
        QTRY_COMPARE(m_rig->writesOf(kSetFilter).size(), 1);
        QTRY_COMPARE(filter()->filterLock(),
                     float(expected[DialogFilterOptions::CriticalLockingDistance]));
    }

    // 8388608 and more would set the code's sign bit; the editors stop below it, and a
    // word with only the sign bit reads as 0.
    void editorsStayInsideTheFloatCode() {
        QVERIFY(pokeFilter(kFilterLock, QByteArray::fromHex("00000080")));
        auto dialog = openDialog<DialogFilterOptions>();
        QTRY_VERIFY(dialog->hasValues());
        QCOMPARE(dialog->editor(DialogFilterOptions::CriticalLockingDistance)->value(), 0.0);
        for (int field = 0; field < DialogFilterOptions::kFieldCount; ++field) {
            QVERIFY(dialog->editor(DialogFilterOptions::Field(field))->maximum() < 8388608.0);
        }
        dialog->editor(DialogFilterOptions::CriticalLockingDistance)->setValue(1e9);
        dialog->okButton()->click();
        QTRY_COMPARE(m_rig->writesOf(kSetFilter).size(), 1);
        const QByteArray word =
            requestFields(m_rig->writesOf(kSetFilter).first()).mid(kFilterLock - kFirstField, 4);
        QCOMPARE(word.toHex(), QByteArray("00ffff7f"));
    }

    void trackerOkWritesTheEditedValue() {
        auto dialog = openDialog<DialogTrackerOptions>();
        QTRY_VERIFY(dialog->hasValues());
        // The virtual board's factory tracker set.
        QCOMPARE(dialog->editor(DialogTrackerOptions::StdDeviation)->value(), 3.0);
        QCOMPARE(dialog->editor(DialogTrackerOptions::PCovFactor)->value(), 8.0);
        QCOMPARE(dialog->editor(DialogTrackerOptions::QCovFactor)->value(), 0.125);
        QByteArray expected =
            m_rig->delegate<DeviceResponseDelegate>("TrackerParams")->data().mid(kFirstField);
        expected.replace(kTrackerPFactor - kFirstField, 4, QByteArray::fromHex("40040000"));
        expected[kTrackerVersion - kFirstField] = char(1);

        dialog->editor(DialogTrackerOptions::PCovFactor)->setValue(4.25);
        dialog->okButton()->click();

        QTRY_COMPARE(m_rig->writesOf(kSetTracker).size(), 1);
        QCOMPARE(requestFields(m_rig->writesOf(kSetTracker).first()).toHex(), expected.toHex());
        QTRY_COMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // Until the controller's values are in, nothing can be sent; Cancel still closes.
    void nothingIsSentBeforeTheControllerAnswers_data() {
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<int>("paramVersion");
        QTest::addColumn<bool>("silent");
        QTest::addRow("touch filter, silent board") << "filter" << 1 << true;
        QTest::addRow("tracker, silent board") << "tracker" << 1 << true;
        QTest::addRow("tracker, board without a tracker set") << "tracker" << 0 << false;
        QTest::addRow("zonal filter, silent board") << "zonal" << 1 << true;
    }
    void nothingIsSentBeforeTheControllerAnswers() {
        QFETCH(QString, dialogName);
        QFETCH(int, paramVersion);
        QFETCH(bool, silent);
        SimScenario scenario = SimRig::quickScenario();
        scenario.paramVersion = paramVersion;
        m_rig = std::make_unique<SimRig>(scenario);
        QVERIFY(m_rig->connectBoard());
        m_rig->board.setSilent(silent);
        std::unique_ptr<ParameterSetDialog> dialog;
        if (dialogName == QLatin1String("filter")) {
            dialog = openDialog<DialogFilterOptions>();
        } else if (dialogName == QLatin1String("tracker")) {
            dialog = openDialog<DialogTrackerOptions>();
        } else {
            dialog = openDialog<DialogZonalFilterOptions>();
        }
        dialog->setRefreshDelay(0);
        dialog->scheduleTotalRefresh();
        QTRY_COMPARE(m_rig->dispatcher.queuedCommandCount(), 0);
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        const int writesBefore = m_rig->api->writes.size();

        dialog->on_buttonBox_accepted();
        for (const char* name : {"pushButton_Restore", "pushButton"}) {
            if (QPushButton* send = button(dialog.get(), name)) {
                QVERIFY(!send->isEnabled());
                send->click();
            }
        }

        QVERIFY(!dialog->hasValues());
        QVERIFY(!dialog->okButton()->isEnabled());
        QVERIFY(finished.isEmpty());
        QCOMPARE(m_rig->api->writes.size(), writesBefore);
        auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        box->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
    }

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
        auto dialog = openDialog<DialogZonalFilterOptions>();
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
        auto dialog = openDialog<DialogZonalFilterOptions>();
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
        auto dialog = openDialog<DialogZonalFilterOptions>();
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
        auto dialog = openDialog<DialogZonalFilterOptions>();
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

QTEST_MAIN(tst_FilterDialogs)
#include "tst_FilterDialogs.moc"
