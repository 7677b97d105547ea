#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSystemSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include "logging/SillyLogger.h"
#include "device/SingleInstanceGuard.h"
#include "app/StartupOptions.h"

// The command line as a technician types it, and what the tool makes of it: which log
// file starts with which filter, replay or live mode, and the stored settings value.
class tst_StartupOptions : public QObject {
    Q_OBJECT

private:
    SillyLogger* m_logger = SillyLogger::instance();

    static QStringList commandLine(const QString& arguments) {
        QStringList list{QStringLiteral("tavirel-config")};
        list += arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return list;
    }

    void resetLogger() {
        m_logger->stop();
        m_logger->setFilter(0);
        QFile::remove(QString::fromLatin1(StartupOptions::kMaskLogName));
        QFile::remove(QString::fromLatin1(StartupOptions::kLevelLogName));
    }

private slots:
    void initTestCase() {
        // The instance guard's key files live in the temporary folder: keep them in the
        // test's scratch folder, for this process and the programs it starts.
        QDir scratch(QDir::currentPath());
        QVERIFY(scratch.mkpath(QStringLiteral("tmp")));
        qputenv("TMPDIR", scratch.filePath(QStringLiteral("tmp")).toLocal8Bit());
    }
    void init() { resetLogger(); }
    void cleanupTestCase() { resetLogger(); }

    void loggerFollowsMaskAndLevel_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("logFile");
        QTest::addColumn<int>("filter");
        auto row = [](const char* name, const char* arguments, const char* logFile, int filter) {
            QTest::addRow("%s", name) << QString(arguments) << QString(logFile) << filter;
        };
        row("no option leaves logging off", "", "", 0);
        row("mask 32 traces functions only", "-m 32", "command-line-mask", 0x20);
        row("mask 20 is decimal: warning and bit 16", "-m 20", "command-line-mask", 0x14);
        row("mask ff is not decimal: off", "-m ff", "", 0);
        row("mask wins over level", "-m 1 -l 8", "command-line-mask", 0x01);
        row("long names", "--debug-level 8", "command-line-level", 0x0F);
        row("level 4: debug, critical, warning", "-l 4", "command-line-level", 0x07);
        row("level 0 leaves logging off", "-l 0", "", 0);
        row("only the low byte of the mask counts", "-m 264", "command-line-mask", 0x08);
        row("mask with a low byte of 0 falls back to the level", "-m 256 -l 2",
            "command-line-level", 0x03);
        row("negative level is not a number", "-l -4", "", 0);
        row("level beyond 32 bits is not a number", "-l 4294967297", "", 0);
    }

    void loggerFollowsMaskAndLevel() {
        QFETCH(QString, arguments);
        QFETCH(QString, logFile);
        QFETCH(int, filter);

        StartupOptions options;
        QVERIFY2(options.parse(commandLine(arguments)), qPrintable(options.errorText()));
        options.configureLogger(*m_logger);

        QCOMPARE(int(m_logger->filter()), filter);
        QCOMPARE(QFile::exists(QStringLiteral("command-line-mask")),
                 logFile == QLatin1String("command-line-mask"));
        QCOMPARE(QFile::exists(QStringLiteral("command-line-level")),
                 logFile == QLatin1String("command-line-level"));
        // A started log takes the messages its filter lets through.
        if (!logFile.isEmpty()) {
            const quint8 lowestType = quint8(filter & -filter);
            QVERIFY(m_logger->logMessage(lowestType, QStringLiteral("probe")));
        }
    }

    // What a command line asks for: replay (and the stored no-soft-reset flag, which only
    // the replay flag sets), the virtual controller, a screenshot; or an error.
    void optionsAreParsed_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<bool>("replayMode");
        QTest::addColumn<bool>("noSoftReset");
        QTest::addColumn<bool>("simulation");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("screenshot");
        auto row = [](const char* name, const char* arguments, bool parsed, bool replay,
                      bool noSoftReset, bool simulation = false, const char* scenario = "",
                      const char* screenshot = "") {
            QTest::addRow("%s", name) << QString(arguments) << parsed << replay << noSoftReset
                                      << simulation << QString(scenario) << QString(screenshot);
        };
        row("live", "", true, false, false);
        row("replay flag", "-r", true, true, true);
        row("replay long flag", "--replay", true, true, true);
        row("file alone replays but does not store the flag", "-f record.log", true, true, false);
        row("file long option", "--file record.log", true, true, false);
        row("flag and file", "-r -f record.log", true, true, true);
        row("simulate", "--simulate", true, false, false, true);
        row("scenario implies simulate", "--scenario split=4024,brokenWireA=7", true, false, false,
            true, "split=4024,brokenWireA=7");
        row("screenshot", "--simulate --screenshot main.png", true, false, false, true, "",
            "main.png");
        row("unknown option", "--frobnicate", false, false, false);
        row("level without value", "-l", false, false, false);
        row("file without value", "--file", false, false, false);
        row("scenario without value", "--scenario", false, false, false);
    }
    void optionsAreParsed() {
        QFETCH(QString, arguments);
        QFETCH(bool, parsed);
        QFETCH(bool, replayMode);
        QFETCH(bool, noSoftReset);
        QFETCH(bool, simulation);
        QFETCH(QString, scenario);
        QFETCH(QString, screenshot);
        StartupOptions options;
        QCOMPARE(options.parse(commandLine(arguments)), parsed);
        QCOMPARE(options.errorText().isEmpty(), parsed);
        if (!parsed) {
            return;
        }
        QCOMPARE(options.isReplayMode(), replayMode);
        QCOMPARE(options.isSimulation(), simulation);
        QCOMPARE(options.scenario(), scenario);
        QCOMPARE(options.screenshotFileName(), screenshot);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QSettings settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Calibration/NoSoftReset"), !noSoftReset);
        options.writeSettings(settings);
        QCOMPARE(settings.value(QStringLiteral("Calibration/NoSoftReset")).toBool(), noSoftReset);
    }

    // The built tool, started without a display (and with no usable platform plugin):
    // help, version and a bad option are answered on the console, also while another
    // copy holds the single-instance guard, and nothing waits for a window.
    void consoleAnswersNeedNoDisplayNorFreeInstance_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("copyRunning");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::addRow("--help while a copy runs")
            << "--help" << true << 0 << "Setup utility from Orvello";
        QTest::addRow("--version while a copy runs")
            << "--version" << true << 0 << "tavirelConfigSoftware 1.0";
        QTest::addRow("-h") << "-h" << false << 0 << "--debug-mask";
        QTest::addRow("-v") << "-v" << false << 0 << "tavirelConfigSoftware 1.0";
        QTest::addRow("a bad option") << "--frobnicate" << true << 1 << "frobnicate";
    }
    void consoleAnswersNeedNoDisplayNorFreeInstance() {
        QFETCH(QString, argument);
        QFETCH(bool, copyRunning);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QProcess copy;
        if (copyRunning) {
            copy.start(QStringLiteral(TAVIREL_INSTANCE_HOLDER),
                       {QString::fromLatin1(SingleInstanceGuard::kSemaphoreKey),
                        QString::fromLatin1(SingleInstanceGuard::kMemoryKey)});
            QVERIFY(copy.waitForReadyRead());
            QCOMPARE(copy.readLine().trimmed(), QByteArray("holding"));
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(TAVIREL_EXECUTABLE), {argument});
        const bool finished = tool.waitForFinished(20000);
        if (copyRunning) {
            copy.kill();
            copy.waitForFinished();
            // Free what the killed copy left behind.
            SingleInstanceGuard sweep;
            QSystemSemaphore semaphore(QString::fromLatin1(SingleInstanceGuard::kSemaphoreKey), 1,
                                       QSystemSemaphore::Create);
        }
        QVERIFY2(finished, "the tool did not end by itself");
        const QString output =
            QString::fromLocal8Bit(tool.readAllStandardOutput() + tool.readAllStandardError());
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QVERIFY2(tool.exitCode() == exitCode && output.contains(printed), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(tst_StartupOptions)
#include "tst_StartupOptions.moc"
