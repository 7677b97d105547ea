#pragma once

#include <QByteArray>
#include <QtGlobal>

// Reading of the controller's 32-bit fixed-point code for real numbers, stored as an
// unsigned little-endian word at a byte offset of a parameter block:
//   word 0                -> 0.0
//   bit 31 clear          -> word / 256 (8 fraction bits)
//   bit 31 set, rest k    -> 256 / (2 k), and 0.0 for k = 0
// Examples (stored bytes): 00 01 00 00 = 1.0, 80 02 00 00 = 2.5, 00 01 00 80 = 0.5.
class FloatAccessor {
public:
    static constexpr int kFloatBytes = 4;
    static constexpr quint32 kFractionFlag = 0x80000000u;
    static constexpr double kFixedPointScale = 256.0;

    virtual ~FloatAccessor() = default;

    // The value a word stands for; never NaN or infinite.
    static float decode(quint32 word);

protected:
    // The block the readers decode (a received report or a command's working copy).
    virtual const QByteArray& floatBlock() const = 0;

    // The value at `offset` of floatBlock() when the minimum-version table lists the
    // field (parameter set `set`, mask 0) for the connected controller; 0.0 otherwise.
    // Bytes beyond the end of the block read as 0.
    float readFloat(int set, int offset) const;
};
