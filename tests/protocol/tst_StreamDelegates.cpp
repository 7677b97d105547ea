#include <QtTest>

#include <memory>

#include "logging/LogMacros.h"
#include "protocol/ResponseDelegateOutputDiagnostics.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/ResponseDelegateVersionAndCopyright.h"
#include "protocol/StoredWireCounts.h"

namespace {
QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// Every message the logger would write while the spy lives.
class LogCapture {
public:
    LogCapture() : m_spy(SillyLogger::instance(), &SillyLogger::logMessageSignal) {
        SillyLogger::instance()->setFilter(0xFF);
    }
    ~LogCapture() { SillyLogger::instance()->setFilter(0); }
    bool contains(const QString& text) const {
        for (const QList<QVariant>& call : m_spy) {
            if (call.at(1).toString().contains(text)) {
                return true;
            }
        }
        return false;
    }

private:
    QSignalSpy m_spy;
};
}  // namespace

class tst_StreamDelegates : public QObject {
    Q_OBJECT

private slots:
    void init() { StoredWireCounts::reset(); }

    void understoodCodes_data() {
        QTest::addColumn<QString>("delegateName");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<bool>("understood");
        QTest::addRow("edge A") << "ProcessedEdge" << hex("0004") << true;
        QTest::addRow("edge B") << "ProcessedEdge" << hex("0005") << true;
        QTest::addRow("edge rejects 6") << "ProcessedEdge" << hex("0006") << false;
        QTest::addRow("edge rejects short") << "ProcessedEdge" << hex("04") << false;
        QTest::addRow("scan A") << "ProcessedScan" << hex("0008") << true;
        QTest::addRow("scan B") << "ProcessedScan" << hex("0009") << true;
        QTest::addRow("scan rejects 12") << "ProcessedScan" << hex("000c") << false;
        QTest::addRow("diag A") << "OutputDiagnostics" << hex("0028") << true;
        QTest::addRow("diag B") << "OutputDiagnostics" << hex("0029") << true;
        QTest::addRow("diag rejects 42") << "OutputDiagnostics" << hex("002a") << false;
        QTest::addRow("version") << "VersionAndCopyright" << hex("0001") << true;
        QTest::addRow("copyright") << "VersionAndCopyright" << hex("0002") << true;
        QTest::addRow("version rejects 3") << "VersionAndCopyright" << hex("0003") << false;
        QTest::addRow("version rejects empty") << "VersionAndCopyright" << QByteArray() << false;
    }
    void understoodCodes() {
        QFETCH(QString, delegateName);
        QFETCH(QByteArray, packet);
        QFETCH(bool, understood);
        const std::vector<std::shared_ptr<DeviceResponseDelegate>> delegates{
            std::make_shared<ResponseDelegateProcessedEdge>(),
            std::make_shared<ResponseDelegateProcessedScan>(),
            std::make_shared<ResponseDelegateOutputDiagnostics>(),
            std::make_shared<ResponseDelegateVersionAndCopyright>()};
        bool found = false;
        for (const auto& delegate : delegates) {
            if (delegate->name() == delegateName) {
                found = true;
                QCOMPARE(delegate->isUnderstood(packet), understood);
            }
        }
        QVERIFY(found);
    }

    void edgeTrimming_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("samples");
        QTest::addRow("three of ten") << hex("000400000300000a0b0c0d0e0f10111213") << hex("0a0b0c");
        QTest::addRow("count 0") << hex("00040000000000ffff") << QByteArray();
        QTest::addRow("exactly n") << hex("000400000200000102") << hex("0102");
        QTest::addRow("count beyond report") << hex("00040000090000aabb") << hex("aabb");
        QTest::addRow("header only") << hex("00040000030000") << QByteArray();
        QTest::addRow("no count byte") << hex("0004") << QByteArray();
        QTest::addRow("full 60 bytes, 40 wires")
            << hex("000400002800000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
                   "202122232425262728ffffffffffffffffffffffffff")
            << hex("0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f2021222324252627"
                   "28");
    }
    void edgeTrimming() {
        QFETCH(QByteArray, report);
        QFETCH(QByteArray, samples);
        ResponseDelegateProcessedEdge delegate;
        QSignalSpy edgeA(&delegate, &ResponseDelegateProcessedEdge::edgeA);
        QSignalSpy edgeB(&delegate, &ResponseDelegateProcessedEdge::edgeB);
        delegate.addData(report);
        delegate.execute();
        QCOMPARE(delegate.data(), report);
        QCOMPARE(edgeA.count(), 1);
        QCOMPARE(edgeB.count(), 0);
        QCOMPARE(edgeA.at(0).at(0).toByteArray(), samples);
    }

    void edgeRoutesArraysAndFinishesWireCheckOnce() {
        ResponseDelegateProcessedEdge delegate;
        QSignalSpy edgeA(&delegate, &ResponseDelegateProcessedEdge::edgeA);
        QSignalSpy edgeB(&delegate, &ResponseDelegateProcessedEdge::edgeB);
        QSignalSpy finished(&delegate, &ResponseDelegateProcessedEdge::finishedWireCheck);
        QSignalSpy wireCountA(&delegate, &ResponseDelegateProcessedEdge::wireCountA);

        delegate.addData(hex("000400000200000102"));
        delegate.execute();
        QCOMPARE(finished.count(), 0);
        delegate.addData(hex("00050000000000"));  // empty B edge does not count
        delegate.execute();
        QCOMPARE(edgeB.count(), 1);
        QCOMPARE(finished.count(), 0);
        delegate.addData(hex("0005000001000009"));
        delegate.execute();
        QCOMPARE(edgeB.count(), 2);
        QCOMPARE(edgeB.at(1).at(0).toByteArray(), hex("09"));
        QCOMPARE(finished.count(), 1);
        delegate.addData(hex("000400000100000a"));
        delegate.execute();
        delegate.addData(hex("000500000100000b"));
        delegate.execute();
        QCOMPARE(edgeA.count(), 2);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(wireCountA.count(), 0);
    }

    void wrongCodeIsLoggedAndKeptForPreviousArray() {
        LogCapture log;
        ResponseDelegateProcessedEdge delegate;
        QSignalSpy edgeB(&delegate, &ResponseDelegateProcessedEdge::edgeB);
        delegate.addData(hex("0005000001000001"));
        delegate.addData(hex("0041000001000007"));  // code 'A'
        delegate.execute();
        QVERIFY(log.contains(QStringLiteral("Called with the wrong type of packet: A")));
        QCOMPARE(edgeB.count(), 1);
        QCOMPARE(edgeB.at(0).at(0).toByteArray(), hex("07"));
    }

    void scanEmitsThreeSignalsInOrder_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("array A line 5") << hex("0008050003000001020304")
                                        << QStringList{"scanA3 010203 false 5", "scanA1 010203",
                                                       "scanALenLine 010203 5 3 false"};
        QTest::addRow("array B line 39")
            << hex("0009270002000011")
            << QStringList{"scanB3 11 true 39", "scanB1 11", "scanBLenLine 11 39 2 true"};
        QTest::addRow("truncated A")
            << hex("000807")
            << QStringList{"scanA3  false 7", "scanA1 ", "scanALenLine  7 0 false"};
    }
    void scanEmitsThreeSignalsInOrder() {
        QFETCH(QByteArray, report);
        QFETCH(QStringList, expected);
        ResponseDelegateProcessedScan delegate;
        QStringList seen;
        using Scan = ResponseDelegateProcessedScan;
        connect(&delegate, qOverload<QByteArray, bool, int>(&Scan::scanA), this,
                [&](const QByteArray& d, bool f, int l) {
                    seen << QStringLiteral("scanA3 %1 %2 %3")
                                .arg(QString(d.toHex()))
                                .arg(flag(f))
                                .arg(l);
                });
        connect(&delegate, qOverload<QByteArray>(&Scan::scanA), this,
                [&](const QByteArray& d) { seen << "scanA1 " + QString(d.toHex()); });
        connect(&delegate, &Scan::scanALenLine, this,
                [&](const QByteArray& d, uchar line, uchar length, bool f) {
                    seen << QStringLiteral("scanALenLine %1 %2 %3 %4")
                                .arg(QString(d.toHex()))
                                .arg(line)
                                .arg(length)
                                .arg(flag(f));
                });
        connect(&delegate, qOverload<QByteArray, bool, int>(&Scan::scanB), this,
                [&](const QByteArray& d, bool f, int l) {
                    seen << QStringLiteral("scanB3 %1 %2 %3")
                                .arg(QString(d.toHex()))
                                .arg(flag(f))
                                .arg(l);
                });
        connect(&delegate, qOverload<QByteArray>(&Scan::scanB), this,
                [&](const QByteArray& d) { seen << "scanB1 " + QString(d.toHex()); });
        connect(&delegate, &Scan::scanBLenLine, this,
                [&](const QByteArray& d, uchar line, uchar length, bool f) {
                    seen << QStringLiteral("scanBLenLine %1 %2 %3 %4")
                                .arg(QString(d.toHex()))
                                .arg(line)
                                .arg(length)
                                .arg(flag(f));
                });
        delegate.addData(report);
        delegate.execute();
        QCOMPARE(seen, expected);
    }

    void scanKeepsLineAndLengthPerArray() {
        ResponseDelegateProcessedScan delegate;
        QCOMPARE(delegate.lengthA(), 40);
        QCOMPARE(delegate.lengthB(), 40);
        delegate.addData(hex("0009030018000000"));
        QCOMPARE(delegate.lineB(), 3);
        QCOMPARE(delegate.lengthB(), 24);
        QCOMPARE(delegate.lineA(), 0);
        QCOMPARE(delegate.lengthA(), 40);
    }

    void diagnosticsStoreFirstWireCountOnly() {
        ResponseDelegateOutputDiagnostics delegate;
        QSignalSpy diagA(&delegate, &ResponseDelegateOutputDiagnostics::outputDiagA);
        QSignalSpy diagB(&delegate, &ResponseDelegateOutputDiagnostics::outputDiagB);

        delegate.addData(hex("0028000003000001020304"));
        delegate.execute();
        QCOMPARE(StoredWireCounts::storedWireCountA(), 3);
        QCOMPARE(StoredWireCounts::storedWireCountB(), 0);
        QCOMPARE(diagA.count(), 1);
        QCOMPARE(diagA.at(0).at(0).toByteArray(), hex("010203"));

        delegate.addData(hex("00280000020000aabb"));
        delegate.execute();
        QCOMPARE(StoredWireCounts::storedWireCountA(), 3);
        QCOMPARE(delegate.lastWireCountA(), 2);
        QCOMPARE(diagA.at(1).at(0).toByteArray(), hex("aabb"));

        delegate.addData(hex("00290000180000"));
        delegate.execute();
        QCOMPARE(StoredWireCounts::storedWireCountB(), 24);
        QCOMPARE(diagB.count(), 1);
        QCOMPARE(diagB.at(0).at(0).toByteArray(), QByteArray());

        StoredWireCounts::reset();
        delegate.addData(hex("00280000020000aabb"));
        QCOMPARE(StoredWireCounts::storedWireCountA(), 2);
        QCOMPARE(StoredWireCounts::storedWireCountB(), 0);
    }

    void diagnosticsShortReportStoresNothing() {
        ResponseDelegateOutputDiagnostics delegate;
        QSignalSpy diagB(&delegate, &ResponseDelegateOutputDiagnostics::outputDiagB);
        delegate.addData(hex("0029"));
        delegate.execute();
        QCOMPARE(StoredWireCounts::storedWireCountB(), 0);
        QCOMPARE(diagB.count(), 1);
        QVERIFY(diagB.at(0).at(0).toByteArray().isEmpty());
        delegate.addData(hex("0029000028"));
        QCOMPARE(StoredWireCounts::storedWireCountB(), 40);
    }

    void copyrightText_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("text");
        QTest::addRow("up to zero")
            << hex("0002") + QByteArray("Orvello 2024") + hex("00") + QByteArray("junk")
            << QStringLiteral("Orvello 2024");
        QTest::addRow("to the end") << hex("0002") + QByteArray("abc") << QStringLiteral("abc");
        QTest::addRow("latin-1 sign") << hex("0002a9323032340000") << QStringLiteral("\u00a92024");
        QTest::addRow("no text") << hex("0002") << QString();
        QTest::addRow("zero first") << hex("00020041") << QString();
    }
    void copyrightText() {
        QFETCH(QByteArray, report);
        QFETCH(QString, text);
        ResponseDelegateVersionAndCopyright delegate;
        QSignalSpy copyright(&delegate,
                             &ResponseDelegateVersionAndCopyright::signalCopyrightString);
        QSignalSpy version(&delegate, &ResponseDelegateVersionAndCopyright::signalVersionString);
        delegate.addData(report);
        delegate.execute();
        QCOMPARE(copyright.count(), 1);
        QCOMPARE(copyright.at(0).at(0).toString(), text);
        QCOMPARE(version.count(), 0);
        QVERIFY(!delegate.isVersionReceived());
    }

    void versionReport_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte8");
        QTest::addColumn<int>("byte9");
        QTest::addColumn<quint32>("word10");
        QTest::addColumn<quint32>("word14");
        QTest::addColumn<quint32>("word18");
        //                 0 1 2 3 4 5 6 7 8 9 10      14      18      22  24
        QTest::addRow("full") << hex("0001000000000000123478563412010000"
                                     "00ffffffff0000") +
                                     QByteArray("V2.10") + hex("007a7a")
                              << QStringLiteral("V2.10") << 0x12 << 0x34 << quint32(0x12345678)
                              << quint32(1) << quint32(0xFFFFFFFF);
        QTest::addRow("truncated in word 10")
            << hex("000100000000000012347856") << QString() << 0x12 << 0x34 << quint32(0x5678)
            << quint32(0) << quint32(0);
        QTest::addRow("frame only")
            << hex("0001") << QString() << 0 << 0 << quint32(0) << quint32(0) << quint32(0);
    }
    void versionReport() {
        QFETCH(QByteArray, report);
        QFETCH(QString, text);
        QFETCH(int, byte8);
        QFETCH(int, byte9);
        QFETCH(quint32, word10);
        QFETCH(quint32, word14);
        QFETCH(quint32, word18);
        ResponseDelegateVersionAndCopyright delegate;
        QSignalSpy version(&delegate, &ResponseDelegateVersionAndCopyright::signalVersionString);
        delegate.addData(report);
        delegate.execute();
        QCOMPARE(version.count(), 1);
        QCOMPARE(version.at(0).at(0).toString(), text);
        QVERIFY(delegate.isVersionReceived());
        QCOMPARE(delegate.versionText(), text);
        QCOMPARE(int(delegate.versionByte(0)), byte8);
        QCOMPARE(int(delegate.versionByte(1)), byte9);
        QCOMPARE(delegate.versionWord(0), word10);
        QCOMPARE(delegate.versionWord(1), word14);
        QCOMPARE(delegate.versionWord(2), word18);
        QCOMPARE(delegate.versionWord(3), quint32(0));
        QCOMPARE(int(delegate.versionByte(-1)), 0);
    }

    void unknownVersionCodeIsLoggedOnly() {
        LogCapture log;
        ResponseDelegateVersionAndCopyright delegate;
        QSignalSpy version(&delegate, &ResponseDelegateVersionAndCopyright::signalVersionString);
        QSignalSpy copyright(&delegate,
                             &ResponseDelegateVersionAndCopyright::signalCopyrightString);
        delegate.addData(hex("00054142"));
        delegate.execute();
        QVERIFY(log.contains(QStringLiteral("Unknown data as parameter, expect problems!")));
        QCOMPARE(version.count() + copyright.count(), 0);
        QVERIFY(!delegate.isVersionReceived());
    }
};

QTEST_GUILESS_MAIN(tst_StreamDelegates)
#include "tst_StreamDelegates.moc"
