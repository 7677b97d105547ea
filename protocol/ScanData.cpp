#include "ScanData.h"

namespace scanArea {

static_assert(sizeof(ScanData) == 2 * ScanData::kGridCells, "ScanData is two plain grids");

quint8 ScanData::cell(bool arrayB, int row, int column) const {
    if (row < 0 || row >= kSide || column < 0 || column >= kSide) {
        return 0;
    }
    const auto& grid = arrayB ? gridB : gridA;
    return grid[static_cast<size_t>(row * kSide + column)];
}

void registerScanDataType() {
    qRegisterMetaType<ScanData>("scanArea::ScanData");
    qRegisterMetaType<ScanData>("ScanData");
}

}  // namespace scanArea
