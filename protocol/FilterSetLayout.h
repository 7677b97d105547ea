#pragma once

// The filter set ("FilterAB", response code 21). Offsets index the received report
// (byte 0 frame byte, byte 1 response code); every field is one float code of 4 bytes.
namespace FilterSetLayout {
// Parameter set of the minimum-version table.
constexpr int kVersionSet = 3;

constexpr int kKalStdDeviation0 = 2;
constexpr int kKalStdDeviation1 = 6;
constexpr int kKalPMatrixFactor = 10;
constexpr int kKalQMatrixFactor = 14;
constexpr int kFilterStabStdDeviation = 18;
constexpr int kFilterWarpFactor = 22;
constexpr int kFilterOrtho = 26;
constexpr int kFilterLock = 30;
// A report holding every field is at least this long.
constexpr int kFieldsEnd = 34;
}  // namespace FilterSetLayout
