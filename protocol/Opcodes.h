#pragma once

// Request opcodes (command byte 0) and the response codes (delegate byte 1) that
// answer them or arrive as streams.
namespace Opcode {
constexpr int SoftReset = 1;
constexpr int GetVersion = 2;
constexpr int GetCopyright = 3;
constexpr int SetParams = 4;
constexpr int GetParams = 5;
constexpr int SaveParamsToFlash = 6;
constexpr int LoadParamsFromFlash = 7;
constexpr int LoadDefaults = 8;
constexpr int EraseFlashContent = 9;
constexpr int Calibration3 = 14;
constexpr int SetFilterAB = 18;
constexpr int GetFilterAB = 19;
constexpr int StoreClear = 20;
constexpr int StoreIsClear = 21;
constexpr int HeaderSetParams = 22;
constexpr int HeaderGetParams = 23;
constexpr int ItemSetParams = 24;
constexpr int ItemGetParams = 25;
constexpr int UpdateIsReady = 26;
constexpr int UpdatePerform = 27;
// Requests of the update sub-protocol that only the device kind's factory offers.
constexpr int UpdateRequest28 = 28;
constexpr int UpdateRequest29 = 29;
constexpr int UpdateRequest30 = 30;
constexpr int SetZoneFilterA = 31;
constexpr int SetZoneFilterB = 32;
constexpr int GetZoneFilterA = 33;
constexpr int GetZoneFilterB = 34;
constexpr int SetTrackerParams = 35;
constexpr int GetTrackerParams = 36;
}  // namespace Opcode

namespace ResponseCode {
constexpr int Version = 1;
constexpr int Copyright = 2;
constexpr int CurrentParameters = 3;
constexpr int ProcessedEdgeA = 4;
constexpr int ProcessedEdgeB = 5;
constexpr int ProcessedScanA = 8;
constexpr int ProcessedScanB = 9;
constexpr int ScanAreaA = 12;
constexpr int ScanAreaB = 13;
constexpr int UntrackedFinger = 18;
constexpr int FilterAB = 21;
constexpr int FirmwareUpdateFirst = 22;
constexpr int FirmwareUpdateLast = 29;
constexpr int ZoneFilterA = 35;
constexpr int ZoneFilterB = 36;
constexpr int TrackerParams = 37;
constexpr int OutputDiagnosticsA = 40;
constexpr int OutputDiagnosticsB = 41;
}  // namespace ResponseCode
