#pragma once

#include <QByteArray>
#include <QtGlobal>

// Writes the fields of the two firmware-update requests that are built from an earlier
// answer (layout in FirmwareUpdateLayout.h): header set (22) and item set (24).
//
// Contract of every writer:
//  - Numbers are written little-endian at their offsets in the block; every other byte
//    stays as the template answer had it.
//  - A block too short for the field (an empty or short template) is first padded with
//    zero bytes up to the field's end, with a warning, so the field is always sent.
//  - The header writers make the request a header set (22), DoItemSetParams an item set
//    (24), through setRequestCode().
class FirmwareWriteAccessor {
public:
    virtual ~FirmwareWriteAccessor() = default;

    // The block the writers edit in place.
    virtual QByteArray& writableFirmwareBlock() = 0;
    // The request code the edited block is sent with.
    virtual void setRequestCode(int requestCode) = 0;

    void setVersion(quint32 version);
    void setSize(quint32 size);
    void setCheckSum(quint32 checkSum);
    // The three header fields at once.
    void setHeaderSetParams(quint32 version, quint32 size, quint32 checkSum);

    // Entry number and the item's 16 data bytes. Data shorter than 16 bytes is padded
    // with zeros, longer data is cut to 16 (both with a warning).
    void DoItemSetParams(quint16 entry, const QByteArray& data);

private:
    void writeU32(int offset, quint32 value);
    void writeU16(int offset, quint16 value);
    void writeBytes(int offset, const QByteArray& bytes);
    // Pads the block with zeros so that it holds `end` bytes.
    void reserve(int end);
};
