#pragma once

// The tracker set ("TrackerParams", response code 37). Offsets index the received
// report (byte 0 frame byte, byte 1 response code); fields are float codes of 4 bytes.
namespace TrackerSetLayout {
// Parameter set of the minimum-version table.
constexpr int kVersionSet = 4;

constexpr int kStdDeviation = 2;
constexpr int kPMatrixFactor = 6;
constexpr int kQMatrixFactor = 10;
// Every tracker writer stamps the remembered parameter version here.
constexpr int kVersionStamp = 14;
}  // namespace TrackerSetLayout
