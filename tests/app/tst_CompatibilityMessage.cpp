#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <QtTest>

#include "protocol/FirmwareInformation.h"
#include "app/MiscFiles.h"
#include "RecordingPrompt.h"

namespace {
// A stored settings value: absent, false or true.
enum Stored { Absent, False, True };
}  // namespace
Q_DECLARE_METATYPE(Stored)

// The firmware-upgrade offer: when it asks, what it asks, and what a remembered decision
// does to the next start.
class tst_CompatibilityMessage : public QObject {
    Q_OBJECT

private:
    RecordingPrompt m_prompt;
    QWidget m_window;

    static void store(const char* key, Stored value) {
        if (value != Absent) {
            QSettings().setValue(QString::fromLatin1(key), value == True);
        }
    }
    static Stored stored(const char* key) {
        const QVariant value = QSettings().value(QString::fromLatin1(key));
        if (!value.isValid()) {
            return Absent;
        }
        return value.toBool() ? True : False;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("OrvelloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_CompatibilityMessage"));
        UserPrompt::install(&m_prompt);
    }
    void init() {
        QSettings().clear();
        m_prompt.questions.clear();
        FirmwareInformation::instance().clear();
    }
    void cleanupTestCase() {
        UserPrompt::install(nullptr);
        QSettings().clear();
    }

    void asksOnlyWhenAnOfferIsDue_data() {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<Stored>("minUiRepoFlag");
        QTest::addColumn<Stored>("firstConfiguration");
        QTest::addColumn<bool>("asks");
        QTest::addRow("newer firmware, nothing stored") << true << Absent << Absent << true;
        QTest::addRow("nothing newer") << false << Absent << Absent << false;
        QTest::addRow("nothing newer, upgrades wanted") << false << True << True << false;
        QTest::addRow("remembered No") << true << False << True << false;
        QTest::addRow("remembered Yes") << true << True << True << true;
        QTest::addRow("flag cleared but no decision stored") << true << False << Absent << true;
        QTest::addRow("decision stored, flag absent reads as false")
            << true << Absent << True << false;
    }
    void asksOnlyWhenAnOfferIsDue() {
        QFETCH(bool, flag);
        QFETCH(Stored, minUiRepoFlag);
        QFETCH(Stored, firstConfiguration);
        QFETCH(bool, asks);
        store("VersionValue/minUiRepoFlag", minUiRepoFlag);
        store("VersionValue/FirstConfiguration", firstConfiguration);
        m_prompt.button = QMessageBox::Yes;
        MiscFiles files(&m_window);
        const bool accepted =
            files.showCompatibilityMessage(flag, QStringLiteral("/x/Firmware/620_4040.ovu"));
        QCOMPARE(m_prompt.questions.size(), asks ? 1 : 0);
        QCOMPARE(accepted, asks);
    }

    void theQuestionNamesTheDeliveredVersion() {
        FirmwareInformation::instance().setDeliveredFirmwareVersion(620);
        MiscFiles files(&m_window);
        m_prompt.button = QMessageBox::No;
        QVERIFY(!files.showCompatibilityMessage(true, QStringLiteral("/x/620_4040.ovu")));
        QCOMPARE(m_prompt.questions.size(), 1);
        const UserPrompt::Question& question = m_prompt.questions.first();
        QCOMPARE(question.text, QStringLiteral("Firmware update available!\nFor further "
                                               "information please contact: "
                                               "support@orvello.example"));
        QCOMPARE(question.informativeText, QStringLiteral("Would you like to upgarde to v.620 ?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);
        QCOMPARE(question.checkBoxText, QStringLiteral("Remember my decision"));
    }

    void answersAndWhatIsRemembered_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Stored>("minUiRepoFlag");
        QTest::addColumn<Stored>("firstConfiguration");
        const QString file = QStringLiteral("/x/Firmware/620_4040.ovu");
        QTest::addRow("Yes") << int(QMessageBox::Yes) << false << file << true << Absent << Absent;
        QTest::addRow("Yes, remembered")
            << int(QMessageBox::Yes) << true << file << true << True << True;
        QTest::addRow("No") << int(QMessageBox::No) << false << file << false << Absent << Absent;
        QTest::addRow("No, remembered")
            << int(QMessageBox::No) << true << file << false << False << True;
        QTest::addRow("box closed counts as No, remembered")
            << int(QMessageBox::NoButton) << true << file << false << False << True;
        QTest::addRow("Yes without a file uploads nothing")
            << int(QMessageBox::Yes) << false << QString() << false << Absent << Absent;
    }
    void answersAndWhatIsRemembered() {
        QFETCH(int, button);
        QFETCH(bool, remember);
        QFETCH(QString, fileName);
        QFETCH(bool, accepted);
        QFETCH(Stored, minUiRepoFlag);
        QFETCH(Stored, firstConfiguration);
        m_prompt.button = QMessageBox::StandardButton(button);
        m_prompt.checkBoxChecked = remember;
        MiscFiles files(&m_window);
        QCOMPARE(files.showCompatibilityMessage(true, fileName), accepted);
        QCOMPARE(stored("VersionValue/minUiRepoFlag"), minUiRepoFlag);
        QCOMPARE(stored("VersionValue/FirstConfiguration"), firstConfiguration);
        m_prompt.checkBoxChecked = false;
    }
};

QTEST_MAIN(tst_CompatibilityMessage)
#include "tst_CompatibilityMessage.moc"
