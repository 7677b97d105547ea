#include <QtTest>

#include "troubleshoot/ScanHeatMapModel.h"

namespace {
constexpr int kSide = 40;

QByteArray line(int length, quint8 value) {
    return QByteArray(length, char(value));
}

quint8 cell(const ScanHeatMapModel& model, ScanHeatMapModel::Array array, int row, int column) {
    return model.grid(array)[size_t(row * kSide + column)];
}
}  // namespace

class tst_ScanHeatMapModel : public QObject {
    Q_OBJECT

private slots:
    // Lines land in their row of their array; nothing outside the grid is touched.
    void scanLinesFillTheirRow_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("arrayB");
        QTest::addColumn<int>("lineNo");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("filledColumns");
        QTest::addRow("a 40-wire line in A") << 40 << false << 7 << true << 40;
        QTest::addRow("a 24-wire line copies 24 bytes") << 24 << true << 39 << true << 24;
        QTest::addRow("a longer report copies one row") << 58 << false << 0 << true << 40;
        QTest::addRow("line number 40 changes nothing") << 40 << false << 40 << false << 0;
        QTest::addRow("line number 255 changes nothing") << 40 << true << 255 << false << 0;
        QTest::addRow("a negative line number changes nothing") << 40 << true << -1 << false << 0;
        QTest::addRow("an empty line changes no cell") << 0 << false << 3 << true << 0;
    }
    void scanLinesFillTheirRow() {
        QFETCH(int, length);
        QFETCH(bool, arrayB);
        QFETCH(int, lineNo);
        QFETCH(bool, stored);
        QFETCH(int, filledColumns);
        ScanHeatMapModel model;
        QCOMPARE(model.saveLine(line(length, 0x50), arrayB, lineNo), stored);
        const auto array = arrayB ? ScanHeatMapModel::ArrayB : ScanHeatMapModel::ArrayA;
        const auto other = arrayB ? ScanHeatMapModel::ArrayA : ScanHeatMapModel::ArrayB;
        int filled = 0;
        for (int row = 0; row < kSide; ++row) {
            for (int column = 0; column < kSide; ++column) {
                filled += cell(model, array, row, column) == 0x50 ? 1 : 0;
                QCOMPARE(cell(model, other, row, column), quint8(0));
            }
        }
        QCOMPARE(filled, filledColumns);
        if (filledColumns > 0) {
            QCOMPARE(cell(model, array, lineNo, filledColumns - 1), quint8(0x50));
            QCOMPARE(model.lastArray(), array);
        }
    }

    void wireCountsAreKeptInsideTheGrid_data() {
        QTest::addColumn<int>("countA");
        QTest::addColumn<int>("countB");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addRow("none stored") << 0 << 0 << 40 << 40;
        QTest::addRow("40 and 24") << 40 << 24 << 40 << 24;
        QTest::addRow("24 and 40") << 24 << 40 << 40 << 24;
        QTest::addRow("one unknown counts as 40") << 0 << 24 << 40 << 24;
        QTest::addRow("above 40") << 41 << 200 << 40 << 40;
        QTest::addRow("negative") << -5 << 12 << 40 << 12;
        QTest::addRow("one wire") << 1 << 1 << 1 << 1;
    }
    void wireCountsAreKeptInsideTheGrid() {
        QFETCH(int, countA);
        QFETCH(int, countB);
        ScanHeatMapModel model;
        model.setWireCounts(countA, countB);
        QTEST(model.rows(), "rows");
        QTEST(model.columns(), "columns");
    }

    void combineModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("combined");
        QTest::addRow("geometric mean with a at the baseline") << 2 << 16 << 200 << 16;
        QTest::addRow("geometric mean") << 2 << 20 << 32 << 24;
        QTest::addRow("product") << 3 << 20 << 20 << 32;
        QTest::addRow("product clamps") << 3 << 100 << 100 << 255;
        QTest::addRow("average") << 0 << 26 << 36 << 31;
        QTest::addRow("an unknown mode averages") << 7 << 16 << 56 << 36;
        QTest::addRow("below the baseline counts as the baseline") << 0 << 0 << 3 << 16;
    }
    void combineModes() {
        QFETCH(int, mode);
        QFETCH(int, a);
        QFETCH(int, b);
        QTEST(ScanHeatMapModel::combine(mode, a, b), "combined");
    }

    void colouring_data() {
        QTest::addColumn<int>("palette");
        QTest::addColumn<int>("value");
        QTest::addColumn<QRgb>("colour");
        QTest::addRow("palette 0 is black") << 0 << 200 << qRgb(0, 0, 0);
        QTest::addRow("palette 6 is black") << 6 << 200 << qRgb(0, 0, 0);
        // Grey shows the gained value: (v - 16) x 10 + 16.
        QTest::addRow("grey at the baseline") << 2 << 16 << qRgb(16, 16, 16);
        QTest::addRow("grey one above") << 2 << 17 << qRgb(26, 26, 26);
        QTest::addRow("grey clamps low") << 2 << 0 << qRgb(0, 0, 0);
        QTest::addRow("grey clamps high") << 2 << 60 << qRgb(255, 255, 255);
        QTest::addRow("heat starts black") << 1 << 0 << qRgb(0, 0, 0);
        QTest::addRow("heat ends white") << 1 << 255 << qRgb(255, 255, 255);
    }
    void colouring() {
        QFETCH(int, palette);
        QFETCH(int, value);
        ScanHeatMapModel model;
        QTEST(model.colourOf(palette, value), "colour");
    }

    void displayModesFillTheirImages() {
        ScanHeatMapModel model;
        model.setPalette(2);
        model.setWireCounts(40, 24);
        model.saveLine(line(40, 17), false, 2);
        model.saveLine(line(40, 18), true, 5);

        model.redraw();  // last array: B
        QCOMPARE(model.image(0).pixel(3, 5), qRgb(36, 36, 36));
        QCOMPARE(model.image(0).pixel(3, 2), qRgb(0, 0, 0));
        // Outside the wires the image stays black.
        QCOMPARE(model.image(0).pixel(30, 5), qRgb(0, 0, 0));

        model.setDisplayMode(ScanHeatMapModel::BothArrays);
        model.redraw();
        QCOMPARE(model.image(0).pixel(3, 2), qRgb(26, 26, 26));
        QCOMPARE(model.image(1).pixel(3, 5), qRgb(36, 36, 36));

        model.setDisplayMode(ScanHeatMapModel::Hold);
        model.saveLine(line(40, 60), false, 2);
        model.redraw();
        QCOMPARE(model.image(0).pixel(3, 2), qRgb(26, 26, 26));
    }

    // Cells whose colour reaches the display threshold stand out in green; the last
    // column stays black.
    void combinedImageMarksTheThreshold() {
        ScanHeatMapModel model;
        model.setPalette(2);
        model.setThreshold(10);  // red 100 and more
        model.setDisplayMode(ScanHeatMapModel::Combined);
        model.saveLine(line(40, 30), false, 0);  // average with B at 0: 23 -> grey 86
        model.saveLine(line(40, 30), false, 1);
        model.saveLine(line(40, 30), true, 1);  // 30 -> grey 156
        model.redraw();
        QCOMPARE(model.combinedGrid()[0], quint8(23));
        QCOMPARE(model.image(2).pixel(0, 0), qRgb(86, 86, 86));
        QCOMPARE(model.image(2).pixel(0, 1), qRgb(0, 156, 156));
        QCOMPARE(model.image(2).pixel(39, 1), qRgb(0, 0, 0));
    }

    void scanAreasReplaceTheirGrid() {
        ScanHeatMapModel model;
        model.saveLine(line(40, 9), false, 0);
        scanArea::ScanData data;
        data.gridA[size_t(3 * kSide + 4)] = 77;
        data.gridB[0] = 55;
        model.saveArea(data, true);
        QCOMPARE(cell(model, ScanHeatMapModel::ArrayB, 0, 0), quint8(55));
        QCOMPARE(cell(model, ScanHeatMapModel::ArrayB, 3, 4), quint8(0));
        QCOMPARE(cell(model, ScanHeatMapModel::ArrayA, 0, 0), quint8(9));
        model.saveArea(data, false);
        QCOMPARE(cell(model, ScanHeatMapModel::ArrayA, 0, 0), quint8(0));
        QCOMPARE(cell(model, ScanHeatMapModel::ArrayA, 3, 4), quint8(77));
        QCOMPARE(model.lastArray(), ScanHeatMapModel::ArrayA);
    }
};

QTEST_GUILESS_MAIN(tst_ScanHeatMapModel)
#include "tst_ScanHeatMapModel.moc"
