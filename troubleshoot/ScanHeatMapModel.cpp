#include "troubleshoot/ScanHeatMapModel.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxByte = 255;

int clampByte(int v) {
    return std::clamp(v, 0, kMaxByte);
}

// A ramp that starts at `start` and rises three steps per value, clamped to a byte.
int ramp(int v, int start) {
    return clampByte(3 * (v - start));
}

// Black - red - yellow - white: the palette built from the value and a clamp.
QRgb heat(int v) {
    return qRgb(ramp(v, 0), ramp(v, 85), ramp(v, 170));
}

QRgb grey(int v) {
    return qRgb(v, v, v);
}

// Blue - cyan - green - yellow - red.
QRgb rainbow(int v) {
    const int quarter = 64;
    const int step = v % quarter * 4;
    switch (v / quarter) {
        case 0:
            return qRgb(0, step, kMaxByte);
        case 1:
            return qRgb(0, kMaxByte, kMaxByte - step);
        case 2:
            return qRgb(step, kMaxByte, 0);
        default:
            return qRgb(kMaxByte, kMaxByte - step, 0);
    }
}

QRgb invertedGrey(int v) {
    return grey(kMaxByte - v);
}

QRgb green(int v) {
    return qRgb(0, v, 0);
}
}  // namespace

ScanHeatMapModel::ScanHeatMapModel() {
    for (QImage& image : m_images) {
        image = QImage(kImageSide, kImageSide, QImage::Format_RGB888);
        image.fill(Qt::black);
    }
    QRgb (*const builders[kPaletteCount])(int) = {heat, grey, rainbow, invertedGrey, green};
    for (int p = 0; p < kPaletteCount; ++p) {
        for (int v = 0; v < kPaletteEntries; ++v) {
            m_palettes[static_cast<size_t>(p)][static_cast<size_t>(v)] = builders[p](v);
        }
    }
}

int ScanHeatMapModel::clampWires(int count) {
    return (count <= 0 || count > kSide) ? kSide : count;
}

void ScanHeatMapModel::setWireCounts(int wireCountA, int wireCountB) {
    const int a = clampWires(wireCountA);
    const int b = clampWires(wireCountB);
    m_rows = std::max(a, b);
    m_columns = std::min(a, b);
    m_dirty = true;
}

void ScanHeatMapModel::setDisplayMode(int mode) {
    m_displayMode = mode;
    m_dirty = true;
}

void ScanHeatMapModel::setThreshold(int touchThreshold) {
    m_displayThreshold = touchThreshold * kThresholdScale;
    m_dirty = true;
}

void ScanHeatMapModel::setCombineMode(int mode) {
    m_combineMode = mode;
    m_dirty = true;
}

void ScanHeatMapModel::setPalette(int index) {
    m_palette = index;
    m_dirty = true;
}

bool ScanHeatMapModel::saveLine(const QByteArray& line, bool arrayB, int lineNo) {
    if (lineNo < 0 || lineNo >= kSide) {
        return false;
    }
    Grid& grid = arrayB ? m_gridB : m_gridA;
    const int bytes = std::min(static_cast<int>(line.size()), kSide);
    for (int column = 0; column < bytes; ++column) {
        grid[static_cast<size_t>(lineNo * kSide + column)] = static_cast<quint8>(line.at(column));
    }
    m_lastArray = arrayB ? ArrayB : ArrayA;
    m_dirty = true;
    return true;
}

void ScanHeatMapModel::saveArea(const scanArea::ScanData& data, bool arrayB) {
    (arrayB ? m_gridB : m_gridA) = arrayB ? data.gridB : data.gridA;
    m_lastArray = arrayB ? ArrayB : ArrayA;
    m_dirty = true;
}

const QImage& ScanHeatMapModel::image(int index) const {
    return m_images[static_cast<size_t>(std::clamp(index, 0, kImageCount - 1))];
}

int ScanHeatMapModel::gained(int v) {
    return clampByte((v - kBaseline) * kColourGain + kBaseline);
}

QRgb ScanHeatMapModel::colourOf(int palette, int v) const {
    if (palette < 1 || palette > kPaletteCount) {
        return qRgb(0, 0, 0);
    }
    return m_palettes[static_cast<size_t>(palette - 1)][static_cast<size_t>(gained(v))];
}

int ScanHeatMapModel::combine(int mode, int a, int b) {
    const double aAbove = std::max(a - kBaseline, 0);
    const double bAbove = std::max(b - kBaseline, 0);
    double value = 0;
    switch (mode) {
        case GeometricMean:
            value = std::sqrt(aAbove * bAbove) + kBaseline;
            break;
        case Product:
            value = aAbove * bAbove + kBaseline;
            break;
        default:
            value = (aAbove + bAbove) / 2 + kBaseline;
            break;
    }
    return clampByte(static_cast<int>(std::min(value, static_cast<double>(kMaxByte))));
}

void ScanHeatMapModel::paintGrid(const Grid& grid, QImage& image) const {
    image.fill(Qt::black);
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            image.setPixel(column, row,
                           colourOf(m_palette, grid[static_cast<size_t>(row * kSide + column)]));
        }
    }
}

void ScanHeatMapModel::combineGrids() {
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            const auto cell = static_cast<size_t>(row * kSide + column);
            m_combined[cell] =
                static_cast<quint8>(combine(m_combineMode, m_gridA[cell], m_gridB[cell]));
        }
    }
}

void ScanHeatMapModel::paintCombined(QImage& image) const {
    image.fill(Qt::black);
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns && column < kLastColumn; ++column) {
            QRgb colour =
                colourOf(m_palette, m_combined[static_cast<size_t>(row * kSide + column)]);
            // A cell at or above the display threshold stands out in green.
            if (qRed(colour) >= m_displayThreshold) {
                colour = qRgb(0, qRed(colour), qBlue(colour));
            }
            image.setPixel(column, row, colour);
        }
    }
}

void ScanHeatMapModel::redraw() {
    switch (m_displayMode) {
        case LastArray:
            paintGrid(grid(m_lastArray), m_images[0]);
            break;
        case BothArrays:
            paintGrid(m_gridA, m_images[0]);
            paintGrid(m_gridB, m_images[1]);
            break;
        case Combined:
            combineGrids();
            paintCombined(m_images[2]);
            break;
        default:
            break;
    }
    m_dirty = false;
}
