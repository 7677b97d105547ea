#pragma once

#include <QtGlobal>

// Byte layout of the firmware-update sub-protocol. The controller answers request code c
// with response code c + 2.
//
// Answers: offsets index the delegate packet (byte 0 frame byte, byte 1 response code,
// data from byte 2). Numbers are little-endian; a flag byte is true when non-zero.
//
// Requests built from an earlier answer (header set 22, item set 24) are edited in a copy
// of that answer at the same offsets; the command sends the request code followed by the
// copy from byte 2 on, so answer byte k travels as command byte k - 1.
namespace FirmwareUpdateLayout {
constexpr int kU16Size = 2;
constexpr int kU32Size = 4;

// Answer 22 (store clear, also the answer to store is clear) and 23.
constexpr int kHeaderClear = 2;
constexpr int kItemsClear = 3;

// Answer 24 (header set).
constexpr int kHeaderSetAccepted = 2;

// Answer 25 (header get): the staged (downloaded) image, then the running one.
constexpr int kStagedVersion = 2;
constexpr int kStagedSize = 6;
constexpr int kStagedCheckSum = 10;
constexpr int kStagedCheckSumValid = 14;
constexpr int kRunningFlags = 15;
constexpr int kRunningVersion = 19;
constexpr int kRunningSize = 23;
constexpr int kRunningCheckSum = 27;
constexpr int kRunningCheckSumValid = 31;
constexpr int kUpdateCounter = 32;
constexpr int kOriginalVersion = 36;
// Bytes an answer must hold to carry every header-get field.
constexpr int kHeaderGetLength = kOriginalVersion + kU32Size;

// A running version or size that reads all ones: the running header is erased.
constexpr quint32 kErasedWord = 0xFFFFFFFFu;

// Answers 26 (item set) and 27 (item get).
constexpr int kItemEntryEcho = 2;  // u16
constexpr int kItemAccepted = 4;   // item set: accepted; item get: valid
constexpr int kItemDetail = 5;     // item get: u32, logged only

// Answer 28 (update is ready) and 29 (update perform).
constexpr int kUpdateReady = 2;
constexpr int kUpdatePerformAccepted = 2;

// Request 22 (header set), offsets in the edited answer copy.
constexpr int kSetVersion = 2;
constexpr int kSetSize = 6;
constexpr int kSetCheckSum = 10;

// Request 24 (item set), offsets in the edited answer copy.
constexpr int kSetItemEntry = 2;  // u16
constexpr int kSetItemData = 4;
constexpr int kItemDataLength = 16;
}  // namespace FirmwareUpdateLayout
