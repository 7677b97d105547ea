#include "FirmwareWriteAccessor.h"

#include "logging/LogMacros.h"
#include "protocol/FirmwareUpdateLayout.h"
#include "protocol/Opcodes.h"

namespace L = FirmwareUpdateLayout;

namespace {
constexpr int kBitsPerByte = 8;
constexpr quint32 kByteMask = 0xFFu;
}  // namespace

void FirmwareWriteAccessor::setVersion(quint32 version) {
    setRequestCode(Opcode::HeaderSetParams);
    writeU32(L::kSetVersion, version);
}

void FirmwareWriteAccessor::setSize(quint32 size) {
    setRequestCode(Opcode::HeaderSetParams);
    writeU32(L::kSetSize, size);
}

void FirmwareWriteAccessor::setCheckSum(quint32 checkSum) {
    setRequestCode(Opcode::HeaderSetParams);
    writeU32(L::kSetCheckSum, checkSum);
}

void FirmwareWriteAccessor::setHeaderSetParams(quint32 version, quint32 size, quint32 checkSum) {
    setVersion(version);
    setSize(size);
    setCheckSum(checkSum);
}

void FirmwareWriteAccessor::DoItemSetParams(quint16 entry, const QByteArray& data) {
    setRequestCode(Opcode::ItemSetParams);
    QByteArray item = data;
    if (item.size() != L::kItemDataLength) {
        TLOG_WARNING(QStringLiteral("Item %1 carries %2 data bytes instead of %3.")
                         .arg(entry)
                         .arg(data.size())
                         .arg(L::kItemDataLength));
        item = item.left(L::kItemDataLength).leftJustified(L::kItemDataLength, '\0');
    }
    writeU16(L::kSetItemEntry, entry);
    writeBytes(L::kSetItemData, item);
}

void FirmwareWriteAccessor::writeU32(int offset, quint32 value) {
    QByteArray bytes;
    for (int i = 0; i < L::kU32Size; ++i) {
        bytes.append(static_cast<char>((value >> (i * kBitsPerByte)) & kByteMask));
    }
    writeBytes(offset, bytes);
}

void FirmwareWriteAccessor::writeU16(int offset, quint16 value) {
    QByteArray bytes;
    bytes.append(static_cast<char>(value & kByteMask));
    bytes.append(static_cast<char>((value >> kBitsPerByte) & kByteMask));
    writeBytes(offset, bytes);
}

void FirmwareWriteAccessor::writeBytes(int offset, const QByteArray& bytes) {
    reserve(offset + bytes.size());
    writableFirmwareBlock().replace(offset, bytes.size(), bytes);
}

void FirmwareWriteAccessor::reserve(int end) {
    QByteArray& block = writableFirmwareBlock();
    if (block.size() >= end) {
        return;
    }
    TLOG_WARNING(QStringLiteral("The template holds %1 bytes; padded with zeros to %2.")
                     .arg(block.size())
                     .arg(end));
    block.append(QByteArray(end - block.size(), '\0'));
}
