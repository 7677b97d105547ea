#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLCDNumber>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include "protocol/ParameterFieldSupport.h"
#include "output/FormOutput.h"
#include "tests/support/PageRig.h"

namespace {
// The current-parameters block as the controller answers it: byte 8 output encoding,
// byte 9 output flags (0x01 output enabled, 0x20 edge stretch), byte 16 edge-stretch
// level and byte 17 edge-stretch scale, both signed.
constexpr int kEncoding = 8;
constexpr int kOutputFlags = 9;
constexpr quint8 kEnabledBit = 0x01;
constexpr quint8 kEdgeStretchBit = 0x20;
constexpr int kEdgeLevel = 16;
constexpr int kEdgeScale = 17;

// Request opcodes as the board receives them.
constexpr int kSetParameters = 4;
constexpr int kSaveToFlash = 6;

const char* const kModeButtons[] = {"buttonMouseMode", "buttonWindowsTouch", "buttonDoubleTouch"};
}  // namespace

class tst_FormOutput : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PageRig<FormOutput>> m_rig;
    FormOutput* m_form = nullptr;

    // A board reporting the given encoding and output state, and the form over it.
    void start(int encoding, bool enabled) {
        m_rig = std::make_unique<PageRig<FormOutput>>();
        QVERIFY(m_rig->open([this, encoding, enabled] {
            return m_rig->pokeBlock([encoding, enabled](QByteArray& block) {
                block[kEncoding] = char(encoding);
                const quint8 flags = quint8(block.at(kOutputFlags));
                block[kOutputFlags] = char(enabled ? flags | kEnabledBit : flags & ~kEnabledBit);
            });
        }));
        m_form = m_rig->page;
        m_form->setApplyRetryInterval(10);
    }

    template <typename T>
    T* child(const char* name) const {
        return m_rig->child<T>(name);
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(name); }

    int boardEncoding() const { return m_rig->boardByte(kEncoding); }
    bool boardEnabled() const { return m_rig->boardFlag(kOutputFlags, kEnabledBit); }

    // Mode buttons, combo and its read-back usable exactly when `usable`; the switch always.
    void verifyControlsUsable(bool usable) {
        for (const char* name : kModeButtons) {
            QCOMPARE(button(name)->isEnabled(), usable);
        }
        QCOMPARE(child<QComboBox>("comboOutputEncoding")->isEnabled(), usable);
        QCOMPARE(child<QLCDNumber>("numberEncoding")->isEnabled(), usable);
        QVERIFY(button("buttonDisableOutput")->isEnabled());
    }

    // Exactly the given mode button is checked.
    void verifySelectedMode(const char* selected) {
        for (const char* name : kModeButtons) {
            QCOMPARE(button(name)->isChecked(), qstrcmp(name, selected) == 0);
        }
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void cleanup() {
        ParameterFieldSupport::setLookup({});
        m_rig.reset();
    }

    void modeButtonLeavesTheControllerInThatMode_data() {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<int>("startEncoding");
        QTest::addColumn<int>("mode");
        QTest::addRow("Mouse") << "buttonMouseMode" << 3 << 1;
        QTest::addRow("One Touch") << "buttonWindowsTouch" << 1 << 2;
        QTest::addRow("Two Touch") << "buttonDoubleTouch" << 2 << 3;
    }
    void modeButtonLeavesTheControllerInThatMode() {
        QFETCH(QString, buttonName);
        QFETCH(int, startEncoding);
        QFETCH(int, mode);
        start(startEncoding, true);
        m_form->setStackIndex(FormOutput::ModeButtonsPage);
        m_form->loadMode();
        QSignalSpy finished(&m_rig->ops, &SetOperations::signal_finishedSetOutputFlagMode);
        QSignalSpy modeChanged(m_form, &FormOutput::modeChanged);

        button(qPrintable(buttonName))->click();

        QTRY_VERIFY(!finished.isEmpty());
        QCOMPARE(boardEncoding(), mode);
        QVERIFY(boardEnabled());
        QVERIFY(!modeChanged.isEmpty());
        QCOMPARE(modeChanged.last().first().toInt(), mode);
        verifyControlsUsable(true);
        verifySelectedMode(qPrintable(buttonName));
    }

    void switchTurnsOutputOffAndBackKeepingTheMode() {
        const int mode = 1;
        const QString modeButton = QStringLiteral("buttonMouseMode");
        start(mode, true);
        m_form->setStackIndex(FormOutput::ModeButtonsPage);
        m_form->loadMode();
        verifySelectedMode(qPrintable(modeButton));

        button("buttonDisableOutput")->click();
        QTRY_VERIFY(!boardEnabled());
        QTRY_VERIFY(!button(qPrintable(modeButton))->isEnabled());
        QCOMPARE(boardEncoding(), mode);
        verifyControlsUsable(false);
        QVERIFY(m_rig->settle());
        QVERIFY(!boardEnabled());

        button("buttonDisableOutput")->click();
        QTRY_VERIFY(boardEnabled());
        QTRY_VERIFY(button(qPrintable(modeButton))->isEnabled());
        QCOMPARE(boardEncoding(), mode);
        verifyControlsUsable(true);
        verifySelectedMode(qPrintable(modeButton));
    }

    void outputOffGreysEverythingButTheSwitch() {
        start(2, false);
        m_form->setStackIndex(FormOutput::ModeButtonsPage);
        m_form->loadMode();
        verifyControlsUsable(false);
        QVERIFY(!child<QSpinBox>("sboxEdStretchLevel")->isEnabled());
        QVERIFY(!child<QSpinBox>("sboxEdStretchScale")->isEnabled());
        QVERIFY(!m_form->cachedOutputEnabled());
        // A greyed mode button takes no click: nothing is asked of the controller.
        const int requestsBefore = m_rig->requests.size();
        button("buttonMouseMode")->click();
        QVERIFY(m_rig->refresh());
        QCOMPARE(m_rig->requests.mid(requestsBefore), QList<int>{5});
        QVERIFY(!boardEnabled());
    }

    void unknownModeLeavesNoModeButtonChecked() {
        start(7, true);
        m_form->setStackIndex(FormOutput::ModeButtonsPage);
        button("buttonDoubleTouch")->setChecked(true);
        m_form->setUiState();
        for (const char* name : kModeButtons) {
            QVERIFY2(!button(name)->isChecked(), name);
            QVERIFY(button(name)->isEnabled());
        }
        QCOMPARE(m_form->cachedOutputMode(), 7);
    }

    // Each step clicks a wizard radio button ("-": the page proposes its mode) and, once
    // the operations have settled, expects "<encoding or -> <on|off>" on the controller.
    // Without settling between clicks only the last choice counts.
    void wizardChoiceReachesTheController_data() {
        QTest::addColumn<int>("startEncoding");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("settleEach");
        QTest::addRow("proposes Two Touch") << 1 << QStringList{"- 3 on"} << true;
        QTest::addRow("last choice wins")
            << 2 << QStringList{"Mouse 1 on", "MultiTouch 3 on"} << true;
        QTest::addRow("last of quick choices wins")
            << 2 << QStringList{"Mouse 1 on", "MultiTouch 3 on"} << false;
        QTest::addRow("output off and back")
            << 1 << QStringList{"Mouse 1 on", "NoTouch - off", "SingleTouch 2 on"} << true;
    }
    void wizardChoiceReachesTheController() {
        QFETCH(int, startEncoding);
        QFETCH(QStringList, steps);
        QFETCH(bool, settleEach);
        start(startEncoding, true);
        m_form->setStackIndex(FormOutput::WizardPage);
        for (int i = 0; i < steps.size(); ++i) {
            const QStringList step = steps.at(i).split(QLatin1Char(' '));
            if (step.at(0) == QLatin1String("-")) {
                m_form->loadMode();
                QVERIFY(radio("radioButton_MultiTouch")->isChecked());
            } else {
                radio(qPrintable(QStringLiteral("radioButton_") + step.at(0)))->click();
            }
            if (!settleEach && i + 1 < steps.size()) {
                continue;
            }
            const bool on = step.at(2) == QLatin1String("on");
            for (int check = 0; check < 2; ++check) {
                if (step.at(1) != QLatin1String("-")) {
                    QTRY_COMPARE(boardEncoding(), step.at(1).toInt());
                }
                QTRY_COMPARE(boardEnabled(), on);
                QVERIFY(m_rig->settle());
            }
        }
    }

    void advancedPageReadsTheBoard_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("edgeActive");
        QTest::addColumn<int>("levelByte");
        QTest::addColumn<int>("scaleByte");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("scale");
        QTest::addRow("mouse, stretch on") << 1 << true << true << 0x02 << 0x14 << 2 << 20;
        QTest::addRow("negative scale") << 2 << true << true << 0x03 << 0x9C << 3 << -100;
        QTest::addRow("output off, stretch off") << 3 << false << false << 0x00 << 0x7F << 0 << 127;
        QTest::addRow("output off, stretch on") << 2 << false << true << 0x01 << 0x00 << 1 << 0;
    }
    void advancedPageReadsTheBoard() {
        QFETCH(int, encoding);
        QFETCH(bool, enabled);
        QFETCH(bool, edgeActive);
        QFETCH(int, levelByte);
        QFETCH(int, scaleByte);
        QFETCH(int, level);
        QFETCH(int, scale);
        start(encoding, enabled);
        QVERIFY(m_rig->pokeBlock([&](QByteArray& block) {
            const quint8 flags = quint8(block.at(kOutputFlags));
            block[kOutputFlags] =
                char(edgeActive ? flags | kEdgeStretchBit : flags & ~kEdgeStretchBit);
            block[kEdgeLevel] = char(levelByte);
            block[kEdgeScale] = char(scaleByte);
        }));
        m_form->setUiState();
        // A read-back too short for its value keeps showing its old digits.
        QList<std::shared_ptr<QSignalSpy>> overflows;
        for (const char* name :
             {"numberEncoding", "numberEdStretchLevel", "numberEdStretchScale"}) {
            overflows << std::make_shared<QSignalSpy>(child<QLCDNumber>(name),
                                                      &QLCDNumber::overflow);
        }
        m_form->updateValuesFromBoard(true);

        for (const auto& overflow : overflows) {
            QCOMPARE(overflow->count(), 0);
        }
        QCOMPARE(child<QLCDNumber>("numberEncoding")->intValue(), encoding);
        QCOMPARE(child<QLCDNumber>("numberEdStretchLevel")->intValue(), level);
        QCOMPARE(child<QLCDNumber>("numberEdStretchScale")->intValue(), scale);
        const QString black = QStringLiteral("background-color: rgb(0, 0, 0);");
        QCOMPARE(child<QFrame>("frameOutputEnabled")->styleSheet(), enabled ? black : QString());
        QCOMPARE(child<QFrame>("frameEdStretchActive")->styleSheet(),
                 edgeActive ? black : QString());
        QCOMPARE(child<QComboBox>("comboOutputEncoding")->currentIndex(), encoding - 1);
        QCOMPARE(child<QCheckBox>("checkBoxOutputEnabled")->isChecked(), enabled);
        QCOMPARE(child<QCheckBox>("checkBoxEdStrechActive")->isChecked(), edgeActive);
        QCOMPARE(child<QSpinBox>("sboxEdStretchLevel")->value(), level);
        QCOMPARE(child<QSpinBox>("sboxEdStretchScale")->value(), scale);
        QCOMPARE(child<QSpinBox>("sboxEdStretchLevel")->isEnabled(), edgeActive && enabled);
        QCOMPARE(child<QSpinBox>("sboxEdStretchScale")->isEnabled(), edgeActive && enabled);
        // The level and scale editors follow their tick.
        child<QCheckBox>("checkBoxEdStrechActive")->click();
        QCOMPARE(child<QSpinBox>("sboxEdStretchLevel")->isEnabled(), !edgeActive && enabled);
        QCOMPARE(child<QSpinBox>("sboxEdStretchScale")->isEnabled(), !edgeActive && enabled);
    }

    void applyWritesEdgeStretchAndSavesToFlash_data() {
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("scaleByte");
        QTest::addRow("stretch on") << true << 2 << -20 << 0xEC;
        QTest::addRow("stretch on, extremes") << true << 3 << 127 << 0x7F;
        QTest::addRow("stretch off, lowest scale") << false << 0 << -100 << 0x9C;
    }
    void applyWritesEdgeStretchAndSavesToFlash() {
        QFETCH(bool, active);
        QFETCH(int, level);
        QFETCH(int, scale);
        QFETCH(int, scaleByte);
        start(3, true);
        QVERIFY(m_rig->pokeBlock([active](QByteArray& block) {
            const quint8 flags = quint8(block.at(kOutputFlags));
            block[kOutputFlags] = char(active ? flags & ~kEdgeStretchBit : flags | kEdgeStretchBit);
            block[kEdgeLevel] = 1;
            block[kEdgeScale] = 10;
        }));
        m_form->updateValuesFromBoard(true);
        child<QCheckBox>("checkBoxEdStrechActive")->setChecked(active);
        child<QSpinBox>("sboxEdStretchLevel")->setValue(level);
        child<QSpinBox>("sboxEdStretchScale")->setValue(scale);
        QSignalSpy saved(&m_rig->ops, &SetOperations::signal_finishedSavingParameters);
        m_rig->requests.clear();

        m_form->applyChanges();

        QVERIFY(saved.wait(SimRig::kWaitMs));
        QCOMPARE(m_rig->boardFlag(kOutputFlags, kEdgeStretchBit), active);
        QCOMPARE(int(m_rig->boardByte(kEdgeLevel)), level);
        QCOMPARE(int(m_rig->boardByte(kEdgeScale)), scaleByte);
        QCOMPARE(boardEncoding(), 3);
        QVERIFY(boardEnabled());
        QVERIFY(m_rig->requests.contains(kSetParameters));
        QTRY_VERIFY(m_rig->requests.contains(kSaveToFlash));
        QVERIFY(m_rig->requests.indexOf(kSaveToFlash) >
                m_rig->requests.lastIndexOf(kSetParameters));
        QVERIFY(!m_form->isApplyPending());
    }

    // A firmware without edge-stretch level and scale keeps reporting its own values: the
    // apply loop gives up after its passes, saves nothing and shows the controller's values.
    void applyGivesUpOnValuesTheControllerLacks() {
        ParameterFieldSupport::setLookup([](int set, int offset, quint8) {
            return set != 2 || (offset != kEdgeLevel && offset != kEdgeScale);
        });
        start(3, true);
        m_form->updateValuesFromBoard(true);
        child<QCheckBox>("checkBoxEdStrechActive")->setChecked(true);
        child<QSpinBox>("sboxEdStretchLevel")->setValue(2);
        m_rig->requests.clear();

        m_form->applyChanges();

        QVERIFY(m_form->isApplyPending());
        QTRY_VERIFY(!m_form->isApplyPending());
        QCOMPARE(child<QSpinBox>("sboxEdStretchLevel")->value(), 0);
        const int sets = m_rig->requests.count(kSetParameters);
        QVERIFY2(sets >= 2 && sets <= FormOutput::kApplyPassLimit, QByteArray::number(sets));
        QVERIFY(m_rig->settle());
        QVERIFY(!m_rig->requests.contains(kSaveToFlash));
    }

    void applyHandsModeChangesToTheOperations_data() {
        QTest::addColumn<int>("comboIndex");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("encoding");
        QTest::addRow("Mouse (1)") << 0 << true << 1;
        QTest::addRow("One Touch (2)") << 1 << true << 2;
        QTest::addRow("output off") << 2 << false << 3;
    }
    void applyHandsModeChangesToTheOperations() {
        QFETCH(int, comboIndex);
        QFETCH(bool, enable);
        QFETCH(int, encoding);
        start(3, true);
        m_form->updateValuesFromBoard(true);
        child<QComboBox>("comboOutputEncoding")->setCurrentIndex(comboIndex);
        child<QCheckBox>("checkBoxOutputEnabled")->setChecked(enable);
        QSignalSpy finished(&m_rig->ops, &SetOperations::signal_finishedSetOutputFlagMode);

        m_form->applyChanges();

        QVERIFY(finished.wait(SimRig::kWaitMs));
        QCOMPARE(boardEncoding(), encoding);
        QCOMPARE(boardEnabled(), enable);
        QVERIFY(m_rig->settle());
        QTRY_VERIFY(m_rig->requests.contains(kSaveToFlash));
    }
};

QTEST_MAIN(tst_FormOutput)
#include "tst_FormOutput.moc"
