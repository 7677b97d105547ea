#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <QtTest>

#include "logging/SillyLogger.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "device/LogReplayer.h"
#include "app/MiscFiles.h"
#include "RecordingPrompt.h"

// The helpers behind the main window's secondary windows: the connection indicator,
// the installation guide, and the way into replaying a recording.
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

    static QString stopLog(const QString& path) {
        SillyLogger::instance()->stop();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("OrvelloTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_MiscFiles"));
        UserPrompt::install(&m_prompt);
    }

    void init() {
        QSettings().clear();
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

    void indicatorShowsTheMatchingTextAndStyle() {
        QLabel label;
        for (bool flag : {true, false}) {
            MiscFiles::updateBooleanTextAndStyle(&label, flag, QStringLiteral("yes"),
                                                 QStringLiteral("no"), QStringLiteral("green"),
                                                 QStringLiteral("red"));
            QCOMPARE(label.text(), flag ? QStringLiteral("yes") : QStringLiteral("no"));
            QCOMPARE(label.styleSheet(), flag ? QStringLiteral("green") : QStringLiteral("red"));
        }
        // No label: nothing to update, and no crash.
        MiscFiles::updateBooleanTextAndStyle(nullptr, true, {}, {}, {}, {});
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
        QCOMPARE(m_prompt.questions.first().text, QStringLiteral("File not found"));
        QCOMPARE(m_prompt.questions.first().informativeText,
                 QStringLiteral("Do you want to proceed further or close the application"));
        QCOMPARE(m_prompt.questions.first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(text.contains(QStringLiteral("[I]")) &&
                     text.contains(QStringLiteral(": File not found")),
                 logged);
    }

    void replayStartOffersTheReplayDialog() {
        QSettings().setValue(QStringLiteral("Calibration/NoSoftReset"), true);
        MiscFiles misc(&m_window);
        misc.showSensThresholdEditor();
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QCOMPARE(m_prompt.fileQuestions.first().caption, QStringLiteral("Open File"));
        QCOMPARE(m_prompt.fileQuestions.first().directory, QStringLiteral("*.log"));
        QCOMPARE(m_prompt.fileQuestions.first().filter, QStringLiteral("Replay Log files (*.log)"));
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
        QVERIFY(!misc.replayerMode(QDir::current().filePath(QStringLiteral("missing.log"))));
        QCOMPARE(dispatcher->ioProvider(), &replayer);

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
};

QTEST_MAIN(tst_MiscFiles)
#include "tst_MiscFiles.moc"
