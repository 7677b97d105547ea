#pragma once

#include <QMetaType>
#include <QtGlobal>

#include <array>

namespace scanArea {

// The assembled scan-area images of both wire arrays, carried by queued signals and
// QVariant: grid A, then grid B, each 40 rows x 40 columns of unsigned bytes, row after
// row (3200 bytes). A default value is all zero.
struct ScanData {
    static constexpr int kSide = 40;
    static constexpr int kGridCells = kSide * kSide;

    std::array<quint8, kGridCells> gridA{};
    std::array<quint8, kGridCells> gridB{};

    // Cell (row, column) of grid A or B; 0 outside 0..39.
    quint8 cell(bool arrayB, int row, int column) const;
};

// Registers ScanData with the meta-type system under both names it travels by,
// "scanArea::ScanData" and "ScanData". Safe to call more than once.
void registerScanDataType();

}  // namespace scanArea

Q_DECLARE_METATYPE(scanArea::ScanData)
