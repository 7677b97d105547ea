#include "FirmwareUpdateAccessor.h"

#include "protocol/FirmwareInformation.h"
#include "protocol/FirmwareUpdateLayout.h"
#include "protocol/PacketBytes.h"

namespace L = FirmwareUpdateLayout;

namespace {
constexpr int kResponseCodeOffset = 1;
constexpr int kHexBase = 16;
}  // namespace

int FirmwareUpdateAccessor::firmwareResponseCode() const {
    if (firmwareBlock().size() <= kResponseCodeOffset) {
        return -1;
    }
    return firmwareByte(kResponseCodeOffset);
}

bool FirmwareUpdateAccessor::isHeaderClear() const {
    return firmwareByte(L::kHeaderClear) != 0;
}

bool FirmwareUpdateAccessor::isItemsClear() const {
    return firmwareByte(L::kItemsClear) != 0;
}

bool FirmwareUpdateAccessor::isHeaderSetAccepted() const {
    return firmwareByte(L::kHeaderSetAccepted) != 0;
}

bool FirmwareUpdateAccessor::hasCompleteHeader() const {
    return firmwareBlock().size() >= L::kHeaderGetLength;
}

quint32 FirmwareUpdateAccessor::stagedVersion() const {
    return firmwareU32(L::kStagedVersion);
}

quint32 FirmwareUpdateAccessor::stagedSize() const {
    return firmwareU32(L::kStagedSize);
}

quint32 FirmwareUpdateAccessor::stagedCheckSum() const {
    return firmwareU32(L::kStagedCheckSum);
}

bool FirmwareUpdateAccessor::isStagedCheckSumValid() const {
    return firmwareByte(L::kStagedCheckSumValid) != 0;
}

quint32 FirmwareUpdateAccessor::runningFlags() const {
    return firmwareU32(L::kRunningFlags);
}

quint32 FirmwareUpdateAccessor::runningVersion() const {
    return firmwareU32(L::kRunningVersion);
}

quint32 FirmwareUpdateAccessor::runningSize() const {
    return firmwareU32(L::kRunningSize);
}

quint32 FirmwareUpdateAccessor::runningCheckSum() const {
    return firmwareU32(L::kRunningCheckSum);
}

bool FirmwareUpdateAccessor::isRunningCheckSumValid() const {
    return firmwareByte(L::kRunningCheckSumValid) != 0;
}

quint32 FirmwareUpdateAccessor::updateCounter() const {
    return firmwareU32(L::kUpdateCounter);
}

quint32 FirmwareUpdateAccessor::originalFirmwareVersion() const {
    return firmwareU32(L::kOriginalVersion);
}

quint32 FirmwareUpdateAccessor::currentFirmwareVersion() const {
    const quint32 running = runningVersion();
    return running == L::kErasedWord ? originalFirmwareVersion() : running;
}

QString FirmwareUpdateAccessor::currentFirmwareVersionText() const {
    return QString::number(currentFirmwareVersion(), kHexBase);
}

QString FirmwareUpdateAccessor::originalFirmwareVersionText() const {
    return QString::number(originalFirmwareVersion(), kHexBase);
}

void FirmwareUpdateAccessor::publishFirmwareVersions() const {
    FirmwareInformation& information = FirmwareInformation::instance();
    information.setCurrentFirmwareVersion(currentFirmwareVersionText());
    information.setOriginalFirmwareVersion(originalFirmwareVersionText());
}

quint16 FirmwareUpdateAccessor::itemEntryEcho() const {
    return firmwareU16(L::kItemEntryEcho);
}

bool FirmwareUpdateAccessor::isItemAccepted() const {
    return firmwareByte(L::kItemAccepted) != 0;
}

bool FirmwareUpdateAccessor::isItemValid() const {
    return firmwareByte(L::kItemAccepted) != 0;
}

quint32 FirmwareUpdateAccessor::itemDetail() const {
    return firmwareU32(L::kItemDetail);
}

bool FirmwareUpdateAccessor::isUpdateReady() const {
    return firmwareByte(L::kUpdateReady) != 0;
}

bool FirmwareUpdateAccessor::isUpdatePerformAccepted() const {
    return firmwareByte(L::kUpdatePerformAccepted) != 0;
}

quint8 FirmwareUpdateAccessor::firmwareByte(int offset) const {
    return PacketBytes::byteAt(firmwareBlock(), offset);
}

quint16 FirmwareUpdateAccessor::firmwareU16(int offset) const {
    return PacketBytes::u16LeAt(firmwareBlock(), offset);
}

quint32 FirmwareUpdateAccessor::firmwareU32(int offset) const {
    return PacketBytes::u32LeAt(firmwareBlock(), offset);
}
