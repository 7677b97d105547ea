#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "logging/SillyLogger.h"
#include "device/LogReplayer.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "sensitivity/FormSensThreshEditor.h"
#include "troubleshoot/GLtexturewidget.h"
#include "tests/support/SimRig.h"

// The graph window records the live traffic of the virtual controller, and the log
// replays into the same pictures.
class tst_GraphRecordReplayFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void cleanupTestCase() {
        SillyLogger::instance()->stop();
        SillyLogger::instance()->setLevel(0);
    }

    void recordingReplaysIntoTheSameFrames() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("scan.log"));

        ScanHeatMapModel::Grid recordedA{};
        ScanHeatMapModel::Grid recordedB{};
        {
            SimRig rig;
            QVERIFY(rig.connectBoard());
            QPointer<FormSensThreshEditor> editor(
                new FormSensThreshEditor(&rig.dispatcher, &rig.ops));
            editor->setLoggingQuestion(
                [](QWidget*) { return FormSensThreshEditor::LoggingAnswer::Dismissed; });
            editor->setSaveFileChooser(
                [path](QWidget*, const QString&, const QString&) { return path; });
            auto* scan = rig.delegate<ResponseDelegateProcessedScan>("ProcessedScan");
            QVERIFY(scan != nullptr);
            QSignalSpy linesA(
                scan, QOverload<QByteArray, bool, int>::of(&ResponseDelegateProcessedScan::scanA));
            QVERIFY(linesA.wait(SimRig::kWaitMs));

            editor->on_buttonRecordLog_pressed();
            QVERIFY(editor->isRecording());
            linesA.clear();
            // Two full sweeps of array A at least.
            QTRY_VERIFY_WITH_TIMEOUT(linesA.size() >= 100, 10 * SimRig::kWaitMs);
            editor->on_buttonStopLog_pressed();
            QVERIFY(!editor->isRecording());
            recordedA = editor->heatMap()->model().grid(ScanHeatMapModel::ArrayA);
            recordedB = editor->heatMap()->model().grid(ScanHeatMapModel::ArrayB);
            editor->close();
            QTRY_VERIFY(editor.isNull());
        }

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray firstLine = file.readLine();
        QVERIFY2(firstLine.startsWith("[D]") && firstLine.contains(" DID "), firstLine.constData());
        file.close();

        // Replay into a dispatcher that knows no device yet: the log names it.
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        LogReplayer replayer;
        dispatcher.registerDeviceIoDataProvider(&replayer);
        dispatcher.setDeviceIoDataProvider(replayer.name());
        dispatcher.setDefaultTimeIntervals(2, 1);
        QVERIFY(replayer.deviceConnect(path, 0, 0));
        QVERIFY(dispatcher.takeDeviceKindFromProvider());
        SetOperations operations(&dispatcher);
        QSignalSpy completed(&dispatcher, &DeviceEventDispatcher::LoggingCompleted);
        QPointer<FormSensThreshEditor> editor(new FormSensThreshEditor(&dispatcher, &operations));
        QVERIFY(editor->isReplay());
        QVERIFY(!editor->areStepButtonsEnabled());
        QVERIFY(completed.wait(10 * SimRig::kWaitMs));
        QVERIFY(editor->heatMap()->model().grid(ScanHeatMapModel::ArrayA) == recordedA);
        QVERIFY(editor->heatMap()->model().grid(ScanHeatMapModel::ArrayB) == recordedB);
        // Nothing was asked of a device that is not there.
        QCOMPARE(dispatcher.queuedCommandCount(), 0);
        editor->close();
        QTRY_VERIFY(editor.isNull());
        dispatcher.StopCommunication();
    }
};

QTEST_MAIN(tst_GraphRecordReplayFlow)
#include "tst_GraphRecordReplayFlow.moc"
