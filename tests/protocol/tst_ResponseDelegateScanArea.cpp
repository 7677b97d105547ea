#include <QtTest>

#include "protocol/ResponseDelegateScanArea.h"

// A tile report: 00, code (0c = A, 0d = B), first row, row count, first column,
// row length, one unused byte, then the tile bytes row after row.
using Tiles = QList<QByteArray>;
// Expected non-zero composite cells as {row, column, value}; every other cell must be 0.
using Cells = QVector<QVector<int>>;

namespace {
QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

int nonZeroCells(const ResponseDelegateScanArea::Frame& frame) {
    return int(std::count_if(frame.begin(), frame.end(), [](quint8 v) { return v != 0; }));
}
}  // namespace

class tst_ResponseDelegateScanArea : public QObject {
    Q_OBJECT

private slots:
    void composite_data() {
        QTest::addColumn<Tiles>("tiles");
        QTest::addColumn<Cells>("cells");
        QTest::addRow("single cell") << Tiles{hex("000c00010001003c")} << Cells{{0, 0, 60}};
        QTest::addRow("newer 10 over older 50 keeps 50")
            << Tiles{hex("000c000100010032"), hex("000c00010001000a")} << Cells{{0, 0, 50}};
        QTest::addRow("newer 50 over older 30 shows 30")
            << Tiles{hex("000c00010001001e"), hex("000c000100010032")} << Cells{{0, 0, 30}};
        QTest::addRow("16 is noise, 17 is not") << Tiles{hex("000c0001000200"
                                                             "1011")}
                                                << Cells{{0, 1, 17}};
        QTest::addRow("tiles at other places add up")
            << Tiles{hex("000c0502030200"
                         "2122"),
                     hex("000c0001270100"
                         "ff")}
            << Cells{{5, 3, 0x21}, {5, 4, 0x22}, {0, 39, 0xff}};
        QTest::addRow("two rows of three") << Tiles{hex("000c0a02140300"
                                                        "212223242526")}
                                           << Cells{{10, 20, 0x21}, {10, 21, 0x22}, {10, 22, 0x23},
                                                    {11, 20, 0x24}, {11, 21, 0x25}, {11, 22, 0x26}};
        QTest::addRow("fifth tile clears the first")
            << Tiles{hex("000c00010001003c"), hex("000c01010001003d"), hex("000c02010001003e"),
                     hex("000c03010001003f"), hex("000c040100010040")}
            << Cells{{1, 0, 61}, {2, 0, 62}, {3, 0, 63}, {4, 0, 64}};
        QTest::addRow("rows from 40 on are dropped") << Tiles{hex("000c26030001"
                                                                  "00212223")}
                                                     << Cells{{38, 0, 0x21}, {39, 0, 0x22}};
        QTest::addRow("columns from 40 on are dropped, no wrap")
            << Tiles{hex("000c0002260400"
                         "3031323334353637")}
            << Cells{{0, 38, 0x30}, {0, 39, 0x31}, {1, 38, 0x34}, {1, 39, 0x35}};
        QTest::addRow("first column past the grid") << Tiles{hex("000c00012d0200"
                                                                 "3132")}
                                                    << Cells{};
        QTest::addRow("header announces more than the report carries")
            << Tiles{hex("000c0003000400"
                         "212223242526")}
            << Cells{{0, 0, 0x21}, {0, 1, 0x22}, {0, 2, 0x23},
                     {0, 3, 0x24}, {1, 0, 0x25}, {1, 1, 0x26}};
        QTest::addRow("full header, no tile bytes") << Tiles{hex("000c0028002800")} << Cells{};
        QTest::addRow("truncated header") << Tiles{hex("000c05")} << Cells{};
        QTest::addRow("row count 0") << Tiles{hex("000c0000000200"
                                                  "3132")}
                                     << Cells{};
        QTest::addRow("row length 0") << Tiles{hex("000c0005000000"
                                                   "3132")}
                                      << Cells{};
        QTest::addRow("255 rows of 255 columns") << Tiles{hex("000c27ff27ff00"
                                                              "4142")}
                                                 << Cells{{39, 39, 0x41}};
    }
    void composite() {
        QFETCH(Tiles, tiles);
        QFETCH(Cells, cells);
        ResponseDelegateScanArea delegate;
        for (const QByteArray& tile : tiles) {
            delegate.addData(tile);
        }
        const ResponseDelegateScanArea::Frame& image = delegate.composite(false);
        for (const QVector<int>& cell : cells) {
            QCOMPARE(int(image[size_t(cell[0] * 40 + cell[1])]), cell[2]);
        }
        QCOMPARE(nonZeroCells(image), cells.size());
        QCOMPARE(nonZeroCells(delegate.composite(true)), 0);
    }

    void arraysKeepSeparateRings() {
        ResponseDelegateScanArea delegate;
        delegate.addData(hex("000c00010001003c"));
        for (int i = 0; i < 4; ++i) {
            delegate.addData(hex("000d010100010050"));
        }
        // Four B tiles do not push array A's only tile out of its ring.
        QCOMPARE(int(delegate.composite(false)[0]), 60);
        QCOMPARE(int(delegate.composite(true)[40]), 0x50);
        QCOMPARE(nonZeroCells(delegate.composite(true)), 1);
        const auto header = delegate.header(true);
        QCOMPARE(int(header[0]), 1);
        QCOMPARE(int(header[1]), 1);
        QCOMPARE(int(header[2]), 0);
        QCOMPARE(int(header[3]), 1);
    }

    void executeEmitsImageThenPayload_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("arrayB");
        QTest::addRow("A") << hex("000c0201030200"
                                  "4142")
                           << false;
        QTest::addRow("B") << hex("000d0201030200"
                                  "4142")
                           << true;
    }
    void executeEmitsImageThenPayload() {
        QFETCH(QByteArray, report);
        QFETCH(bool, arrayB);
        ResponseDelegateScanArea delegate;
        QStringList order;
        scanArea::ScanData image;
        QByteArray payload;
        connect(&delegate, &ResponseDelegateScanArea::scanAreaDataA, this,
                [&](const scanArea::ScanData& d) {
                    order << "imageA";
                    image = d;
                });
        connect(&delegate, &ResponseDelegateScanArea::scanAreaDataB, this,
                [&](const scanArea::ScanData& d) {
                    order << "imageB";
                    image = d;
                });
        connect(&delegate, qOverload<QByteArray>(&ResponseDelegateScanArea::scanA), this,
                [&](const QByteArray& d) {
                    order << "scanA";
                    payload = d;
                });
        connect(&delegate, qOverload<QByteArray>(&ResponseDelegateScanArea::scanB), this,
                [&](const QByteArray& d) {
                    order << "scanB";
                    payload = d;
                });
        delegate.addData(report);
        delegate.execute();
        const QStringList expectedOrder =
            arrayB ? QStringList{"imageB", "scanB"} : QStringList{"imageA", "scanA"};
        QCOMPARE(order, expectedOrder);
        QCOMPARE(payload, hex("4142"));
        QCOMPARE(int(image.cell(arrayB, 2, 3)), 0x41);
        QCOMPARE(int(image.cell(arrayB, 2, 4)), 0x42);
        QCOMPARE(int(image.cell(!arrayB, 2, 3)), 0);
        QCOMPARE(int(image.cell(arrayB, 40, 0)), 0);
        const auto& grid = arrayB ? image.gridB : image.gridA;
        QCOMPARE(int(std::count(grid.begin(), grid.end(), 0)), 1600 - 2);
    }

    void imageTravelsThroughQueuedConnection() {
        ResponseDelegateScanArea delegate;
        // Known by both names, so connections by signature find it as well.
        QCOMPARE(QMetaType::type("ScanData"), qMetaTypeId<scanArea::ScanData>());
        QObject receiver;
        int cell = -1;
        connect(
            &delegate, &ResponseDelegateScanArea::scanAreaDataA, &receiver,
            [&](const scanArea::ScanData& d) { cell = d.cell(false, 0, 0); }, Qt::QueuedConnection);
        delegate.addData(hex("000c000100010063"));
        delegate.execute();
        QTRY_COMPARE(cell, 0x63);
    }
};

QTEST_GUILESS_MAIN(tst_ResponseDelegateScanArea)
#include "tst_ResponseDelegateScanArea.moc"
