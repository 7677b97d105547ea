#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "device/LogReplayer.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "operations/SetOperations.h"
#include "firmware/CompareFirmwareVersions.h"
#include "firmware/FirmwareSplitType.h"
#include "firmware/FirmwareUploader.h"
#include "firmware/FormFirmwareUpdate.h"
#include "app/BoardStartSequence.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/MiscFiles.h"
#include "resources/AppResources.h"
#include "tests/support/OvuFile.h"
#include "../app/RecordingPrompt.h"
#include "../app/SimulatedDevice.h"
#include "LogSpy.h"

// The board start as a technician meets it: the controller answers, the tool measures the
// sensor, reads the firmware header, compares it with the delivered firmware, offers an
// upgrade or goes on to the first-run wizard, and only then comes up.
//
// The device link, the operations and the board start are once per process, so every
// start runs in a process of its own (this executable with "--start <case> <folder>"),
// in a working folder holding the case's delivered firmware. Settings persist between
// the starts, as they do between two runs of the tool.

namespace {
// How long a start may take on a loaded machine; a start that works takes a second or two.
constexpr int kWaitMs = 30000;

struct StartCase {
    const char* name;
    int wiresB;
    quint32 runningVersion;
    QStringList delivered;  // newest first
    QMessageBox::StandardButton answer;
    bool remember;
    int offeredVersion;        // -1: no question
    const char* uploadedFile;  // reaches the upload entry point; "" none
    bool firstRunWizard;       // reaches the wizard entry point
};

const QList<StartCase>& startCases() {
    static const QList<StartCase> cases = {
        {"offer620",
         40,
         0x615,
         {"620_4040.ovu"},
         QMessageBox::Yes,
         false,
         620,
         "620_4040.ovu",
         false},
        {"same615", 40, 0x615, {"615_4040.ovu"}, QMessageBox::Yes, false, -1, "", true},
        {"letter61A", 40, 0x61A, {"100_4040.ovu"}, QMessageBox::No, false, 100, "", true},
        {"split4024", 24, 0x615, {"620_4040.ovu"}, QMessageBox::Yes, false, -1, "", true},
        {"newerOtherSplit",
         40,
         0x615,
         {"700_4024.ovu", "620_4040.ovu"},
         QMessageBox::Yes,
         false,
         620,
         "620_4040.ovu",
         false},
        {"onlyOtherSplit", 40, 0x615, {"700_4024.ovu"}, QMessageBox::Yes, false, -1, "", true},
        {"rememberNo", 40, 0x615, {"620_4040.ovu"}, QMessageBox::No, true, 620, "", true},
        {"nextStart", 40, 0x615, {"620_4040.ovu"}, QMessageBox::Yes, false, -1, "", true},
    };
    return cases;
}

const StartCase* findCase(const QString& name) {
    for (const StartCase& start : startCases()) {
        if (name == QLatin1String(start.name)) {
            return &start;
        }
    }
    return nullptr;
}

void useTestSettings() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
    QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
}

// Short periods everywhere but the tool's own fixed delays.
void quickenTheLink() {
    DeviceEventDispatcher::instance()->setDefaultTimeIntervals(5, 2);
    SetOperations::Periods periods;
    periods.retryMs = 20;
    periods.quickRetryMs = 20;
    periods.testModeRetryMs = 20;
    periods.diagInTestModeRetryMs = 20;
    periods.slowInTestModeRetryMs = 20;
    SetOperations::instance()->setPeriods(periods);
}

// Steps that wait long enough for a loaded machine; a start that works never waits one out.
BoardStartSequence::Timings patientTimings() {
    BoardStartSequence::Timings timings;
    timings.firstBlock = timings.wireCounts = timings.firmwareHeader = {kWaitMs / 3, 3};
    return timings;
}

// A replay log written by hand: the device line, then reports with their arrival times.
QByteArray replayRecord(int ms, const QByteArray& reportHex) {
    return "[D]{" + QByteArray::number(ms).rightJustified(20, ' ') +
           "} In Function QList<QByteArray> HidApiIoDataProvider::getData(): Received " +
           QByteArray::number(reportHex.size() / 2) + " bytes, Hex Data: " + reportHex + "\r\n\n";
}

QByteArray replayLog() {
    // Report id 01, frame 00, then the response code and its data, zero-filled to 61.
    auto report = [](const char* hex) { return QByteArray(hex).leftJustified(122, '0'); };
    // 39 edge values of 0x30 on A (code 04) and on B (code 05): a 40/40 sensor.
    const QByteArray edges = QByteArray("30").repeated(39);
    return QByteArray(
               "[D]{                   0}  DID 00000000 000025c8 00000014 00000000 0000003d "
               "0000003d 00000000 00001000 Ver:HidApiIoDataProvid \r\n\n") +
           replayRecord(10, report("010003")) +
           replayRecord(20, report("0100040000270000" + edges)) +
           replayRecord(30, report("0100050000270000" + edges)) +
           replayRecord(40, report("0100040000270000" + edges)) +
           replayRecord(50, report("0100050000270000" + edges));
}

int wizardRuns(const LogSpy& log, const QString& line) {
    return log.countContaining(SillyLogger::Information, line);
}

}  // namespace

// One board start in this process.
class OneBoardStart : public QObject {
    Q_OBJECT

public:
    OneBoardStart(QString caseName, QString folder)
        : m_caseName(std::move(caseName)), m_folder(std::move(folder)) {}

private:
    QString m_caseName;
    QString m_folder;
    RecordingPrompt m_prompt;

private slots:
    void initTestCase() {
        useTestSettings();
        QVERIFY(QDir::setCurrent(m_folder));
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
        DeviceEventDispatcher::instance()->registerDeviceKind(new PomelarKind);
        quickenTheLink();
    }

    void cleanupTestCase() { UserPrompt::install(nullptr); }

    void boardStart() {
        if (m_caseName == QLatin1String("replay")) {
            replayedStart();
            return;
        }
        const StartCase* start = findCase(m_caseName);
        QVERIFY2(start != nullptr, qPrintable(m_caseName));
        SimScenario scenario;
        scenario.wiresB = start->wiresB;
        scenario.firmwareVersion = start->runningVersion;
        scenario.latencyMs = 1;
        scenario.edgeIntervalMs = 5;
        scenario.softResetMs = 50;
        scenario.rebootMs = 100;
        SimulatedDevice device(scenario);
        QVERIFY(DeviceEventDispatcher::instance()->firstConnection());
        m_prompt.button = start->answer;
        m_prompt.checkBoxChecked = start->remember;
        LogSpy log;

        MainBreadcrumbedWindow window;
        window.boardStartSequence()->setTimings(patientTimings());
        window.show();
        QSignalSpy versionQuery(&window, &MainBreadcrumbedWindow::finishedVersionQuery);
        QVERIFY(!window.isEnabled());
        QVERIFY(versionQuery.wait(kWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(window.isEnabled(), kWaitMs);
        QVERIFY(window.isIndicatorOn());
        QCOMPARE(FirmwareInformation::instance().splitType(), start->wiresB == 40 ? 4040 : 4024);

        // The question, when one is due.
        QCOMPARE(m_prompt.questions.size(), start->offeredVersion < 0 ? 0 : 1);
        if (start->offeredVersion >= 0) {
            QCOMPARE(
                m_prompt.questions.first().informativeText,
                QStringLiteral("Would you like to upgarde to v.%1 ?").arg(start->offeredVersion));
        }

        // Yes leads to the upload of the offered file, No (or nothing to offer) to the
        // first-run wizard once the monitor flags are cleared.
        if (qstrlen(start->uploadedFile) > 0) {
            const QString path =
                QDir::currentPath() + QStringLiteral("/Firmware/") + start->uploadedFile;
            QTRY_VERIFY_WITH_TIMEOUT(window.miscFiles()->firmwareUpdateDialog() != nullptr,
                                     kWaitMs);
            FormFirmwareUpdate* dialog = window.miscFiles()->firmwareUpdateDialog();
            QCOMPARE(dialog->fileName(), path);
            QSignalSpy uploaded(dialog->uploader(), &FirmwareUploader::uploadFinished);
            QVERIFY(uploaded.wait(kWaitMs));
            QCOMPARE(uploaded.first().first().toBool(), true);
            QCOMPARE(device.controller.firmware().running().version, 0x620u);
            // Nothing more was asked: no second question, no file dialog.
            QCOMPARE(m_prompt.questions.size(), 1);
            QVERIFY(m_prompt.fileQuestions.isEmpty());
            dialog->close();
        }
        const QString wizard = QStringLiteral("Starting the setup wizard.");
        if (start->firstRunWizard) {
            QTRY_COMPARE_WITH_TIMEOUT(wizardRuns(log, wizard), 1, kWaitMs);
        }
        // The edge stream the measurement needed is off again.
        ResponseDelegateCurrentParameters* parameters =
            qobject_cast<ResponseDelegateCurrentParameters*>(
                DeviceEventDispatcher::instance()->responseDelegate(
                    QStringLiteral("CurrentParameters")));
        QTRY_VERIFY_WITH_TIMEOUT(!parameters->isMonitorEdgeA() && !parameters->isMonitorEdgeB(),
                                 kWaitMs);
        // Neither path leads to the other.
        QCOMPARE(wizardRuns(log, wizard), start->firstRunWizard ? 1 : 0);
        QCOMPARE(window.setupWizard() != nullptr, start->firstRunWizard);
        if (qstrlen(start->uploadedFile) == 0) {
            QVERIFY(window.miscFiles()->firmwareUpdateDialog() == nullptr);
        }
        DeviceEventDispatcher::instance()->StopCommunication();
    }

private:
    void replayedStart() {
        QFile file(QStringLiteral("recorded.log"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(replayLog());
        file.close();
        LogReplayer replayer;
        DeviceEventDispatcher* dispatcher = DeviceEventDispatcher::instance();
        dispatcher->registerDeviceIoDataProvider(&replayer);
        dispatcher->setDeviceIoDataProvider(replayer.name());
        // The kind of the recorded controller, as its device line names it.
        QVERIFY(dispatcher->setDeviceKind(PomelarKind::kOrvelloVid, PomelarKind::kOrvelloPid));

        MainBreadcrumbedWindow window;
        QSignalSpy completed(dispatcher, &DeviceEventDispatcher::LoggingCompleted);
        QVERIFY(replayer.deviceConnect(file.fileName(), 0, 0));
        QVERIFY(completed.wait(kWaitMs));

        // The recorded parameters started the board, but the recorded edges measure nothing
        // and no firmware header is asked for.
        QVERIFY(window.firmwareVersionCheck() != nullptr);
        QVERIFY(!window.firmwareVersionCheck()->firmwareSplitType()->isStarted());
        QCOMPARE(window.firmwareVersionCheck()->firmwareSplitType()->aWireCount(), 0);
        QCOMPARE(FirmwareInformation::instance().splitType(), 0);
        QCOMPARE(FirmwareInformation::instance().currentFirmwareVersion(), QString());
        QVERIFY(m_prompt.questions.isEmpty());
        dispatcher->StopCommunication();
    }
};

class tst_BoardStartFlow : public QObject {
    Q_OBJECT

private:
    // Runs one start in a new process; its QtTest output is shown when it fails.
    void runStart(const QString& caseName, const QStringList& delivered) {
        QTemporaryDir folder(QDir::current().filePath(QStringLiteral("start-XXXXXX")));
        QVERIFY(folder.isValid());
        if (!delivered.isEmpty()) {
            QDir work(folder.path());
            QVERIFY(work.mkdir(QStringLiteral("Firmware")));
            const QDateTime now = QDateTime::currentDateTime();
            for (int i = 0; i < delivered.size(); ++i) {
                // An image of the version the name gives.
                OvuFile image;
                image.version = delivered.at(i).section(QLatin1Char('_'), 0, 0).toUInt(nullptr, 16);
                QFile out(work.filePath(QStringLiteral("Firmware/") + delivered.at(i)));
                QVERIFY(out.open(QIODevice::WriteOnly));
                QVERIFY(out.write(image.text()) > 0);
                QVERIFY(
                    out.setFileTime(now.addSecs(-60 * (i + 1)), QFileDevice::FileModificationTime));
            }
        }
        QProcess start;
        start.setProcessChannelMode(QProcess::MergedChannels);
        start.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--start"), caseName, folder.path()});
        QVERIFY(start.waitForFinished(4 * kWaitMs));
        const QByteArray output = start.readAll();
        QVERIFY2(start.exitStatus() == QProcess::NormalExit && start.exitCode() == 0,
                 output.constData());
    }

    static QVariant stored(const char* key) { return QSettings().value(QString::fromLatin1(key)); }

private slots:
    void initTestCase() {
        useTestSettings();
        QSettings().clear();
    }
    void cleanupTestCase() { QSettings().clear(); }

    void startsWithDeliveredFirmware_data() {
        QTest::addColumn<QString>("caseName");
        for (const StartCase& start : startCases()) {
            QTest::newRow(start.name) << QString::fromLatin1(start.name);
        }
    }
    void startsWithDeliveredFirmware() {
        QFETCH(QString, caseName);
        // The next start follows the remembered No; every other start begins afresh.
        if (caseName != QLatin1String("nextStart")) {
            QSettings().clear();
        }
        runStart(caseName, findCase(caseName)->delivered);
        QSettings().sync();
        if (caseName == QLatin1String("rememberNo") || caseName == QLatin1String("nextStart")) {
            QCOMPARE(stored("VersionValue/minUiRepoFlag"), QVariant(false));
            QCOMPARE(stored("VersionValue/FirstConfiguration"), QVariant(true));
        } else {
            QVERIFY(!stored("VersionValue/FirstConfiguration").isValid());
        }
    }

    void aReplayedLogNeverStartsTheWireCheck() {
        QSettings().clear();
        runStart(QStringLiteral("replay"), {QStringLiteral("620_4040.ovu")});
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--start")) {
        OneBoardStart start(arguments.at(2), arguments.at(3));
        return QTest::qExec(&start, QStringList{arguments.at(0)});
    }
    tst_BoardStartFlow flow;
    return QTest::qExec(&flow, argc, argv);
}

#include "tst_BoardStartFlow.moc"
