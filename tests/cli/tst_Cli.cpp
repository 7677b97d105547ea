#include <QtTest>

#include <memory>

#include "device/LogReplayer.h"
#include "device/SingleInstanceGuard.h"
#include "sim/VirtualController.h"
#include "tests/support/OvuFile.h"
#include "cli/CliRunner.h"
#include "cli/ParameterSnapshot.h"

namespace {
// Set requests written from the wire tables: report id, packet index, opcode, then the
// block bytes from 2 on (block byte k at report byte k + 1), or a zonal count and values.
constexpr int kReportSize = 61;
constexpr quint8 kSetParameters = 4;
constexpr quint8 kSetFilter = 18;
constexpr quint8 kSetZoneA = 31;
constexpr quint8 kSetTracker = 35;
constexpr int kTouchThreshold = 5;
constexpr int kFilterLock = 30;
constexpr int kTrackerDeviation = 2;

QByteArray blockRequest(quint8 opcode, const QByteArray& block) {
    QByteArray report(kReportSize, '\0');
    report[2] = char(opcode);
    for (int k = 2; k < block.size() && k + 1 < kReportSize; ++k) {
        report[k + 1] = block.at(k);
    }
    return report;
}

QByteArray zoneRequest(const QByteArray& values) {
    QByteArray report(kReportSize, '\0');
    report[2] = char(kSetZoneA);
    report[3] = char(values.size());
    report.replace(4, values.size(), values);
    return report;
}

SimScenario quickScenario(const QString& items = QString()) {
    SimScenario scenario;
    scenario.latencyMs = 1;
    scenario.edgeIntervalMs = 5;
    scenario.softResetMs = 60;
    scenario.rebootMs = 100;
    scenario.applyArgument(items);
    return scenario;
}
}  // namespace

class tst_Cli : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // One run of the command line against `board`, quick and with keys of its own.
    Run run(VirtualController* board, QStringList arguments) {
        Run result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        CliRunner runner(out, err);
        CliLink::Timings timings;
        timings.queueMs = 2;
        timings.responseMs = 1;
        timings.answerWaitMs = 1000;
        timings.retryMs = 20;
        runner.setTimings(timings);
        runner.setUploadTickMs(20);
        runner.setInstanceKeys(m_semaphoreKey, m_memoryKey);
        runner.setVirtualController(board);
        arguments.prepend(QStringLiteral("tavirel-cli"));
        arguments << QStringLiteral("--simulate") << QStringLiteral("--timeout")
                  << QStringLiteral("2");
        result.exitCode = runner.run(arguments);
        out.flush();
        err.flush();
        return result;
    }

    ParameterSnapshot backup(VirtualController* board, const QString& file) {
        const Run result = run(board, {QStringLiteral("backup"), file});
        ParameterSnapshot snapshot;
        QString error;
        if (result.exitCode != 0 || !snapshot.load(file, &error)) {
            qWarning("backup failed: %s %s", qPrintable(result.err), qPrintable(error));
        }
        return snapshot;
    }

    // Changes one value in each parameter set of the board, as the window would.
    static void changeEverySet(VirtualController& board) {
        QByteArray block = board.parameterBlock();
        block[kTouchThreshold] = char(quint8(block.at(kTouchThreshold)) + 7);
        QVERIFY(board.receiveReport(blockRequest(kSetParameters, block)));
        QByteArray filter(60, '\0');
        filter[kFilterLock + 1] = 9;
        QVERIFY(board.receiveReport(blockRequest(kSetFilter, filter)));
        QByteArray tracker(60, '\0');
        tracker[kTrackerDeviation] = 5;
        QVERIFY(board.receiveReport(blockRequest(kSetTracker, tracker)));
        QVERIFY(board.receiveReport(zoneRequest(QByteArray(5, '\x11'))));
    }

    QString m_semaphoreKey;
    QString m_memoryKey;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        const QString suffix = QString::number(QCoreApplication::applicationPid());
        m_semaphoreKey = QStringLiteral("tst_Cli_semaphore_") + suffix;
        m_memoryKey = QStringLiteral("tst_Cli_memory_") + suffix;
        QVERIFY(m_dir.isValid());
    }

    void infoInBothForms() {
        VirtualController board(
            quickScenario(QStringLiteral("split=4024,calibrated=true,firmwareVersion=621")));
        const Run text = run(&board, {QStringLiteral("info")});
        QCOMPARE(text.exitCode, 0);
        for (const char* line :
             {"VID/PID:           25c8:0014", "Firmware:          621 (original 600)",
              "Split type:        4024 (40 + 24 wires)", "Parameter version: 1",
              "Calibration:       calibrated", "Orvello Tavirel Touch Controller"}) {
            QVERIFY2(text.out.contains(QLatin1String(line)), qPrintable(text.out));
        }
        const Run json = run(&board, {QStringLiteral("info"), QStringLiteral("--json")});
        QCOMPARE(json.exitCode, 0);
        const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(object.value(QStringLiteral("firmwareVersion")).toString(), QStringLiteral("621"));
        QCOMPARE(object.value(QStringLiteral("splitType")).toInt(), 4024);
        QCOMPARE(object.value(QStringLiteral("wiresB")).toInt(), 24);
        QCOMPARE(object.value(QStringLiteral("vendorId")).toString(), QStringLiteral("25c8"));
        QCOMPARE(object.value(QStringLiteral("calibration")).toString(),
                 QStringLiteral("calibrated"));
        // The edge stream the split check switched on is off again.
        QCOMPARE(quint8(board.parameterBlock().at(10)) & 0xF0, 0);
    }

    void restoreGivesBackEverySetByteForByte() {
        VirtualController board(quickScenario());
        const ParameterSnapshot before = backup(&board, path(QStringLiteral("before.json")));
        QVERIFY(!before.tracker.isEmpty());
        changeEverySet(board);
        const ParameterSnapshot changed = backup(&board, path(QStringLiteral("changed.json")));
        QVERIFY(changed.currentParameters != before.currentParameters);
        QVERIFY(changed.filter != before.filter);
        QVERIFY(changed.tracker != before.tracker);
        QVERIFY(changed.zoneFilterA != before.zoneFilterA);

        const Run restored =
            run(&board, {QStringLiteral("restore"), path(QStringLiteral("before.json"))});
        QVERIFY2(restored.exitCode == 0, qPrintable(restored.err));
        QVERIFY(backup(&board, path(QStringLiteral("after.json"))) == before);
    }

    void refusedBackupsWriteNothing_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("line");
        const QByteArray good = [] {
            ParameterSnapshot snapshot;
            snapshot.parameterVersion = 1;
            snapshot.currentParameters = QByteArray(58, '\x01');
            snapshot.filter = QByteArray(58, '\0');
            return snapshot.toJson();
        }();
        QTest::addRow("another parameter version")
            << QStringLiteral("paramVersion=0") << good
            << QStringLiteral(
                   "parameter version 1, the controller has version 0; nothing was "
                   "written");
        QByteArray badHex = good;
        badHex.replace("01 01", "01 0g");
        QTest::addRow("not hex") << QString() << badHex
                                 << QStringLiteral("\"currentParameters\" is missing or not hex");
        QByteArray newer = good;
        newer.replace("\"formatVersion\": 1", "\"formatVersion\": 2");
        QTest::addRow("newer format")
            << QString() << newer << QStringLiteral("format version 2 is not known");
        QTest::addRow("not JSON") << QString() << QByteArray("[{") << QStringLiteral("Not a");
    }
    void refusedBackupsWriteNothing() {
        QFETCH(QString, scenario);
        QFETCH(QByteArray, contents);
        QFETCH(QString, line);
        VirtualController board(quickScenario(scenario));
        QList<int> opcodes;
        connect(&board, &VirtualController::requestReceived,
                [&opcodes](int opcode) { opcodes << opcode; });
        const QString file = path(QStringLiteral("refused.json"));
        QVERIFY(OvuFile::write(file, contents));
        const Run result = run(&board, {QStringLiteral("restore"), file});
        QCOMPARE(result.exitCode, CliRunner::kFailure);
        QVERIFY2(result.err.contains(line), qPrintable(result.err));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        for (int set : {int(kSetParameters), int(kSetFilter), int(kSetTracker), int(kSetZoneA),
                        kSetZoneA + 1}) {
            QVERIFY2(!opcodes.contains(set), qPrintable(QString::number(set)));
        }
    }

    void uploadWithBackupKeepsTheParameters() {
        VirtualController board(quickScenario());
        changeEverySet(board);
        const ParameterSnapshot changed = backup(&board, path(QStringLiteral("old.json")));
        OvuFile image;
        image.version = 0x620;
        QVERIFY(image.write(path(QStringLiteral("620_4040.ovu"))));
        const Run upload =
            run(&board, {QStringLiteral("upload"), path(QStringLiteral("620_4040.ovu")),
                         QStringLiteral("--backup"), path(QStringLiteral("kept.json"))});
        QVERIFY2(upload.exitCode == 0, qPrintable(upload.err + upload.out));
        QCOMPARE(board.firmware().running().version, quint32(0x620));
        QVERIFY(upload.out.contains(QLatin1String("The Firmware is updated successfully")));
        QVERIFY(backup(&board, path(QStringLiteral("new.json"))) == changed);
    }

    void failuresExitWithTheirLine_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line");
        QTest::addRow("no controller")
            << QStringLiteral("unplugged") << QStringList{QStringLiteral("info")}
            << CliRunner::kFailure << QStringLiteral("No controller answered within 2 s.");
        QTest::addRow("silent controller")
            << QStringLiteral("silent") << QStringList{QStringLiteral("info")}
            << CliRunner::kFailure << QStringLiteral("The controller sent no parameters.");
        QTest::addRow("refused write")
            << QStringLiteral("ignore=4")
            << QStringList{QStringLiteral("restore"), QStringLiteral("changed")}
            << CliRunner::kFailure << QStringLiteral("did not take the current parameters");
        QTest::addRow("verification failed")
            << QStringLiteral("firmwareFailure=headerecho")
            << QStringList{QStringLiteral("upload"), QStringLiteral("image")} << CliRunner::kFailure
            << QStringLiteral("The upload of 620_4040.ovu failed:");
        QTest::addRow("update file for another sensor")
            << QStringLiteral("split=4024")
            << QStringList{QStringLiteral("upload"), QStringLiteral("image")} << CliRunner::kFailure
            << QStringLiteral("620_4040.ovu is not made for this sensor (split type 4024)");
        QTest::addRow("refused update file")
            << QString() << QStringList{QStringLiteral("upload"), QStringLiteral("missing.ovu")}
            << CliRunner::kFailure << QStringLiteral("missing.ovu: ");
        QTest::addRow("unknown command") << QString() << QStringList{QStringLiteral("frob")}
                                         << CliRunner::kUsage << QStringLiteral("Unknown command");
        QTest::addRow("record without seconds")
            << QString() << QStringList{QStringLiteral("record"), QStringLiteral("x.log")}
            << CliRunner::kUsage << QStringLiteral("record needs --seconds");
    }
    void failuresExitWithTheirLine() {
        QFETCH(QString, fault);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        {
            VirtualController source(quickScenario());
            changeEverySet(source);
            backup(&source, path(QStringLiteral("changed")));
        }
        OvuFile image;
        QVERIFY(image.write(path(QStringLiteral("620_4040.ovu"))));
        for (QString& argument : arguments) {
            if (argument == QLatin1String("changed")) {
                argument = path(argument);
            } else if (argument == QLatin1String("image")) {
                argument = path(QStringLiteral("620_4040.ovu"));
            }
        }
        const bool live = fault == QLatin1String("unplugged") || fault == QLatin1String("silent");
        VirtualController board(quickScenario(live ? QString() : fault));
        if (fault == QLatin1String("unplugged")) {
            board.unplug();
        } else if (fault == QLatin1String("silent")) {
            board.setSilent(true);
        }
        const Run result = run(&board, arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.contains(line), qPrintable(result.err));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    }

    void secondInstanceStandsBack() {
        SingleInstanceGuard window(m_semaphoreKey, m_memoryKey);
        QVERIFY(!window.isAnotherInstanceRunning());
        VirtualController board(quickScenario());
        QList<int> opcodes;
        connect(&board, &VirtualController::requestReceived,
                [&opcodes](int opcode) { opcodes << opcode; });
        const Run result = run(&board, {QStringLiteral("info")});
        QCOMPARE(result.exitCode, CliRunner::kFailure);
        QCOMPARE(result.err, QStringLiteral("Another application instance is already running\n"));
        QVERIFY(opcodes.isEmpty());
    }

    void recordingReplays() {
        VirtualController board(quickScenario());
        const QString file = path(QStringLiteral("traffic.log"));
        const Run result = run(&board, {QStringLiteral("record"), file, QStringLiteral("--seconds"),
                                        QStringLiteral("1")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        LogReplayer replayer;
        QVERIFY(replayer.deviceConnect(file, 0, 0));
        QList<QByteArray> reports;
        QTRY_VERIFY_WITH_TIMEOUT((reports += replayer.getData(), reports.size() > 20), 3000);
        QVERIFY(replayer.info() != nullptr);
        QCOMPARE(replayer.info()->vendorId, quint32(0x25C8));
        // Edge reports of both arrays were streamed while recording.
        int edges = 0;
        for (const QByteArray& report : reports) {
            edges += report.size() > 2 && (report.at(2) == 4 || report.at(2) == 5) ? 1 : 0;
        }
        QVERIFY(edges > 0);
    }

    // The built program itself, on its own virtual controller.
    void programAnswersOnTheConsole_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::addRow("info") << QStringList{QStringLiteral("info"), QStringLiteral("--json")} << 0
                              << QStringLiteral("\"splitType\": 4040");
        QTest::addRow("a missing backup")
            << QStringList{QStringLiteral("restore"), QStringLiteral("missing.json")}
            << CliRunner::kFailure << QStringLiteral("Cannot read missing.json");
    }
    void programAnswersOnTheConsole() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QProcess program;
        program.setWorkingDirectory(m_dir.path());
        // The guard's keys live in the temporary folder: one of its own keeps a window or
        // a test running elsewhere on this machine out of the way.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_dir.path());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TAVIREL_CLI), arguments << QStringLiteral("--simulate"));
        QVERIFY(program.waitForFinished(30000));
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2((exitCode == 0 ? out : err).contains(printed), qPrintable(out + err));
        QCOMPARE(err.count(QLatin1Char('\n')), exitCode == 0 ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
