#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <array>

#include "protocol/ScanData.h"

// What the scan heat map shows, without a widget: the grids of arrays A and B as the scan
// lines and scan areas fill them, their combination, and the 64 x 64 images the view
// draws, coloured through one of five palettes.
//
// Grid cell (row, column) is pixel (x = column, y = row) of an image; the view shows the
// top-left columns() x rows() pixels. Rows and columns come from the stored wire counts
// (the larger and the smaller), each kept to 1..40 with 0 taken as 40, so no count can
// make the model read or write outside its grids.
//
// Display modes: 0 the array that sent last into image 0; 1 grid A into image 0 and grid
// B into image 1; 2 nothing is refreshed (the images hold); 3 the combined grid into
// image 2.
class ScanHeatMapModel {
public:
    static constexpr int kSide = scanArea::ScanData::kSide;
    static constexpr int kGridCells = kSide * kSide;
    static constexpr int kImageSide = 64;
    static constexpr int kImageCount = 3;
    static constexpr int kPaletteCount = 5;
    static constexpr int kPaletteEntries = 256;
    // Level of an untouched wire: values are shown and combined above it.
    static constexpr int kBaseline = 16;
    // A line's level above the baseline is multiplied by this before colouring.
    static constexpr int kColourGain = 10;
    // Display threshold = touch threshold x this.
    static constexpr int kThresholdScale = 10;
    // Columns from this index on are black in the combined image.
    static constexpr int kLastColumn = kSide - 1;

    enum DisplayMode { LastArray = 0, BothArrays = 1, Hold = 2, Combined = 3 };
    enum CombineMode { Average = 0, Product = 3, GeometricMean = 2 };
    enum Array { ArrayA = 0, ArrayB = 1 };

    using Grid = std::array<quint8, kGridCells>;

    ScanHeatMapModel();

    // wireCountA and wireCountB as stored (0: not known); see the class comment.
    void setWireCounts(int wireCountA, int wireCountB);
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }

    void setThreshold(int touchThreshold);
    int displayThreshold() const { return m_displayThreshold; }
    void setDisplayMode(int mode);
    int displayMode() const { return m_displayMode; }
    void setCombineMode(int mode);
    int combineMode() const { return m_combineMode; }
    // 1..5; any other index colours everything black.
    void setPalette(int index);
    int palette() const { return m_palette; }

    // One scan line: its bytes (at most a row of 40) into row lineNo of grid B (arrayB) or
    // grid A. A line number outside 0..39 changes nothing. True when stored.
    bool saveLine(const QByteArray& line, bool arrayB, int lineNo);
    // The whole grid of one array from an assembled scan area.
    void saveArea(const scanArea::ScanData& data, bool arrayB);

    const Grid& grid(Array array) const { return array == ArrayB ? m_gridB : m_gridA; }
    const Grid& combinedGrid() const { return m_combined; }
    Array lastArray() const { return m_lastArray; }
    // Something changed since the last redraw().
    bool isDirty() const { return m_dirty; }

    // Refreshes the images for the display mode.
    void redraw();
    const QImage& image(int index) const;

    // The combination of one cell's values of A and B in the given mode, 0..255.
    static int combine(int mode, int a, int b);
    // The palette entry for value v after the gain (black for an unknown palette).
    QRgb colourOf(int palette, int v) const;

private:
    void paintGrid(const Grid& grid, QImage& image) const;
    void combineGrids();
    void paintCombined(QImage& image) const;
    static int clampWires(int count);
    static int gained(int v);

    Grid m_gridA{};
    Grid m_gridB{};
    Grid m_combined{};
    std::array<QImage, kImageCount> m_images;
    std::array<std::array<QRgb, kPaletteEntries>, kPaletteCount> m_palettes{};
    int m_rows = kSide;
    int m_columns = kSide;
    int m_displayThreshold = 0;
    int m_displayMode = LastArray;
    int m_combineMode = Average;
    int m_palette = 1;
    Array m_lastArray = ArrayA;
    bool m_dirty = true;
};
