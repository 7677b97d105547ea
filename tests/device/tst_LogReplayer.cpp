#include <QBuffer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/LogReplayer.h"
#include "LogSpy.h"
#include "TestDeviceKind.h"

namespace {
// The replay clock is driven by hand: `now` ms have elapsed while a replay runs.
class ManualClockReplayer : public LogReplayer {
public:
    qint64 now = 0;

protected:
    qint64 replayElapsedMs() const override {
        return LogReplayer::replayElapsedMs() < 0 ? -1 : now;
    }
};

const char kGetData[] = "In Function QList<QByteArray> HidApiIoDataProvider::getData(): ";
const char kDeviceInfo[] =
    "[D]{                   0}  DID 00000000 000025c8 00000014 00000000 0000003d 0000003d "
    "00000000 00001000 Ver:HidApiIoDataProvid \r\n\n";

// One record as the logger writes it on this platform.
QByteArray record(const char* tag, int ms, const QByteArray& text) {
    return QByteArray(tag) + "{" + QByteArray::number(ms).rightJustified(20, ' ') + "} " + text +
           "\r\n\n";
}

QByteArray received(int ms, const QByteArray& hex) {
    return record("[D]", ms,
                  QByteArray(kGetData) + "Received " + QByteArray::number(hex.size() / 2) +
                      " bytes, Hex Data: " + hex);
}

// 61 bytes: report id 1, frame byte 0, response code, then 58 times `fill`.
QByteArray reportHex(const char* codeHex, const char* fillHex) {
    return QByteArray("0100") + codeHex + QByteArray(fillHex).repeated(58);
}
}  // namespace

class tst_LogReplayer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ManualClockReplayer> m_replayer;

    QString writeLog(const QByteArray& contents) {
        static int counter = 0;
        const QString path = m_dir.filePath(QStringLiteral("replay%1.log").arg(++counter));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
            return QString();
        }
        return path;
    }

    void open(const QByteArray& contents) {
        const QString path = writeLog(contents);
        QVERIFY(!path.isEmpty());
        QVERIFY(m_replayer->deviceConnect(path, 0, 0));
    }

    // Polls until a non-empty report arrives or `limit` polls passed; the reports seen.
    QList<QByteArray> poll(int times) {
        QList<QByteArray> reports;
        for (int i = 0; i < times; ++i) {
            for (const QByteArray& report : m_replayer->getData()) {
                if (!report.isEmpty()) {
                    reports.append(report);
                }
            }
        }
        return reports;
    }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_replayer = std::make_unique<ManualClockReplayer>();
    }
    void cleanup() { m_replayer.reset(); }

    void nothingBeforeTheRecordedMillisecond() {
        open(QByteArray(kDeviceInfo) + received(1500, reportHex("03", "5a")));
        // The information line names the device from the moment of connecting.
        QVERIFY(m_replayer->info() != nullptr);
        QVERIFY(poll(3).isEmpty());
        QCOMPARE(m_replayer->info()->vendorId, 0x25C8u);
        QCOMPARE(m_replayer->info()->inputLength, 61u);
        m_replayer->now = 1500;
        QVERIFY(poll(3).isEmpty());
        m_replayer->now = 1501;
        const QList<QByteArray> reports = poll(1);
        QCOMPARE(reports, QList<QByteArray>{QByteArray::fromHex(reportHex("03", "5a"))});
        QCOMPARE(reports.at(0).size(), 61);
    }

    // Every entry that has fallen due comes in one poll, so a dense log keeps its schedule.
    void dueEntriesComeTogether() {
        open(received(100, "0100030a") + received(100, "0100030b") + received(200, "0100030c"));
        m_replayer->now = 150;
        QCOMPARE(m_replayer->getData(), (QList<QByteArray>{QByteArray::fromHex("0100030a"),
                                                           QByteArray::fromHex("0100030b")}));
        QCOMPARE(m_replayer->getData(), QList<QByteArray>());
        m_replayer->now = 201;
        QCOMPARE(m_replayer->getData(), QList<QByteArray>{QByteArray::fromHex("0100030c")});
        QVERIFY(!m_replayer->isCompleted());
        QVERIFY(m_replayer->getData().isEmpty());
        QVERIFY(m_replayer->isCompleted());
    }

    // Skipping ahead delivers what was passed over at once; a skip before the replay
    // starts changes nothing.
    void skipAheadDeliversThePassedEntries() {
        LogReplayer replayer;
        replayer.skipAhead(60000);
        QVERIFY(replayer.deviceConnect(
            writeLog(received(30000, "0a01") + received(59000, "0a02") + received(600000, "0a03")),
            0, 0));
        QVERIFY(replayer.getData().isEmpty());
        replayer.skipAhead(60000);
        QCOMPARE(replayer.getData(),
                 (QList<QByteArray>{QByteArray::fromHex("0a01"), QByteArray::fromHex("0a02")}));
        QVERIFY(replayer.getData().isEmpty());
        QVERIFY(!replayer.isCompleted());
    }

    void otherLinesAreMessagesAtTheirTime() {
        const QByteArray line =
            record("[I]", 50, "In Function void SetOperations::queryData(): Request sent");
        open(line + received(60, "01000301"));
        QSignalSpy messages(m_replayer.get(), &LogReplayer::message);
        m_replayer->getData();
        m_replayer->now = 50;
        m_replayer->getData();
        QCOMPARE(messages.count(), 0);
        m_replayer->now = 51;
        // The message yields one empty report, which the dispatcher ignores.
        QCOMPARE(m_replayer->getData(), QList<QByteArray>{QByteArray()});
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(0).toString(), QString::fromLatin1(line.left(line.size() - 3)));
        m_replayer->now = 61;
        QCOMPARE(poll(1), QList<QByteArray>{QByteArray::fromHex("01000301")});
    }

    void windowsLogReplays() {
        const QByteArray log =
            "[D]{                   3} In Function void __cdecl "
            "FormSensThresholdEditor::on_buttonRecord_clicked(void):  DID 00000000 0000102e "
            "00000014 00000000 0000003d 0000003d 00000000 00001000 Ver:HidApiIoDataProvid "
            "\r\n\r\n"
            "[I]{                  12} In Function void __cdecl "
            "DeviceEventDispatcher::m_setNewState(int): State Changed from 0 to 1\r\n\r\n"
            "[D]{                  40} In Function class QList<class QByteArray> __cdecl "
            "HidApiIoDataProvider::getData(void): Received 5 bytes, Hex Data: 01fe150a0b\r\n\r\n";
        open(log);
        QSignalSpy messages(m_replayer.get(), &LogReplayer::message);
        m_replayer->now = 100;
        QCOMPARE(poll(6), QList<QByteArray>{QByteArray::fromHex("01fe150a0b")});
        QCOMPARE(m_replayer->info() ? m_replayer->info()->vendorId : 0u, 0x102Eu);
        QCOMPARE(messages.count(), 1);
        QVERIFY(messages.at(0).at(0).toString().endsWith(QStringLiteral("from 0 to 1")));
        QVERIFY(m_replayer->isCompleted());
    }

    void badInputIsSkippedOrZeroed_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addRow("non-hex pairs give zero bytes")
            << received(1, "01zz03g1") << QList<QByteArray>{QByteArray::fromHex("01000300")};
        QTest::addRow("dangling half pair is dropped")
            << received(1, "0100037") << QList<QByteArray>{QByteArray::fromHex("010003")};
        QTest::addRow("trailing blanks are not data")
            << received(1, "010003 \t") << QList<QByteArray>{QByteArray::fromHex("010003")};
        QTest::addRow("malformed stamps are skipped")
            << QByteArray("[D]{        12x} In Function getData: Hex Data: 0102\r\n\n") + "[D]{" +
                   QByteArray(25, ' ') + "} getData Hex Data: 0304\r\n\n" + "[D]{ 5\r\n\n" +
                   received(2, "0506")
            << QList<QByteArray>{QByteArray::fromHex("0506")};
        QTest::addRow("data line without hex")
            << record("[D]", 1, QByteArray(kGetData) + "Received 0 bytes, Hex Data: ")
            << QList<QByteArray>{};
        QTest::addRow("unreadable information line")
            << record("[D]", 0, " DID 00000000 000025c8 00000014 Ver:x ") + received(1, "0102")
            << QList<QByteArray>{QByteArray::fromHex("0102")};
        QTest::addRow("trailing junk after the last entry")
            << received(10, "01000301") + "no stamp\r\n\n[I]{   bad stamp here  } x\n"
            << QList<QByteArray>{QByteArray::fromHex("01000301")};
        QTest::addRow("empty file") << QByteArray() << QList<QByteArray>{};
    }
    void badInputIsSkippedOrZeroed() {
        QFETCH(QByteArray, log);
        QFETCH(QList<QByteArray>, reports);
        open(log);
        m_replayer->now = 1000;
        QCOMPARE(poll(8), reports);
        QVERIFY(m_replayer->info() == nullptr);
        QVERIFY(m_replayer->isCompleted());
    }

    // A received line padded with hex pairs to exactly `length` bytes before its line end.
    static QByteArray receivedOfLength(int ms, int length) {
        const QByteArray line = received(ms, "0102");
        const int body = line.size() - 3;  // without "\r\n\n"
        return line.left(body) + QByteArray("ab").repeated((length - body) / 2) +
               QByteArray((length - body) % 2, ' ') + "\r\n\n";
    }

    void oversizedOrUnfitInputIsRefused_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("reportSize");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("warnings");
        const int bound = LogReplayer::kMaxLineLength;
        QTest::addRow("line at the bound is read")
            << receivedOfLength(5, bound) << 2 + (bound - (received(5, "0102").size() - 3)) / 2
            << QString() << 0;
        QTest::addRow("lines over the bound are skipped whole")
            << receivedOfLength(5, bound + 1) + receivedOfLength(6, 3 * bound) + received(7, "0a0b")
            << 2 << QStringLiteral("Skipping a replayed line longer than 16384 bytes.") << 2;
        QTest::addRow("information below a whole report is refused")
            << QByteArray(kDeviceInfo).replace("0000003d 0000003d", "00000002 0000003d") +
                   received(7, "0a0b")
            << 2
            << QStringLiteral(
                   "Device information refused, input length 2 is below a whole "
                   "report of 61 bytes.")
            << 1;
    }
    void oversizedOrUnfitInputIsRefused() {
        QFETCH(QByteArray, log);
        QFETCH(int, reportSize);
        QFETCH(QString, warning);
        QFETCH(int, warnings);
        LogSpy spy;
        open(log);
        m_replayer->now = 1000;
        const QList<QByteArray> reports = poll(10);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports.at(0).size(), reportSize);
        QCOMPARE(reports.at(0).left(2), QByteArray::fromHex(reportSize == 2 ? "0a0b" : "0102"));
        QVERIFY(m_replayer->info() == nullptr);
        QCOMPARE(spy.messages(SillyLogger::Warning).count(warning), warnings);
        QVERIFY(m_replayer->isCompleted());
    }

    void missingFileIsRefused() {
        LogSpy log;
        QVERIFY(!m_replayer->deviceConnect(m_dir.filePath(QStringLiteral("absent.log")), 0, 0));
        QVERIFY(!m_replayer->deviceConnect(QString(), 0, 0));
        QVERIFY(m_replayer->getData().isEmpty());
        QVERIFY(!m_replayer->isCompleted());
        QCOMPARE(log.countContaining(SillyLogger::Warning, QStringLiteral("does not exist")), 2);
    }

    // A log in memory plays like the same log from a file, and is let go when done.
    void openDeviceReplaysLikeAFile() {
        QByteArray contents = QByteArray(kDeviceInfo) + received(5, "0100030a");
        QBuffer log(&contents);
        QVERIFY(!m_replayer->replay(&log));  // not open for reading
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(m_replayer->replay(&log));
        m_replayer->now = 10;
        QCOMPARE(poll(4), QList<QByteArray>{QByteArray::fromHex("0100030a")});
        QVERIFY(m_replayer->info() != nullptr);
        QVERIFY(m_replayer->isCompleted());
        QVERIFY(m_replayer->getData().isEmpty());
    }

    void reconnectReplaysFromTheStart() {
        open(received(5, "0a0b"));
        m_replayer->now = 10;
        QCOMPARE(poll(3), QList<QByteArray>{QByteArray::fromHex("0a0b")});
        QVERIFY(m_replayer->reconnect());
        QVERIFY(!m_replayer->isCompleted());
        QCOMPARE(poll(3), QList<QByteArray>{QByteArray::fromHex("0a0b")});
        QVERIFY(m_replayer->close());
        QVERIFY(!m_replayer->isCompleted());
    }

    // A replay asks nothing, so no request starts the dispatcher's polls: choosing the
    // replayer does.
    void aChosenReplayerIsPolled() {
        DeviceEventDispatcher dispatcher;
        LogReplayer replayer;
        dispatcher.registerDeviceIoDataProvider(&replayer);
        dispatcher.setDeviceIoDataProvider(replayer.name());
        QSignalSpy completed(&dispatcher, &DeviceEventDispatcher::LoggingCompleted);
        QVERIFY(replayer.deviceConnect(writeLog(received(1, "0a0b")), 0, 0));
        QVERIFY(completed.wait(5000));
        dispatcher.StopCommunication();
    }

    void dispatcherRoutesTheWholeReplay() {
        DeviceEventDispatcher dispatcher;
        auto* kind = new TestDeviceKind(dispatcher.deviceBridge());
        dispatcher.registerDeviceKind(kind);
        dispatcher.registerDeviceIoDataProvider(m_replayer.get());
        QCOMPARE(dispatcher.setDeviceIoDataProvider(QStringLiteral("LogReplayer")),
                 m_replayer.get());
        open(QByteArray(kDeviceInfo) + received(20, reportHex("02", "41")) +
             received(30, reportHex("03", "42")));
        QSignalSpy completed(&dispatcher, &DeviceEventDispatcher::LoggingCompleted);
        m_replayer->now = 100;
        for (int tick = 0; tick < 8 && completed.isEmpty(); ++tick) {
            dispatcher.checkNewDataArrived();
        }
        QCOMPARE(completed.count(), 1);
        QCOMPARE(kind->delegate(QStringLiteral("Beta"))->packets,
                 QList<QByteArray>{QByteArray::fromHex(reportHex("02", "41")).mid(1)});
        // The last report of the log is routed before completion is announced.
        QCOMPARE(kind->delegate(QStringLiteral("Alpha"))->packets,
                 QList<QByteArray>{QByteArray::fromHex(reportHex("03", "42")).mid(1)});
        QVERIFY(!m_replayer->isCompleted());  // the dispatcher closed it
    }
};

QTEST_GUILESS_MAIN(tst_LogReplayer)
#include "tst_LogReplayer.moc"
