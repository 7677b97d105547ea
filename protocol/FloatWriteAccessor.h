#pragma once

#include <QByteArray>
#include <QtGlobal>

// Writing of the controller's 32-bit fixed-point code (see FloatAccessor), little-endian
// at a byte offset of a modifiable parameter block:
//   v <= 0 (or NaN)  -> 0
//   v >= 1           -> v * 256 truncated toward zero, at most 0x7FFFFFFF (a larger v,
//                       infinity included, saturates there)
//   0 < v < 1        -> bit 31 set over (256 / v truncated) >> 1; a v too small for the
//                       code saturates at the smallest fraction, 0xFFFFFFFF
// Examples (stored bytes): 1.0 = 00 01 00 00, 0.25 = 00 02 00 80, 0.3 = AA 01 00 80.
class FloatWriteAccessor {
public:
    static constexpr quint32 kLargestWord = 0x7FFFFFFFu;
    static constexpr quint32 kSmallestFractionWord = 0xFFFFFFFFu;

    virtual ~FloatWriteAccessor() = default;

    // The word that stands for `value`; never undefined behaviour, never a sign flip.
    static quint32 encode(float value);

protected:
    // The block the writers edit in place (a command's working copy).
    virtual QByteArray& floatWriteBlock() = 0;

    // Whether the minimum-version table lists field `offset` of parameter set `set`
    // (mask 0) for the connected controller.
    static bool isFieldSupported(int set, int offset);
    // Whether floatWriteBlock() holds all four bytes of a field at `offset`.
    bool holdsField(int offset);
    // Stores the code of `value` at `offset`. Changes nothing and returns false when the
    // block does not hold the four bytes (logged as a warning).
    bool storeFloat(int offset, float value);
    // Both of the above: changes nothing when the field is not supported.
    bool writeFloat(int set, int offset, float value);
};
