#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QWidget>
#include <QtTest>

#include "logging/SillyLogger.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "device/LogReplayer.h"
#include "protocol/FirmwareInformation.h"
#include "app/MiscFiles.h"
#include "tests/support/TestSettings.h"
#include "RecordingPrompt.h"

namespace {
// A stored settings value: absent, false or true.
enum Stored { Absent, False, True };
}  // namespace
Q_DECLARE_METATYPE(Stored)

// The helpers behind the main window's secondary windows: the installation guide, the way
// into replaying a recording, and the firmware-upgrade offer.
class tst_MiscFiles : public QObject {
    Q_OBJECT

private:
    RecordingPrompt m_prompt;
    QWidget m_window;

    QString startLog(const QString& name) {
        const QString path = QDir::current().filePath(name);
        SillyLogger::instance()->setFilter(SillyLogger::Information | SillyLogger::Warning);
        SillyLogger::instance()->start(path);
        return path;
    }

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

    static QString stopLog(const QString& path) {
        SillyLogger::instance()->stop();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase() {
        useTestSettings();
        UserPrompt::install(&m_prompt);
    }

    void init() {
        QSettings().clear();
        FirmwareInformation::instance().clear();
        m_prompt.checkBoxChecked = false;
        m_prompt.questions.clear();
        m_prompt.fileQuestions.clear();
        m_prompt.chosenFile.clear();
    }

    void cleanupTestCase() {
        UserPrompt::install(nullptr);
        SillyLogger::instance()->stop();
        SillyLogger::instance()->setFilter(0);
        QSettings().clear();
    }

    void helpOpensTheInstallationGuide() {
        MiscFiles misc(&m_window);
        QStringList opened;
        misc.setDocumentOpener([&opened](const QString& path) {
            opened.append(path);
            return true;
        });
        misc.on_buttonHelp_clicked();
        QCOMPARE(opened,
                 QStringList{QDir::currentPath() +
                             QStringLiteral("/Docs/tavirel_TR4-80_SetupInstallationGuide.pdf")});
        QVERIFY(m_prompt.questions.isEmpty());
    }

    void missingGuideAsksAndLogsUnlessOk_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("logged");
        QTest::addRow("ok") << int(QMessageBox::Ok) << false;
        QTest::addRow("cancel") << int(QMessageBox::Cancel) << true;
    }

    void missingGuideAsksAndLogsUnlessOk() {
        QFETCH(int, answer);
        QFETCH(bool, logged);
        MiscFiles misc(&m_window);
        misc.setDocumentOpener([](const QString&) { return false; });
        m_prompt.button = QMessageBox::StandardButton(answer);
        const QString log = startLog(QStringLiteral("help.log"));
        misc.on_buttonHelp_clicked();
        const QString text = stopLog(log);

        QCOMPARE(m_prompt.questions.size(), 1);
        QCOMPARE(text.contains(QStringLiteral("[I]")) &&
                     text.contains(QStringLiteral(": File not found")),
                 logged);
    }

    void replayStartOffersTheReplayDialog() {
        QSettings().setValue(QStringLiteral("Calibration/NoSoftReset"), true);
        MiscFiles misc(&m_window);
        misc.showSensThresholdEditor();
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QVERIFY(m_prompt.fileQuestions.first().filter.contains(QStringLiteral("(*.log)")));
    }

    // Live, the graph window opens once (a second request brings the same one forward);
    // started to replay, the graph leads to the replay dialog instead.
    void graphOpensTheEditorOrTheReplayDialog_data() {
        QTest::addColumn<bool>("replayOnly");
        QTest::addRow("live") << false;
        QTest::addRow("replay mode") << true;
    }
    void graphOpensTheEditorOrTheReplayDialog() {
        QFETCH(bool, replayOnly);
        MiscFiles misc(&m_window);
        misc.setReplayOnly(replayOnly);
        misc.showSensThresholdEditor();
        QCOMPARE(m_prompt.fileQuestions.size(), replayOnly ? 1 : 0);
        QCOMPARE(misc.sensThresholdEditor() != nullptr, !replayOnly);
        if (replayOnly) {
            return;
        }
        QPointer<FormSensThreshEditor> first = misc.sensThresholdEditor();
        misc.showSensThresholdEditor();
        QCOMPARE(misc.sensThresholdEditor(), first.data());
        QVERIFY(misc.isGraphInitializedOnce());
        first->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(!misc.isGraphInitializedOnce());
    }

    void chosenLogSwitchesToTheReplayer() {
        DeviceEventDispatcher* dispatcher = DeviceEventDispatcher::instance();
        LogReplayer replayer;
        dispatcher->registerDeviceIoDataProvider(&replayer);

        MiscFiles misc(&m_window);
        // A log that cannot be opened is said on screen, not only in the log.
        QVERIFY(!misc.openReplay(QDir::current().filePath(QStringLiteral("missing.log"))));
        QCOMPARE(dispatcher->ioProvider(), &replayer);
        QCOMPARE(m_prompt.questions.size(), 1);
        QCOMPARE(m_prompt.questions.first().icon, QMessageBox::Warning);
        QVERIFY(m_prompt.questions.first().text.contains(QStringLiteral("missing.log")));
        QVERIFY(misc.sensThresholdEditor() == nullptr);

        const QString recording = QDir::current().filePath(QStringLiteral("recording.log"));
        QFile file(recording);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[I]{                   5} In Function x: hello\r\n\n");
        file.close();
        m_prompt.chosenFile = recording;
        misc.showReplayWindow();
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QCOMPARE(dispatcher->ioProvider(), &replayer);
        QVERIFY(!replayer.isCompleted());
        // The graph window shows the replay.
        QPointer<FormSensThreshEditor> editor = misc.sensThresholdEditor();
        QVERIFY(editor && editor->isReplay());
        editor->close();
        QTRY_VERIFY(editor.isNull());
    }

    void cancelledReplayDialogChangesNothing() {
        DeviceEventDispatcher* dispatcher = DeviceEventDispatcher::instance();
        DeviceIoDataProvider* before = dispatcher->ioProvider();
        MiscFiles misc(&m_window);
        misc.showReplayWindow();
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QCOMPARE(dispatcher->ioProvider(), before);
    }

    // The firmware-upgrade offer: when it asks, and what a remembered decision does to the
    // next start.
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
        QVERIFY(!m_prompt.questions.last().checkBoxText.isEmpty());
        QCOMPARE(stored("VersionValue/minUiRepoFlag"), minUiRepoFlag);
        QCOMPARE(stored("VersionValue/FirstConfiguration"), firstConfiguration);
    }
};

QTEST_MAIN(tst_MiscFiles)
#include "tst_MiscFiles.moc"
