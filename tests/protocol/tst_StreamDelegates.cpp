#include <QtTest>

#include <memory>

#include "protocol/ResponseDelegateOutputDiagnostics.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/ResponseDelegateVersionAndCopyright.h"
#include "protocol/StoredWireCounts.h"
#include "LogSpy.h"

namespace {
QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

}  // namespace

class tst_StreamDelegates : public QObject {
    Q_OBJECT

private slots:
    void init() { StoredWireCounts::reset(); }

    void edgeTrimming_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("samples");
        QTest::addRow("three of ten") << hex("000400000300000a0b0c0d0e0f10111213") << hex("0a0b0c");
        QTest::addRow("count 0") << hex("00040000000000ffff") << QByteArray();
        QTest::addRow("count beyond report") << hex("00040000090000aabb") << hex("aabb");
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
        LogSpy log;
        ResponseDelegateProcessedEdge delegate;
        QSignalSpy edgeB(&delegate, &ResponseDelegateProcessedEdge::edgeB);
        delegate.addData(hex("0005000001000001"));
        delegate.addData(hex("0041000001000007"));  // code 'A'
        delegate.execute();
        QCOMPARE(log.countContaining(SillyLogger::Critical, "wrong type of packet: A"), 1);
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
        using Scan = ResponseDelegateProcessedScan;
        ResponseDelegateProcessedScan delegate;
        QStringList seen;
        const auto record = [&seen](const QString& name, const QByteArray& d, QStringList rest) {
            seen << (QStringList{name, QString(d.toHex())} + rest).join(' ');
        };
        const auto three = [&](const QString& name) {
            return [=](const QByteArray& d, bool f, int l) {
                record(name, d, {flag(f), QString::number(l)});
            };
        };
        const auto lenLine = [&](const QString& name) {
            return [=](const QByteArray& d, uchar line, uchar length, bool f) {
                record(name, d, {QString::number(line), QString::number(length), flag(f)});
            };
        };
        connect(&delegate, qOverload<QByteArray, bool, int>(&Scan::scanA), this, three("scanA3"));
        connect(&delegate, qOverload<QByteArray, bool, int>(&Scan::scanB), this, three("scanB3"));
        connect(&delegate, qOverload<QByteArray>(&Scan::scanA), this,
                [&](const QByteArray& d) { record("scanA1", d, {}); });
        connect(&delegate, qOverload<QByteArray>(&Scan::scanB), this,
                [&](const QByteArray& d) { record("scanB1", d, {}); });
        connect(&delegate, &Scan::scanALenLine, this, lenLine("scanALenLine"));
        connect(&delegate, &Scan::scanBLenLine, this, lenLine("scanBLenLine"));
        delegate.addData(report);
        delegate.execute();
        QCOMPARE(seen, expected);
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

        // After a reset a report without its count byte stores nothing; the next does.
        StoredWireCounts::reset();
        delegate.addData(hex("00280000020000aabb"));
        QCOMPARE(StoredWireCounts::storedWireCountA(), 2);
        QCOMPARE(StoredWireCounts::storedWireCountB(), 0);
        delegate.addData(hex("0029"));
        delegate.execute();
        QCOMPARE(StoredWireCounts::storedWireCountB(), 0);
        QCOMPARE(diagB.count(), 2);
        QVERIFY(diagB.at(1).at(0).toByteArray().isEmpty());
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
        LogSpy log;
        ResponseDelegateVersionAndCopyright delegate;
        QSignalSpy version(&delegate, &ResponseDelegateVersionAndCopyright::signalVersionString);
        QSignalSpy copyright(&delegate,
                             &ResponseDelegateVersionAndCopyright::signalCopyrightString);
        delegate.addData(hex("00054142"));
        delegate.execute();
        QCOMPARE(log.countContaining(SillyLogger::Critical, "Unknown data"), 1);
        QCOMPARE(version.count() + copyright.count(), 0);
        QVERIFY(!delegate.isVersionReceived());
    }
};

QTEST_GUILESS_MAIN(tst_StreamDelegates)
#include "tst_StreamDelegates.moc"
