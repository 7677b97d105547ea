#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>

// Which parameter fields exist on the connected controller. Every field of the parameter
// blocks has a minimum parameter-layout version in a built-in table; a field exists when
// the remembered parameter version (ParameterVersion) reaches it. The tables are fixed at
// construction and never change.
//
// Keys: board type (always 0 here), parameter set, field offset in the received block
// and bit mask (0 for a whole-byte field; compared as a byte, so 0x80 and -128 match).
// Sets: 0 and 1 are held but not consulted, 2 is the current-parameters block, 3 the
// filter set, 4 the tracker set.
class deviceparamMinVersion : public QObject {
    Q_OBJECT
public:
    static constexpr int kBoardType = 0;
    static constexpr int kCurrentParametersSet = 2;
    static constexpr int kFilterSet = 3;
    static constexpr int kTrackerSet = 4;

    // The single table, created on first use and kept for the life of the process.
    static deviceparamMinVersion* instance();

    // The bit hash (mask -> minimum version) behind a named group: "OutputBits" (byte 9),
    // "MonitorBits1" (byte 10) or "MonitorBits2" (byte 11); empty for any other name.
    QHash<quint8, int> bitGroup(const QString& name) const;

public slots:
    // Bit table: minimum version of bit `value` of byte `value1`; 0 when not listed.
    int findMinVersion(int value1, signed char value);
    // Single-field table: minimum version of byte `value`; 0 when not listed.
    int findMinVersion(int value);
    // Single-field table: true when the remembered version is at most the entry's
    // version; false when the byte is not listed.
    bool isOlderOrCurrent(int value);
    // Main table: true when the remembered version is at least the minimum version of
    // field (fieldCount, bitCount) in set paramCount of the board type; false when the
    // set or the field is not listed.
    bool isOlderOrCurrent(int boardType, int paramCount, int fieldCount, int bitCount);
    // Main table, board type 0.
    bool isOlderOrCurrent(int paramCount, int fieldCount, int bitCount);
    // Main table, board type 0, current-parameters set.
    bool isOlderOrCurrent(int fieldCount, int bitCount);
    // Walks the main table, logging each entry at function-trace level only.
    void printData();
    // The table is fixed; this changes nothing.
    void setMinVersion(int Value, int Version);

private:
    using SetKey = QPair<int, int>;       // board type, set
    using FieldKey = QPair<int, quint8>;  // offset, mask
    using FieldVersions = QHash<FieldKey, int>;
    using BitVersions = QHash<quint8, int>;

    deviceparamMinVersion();
    void fillMainTable();
    void fillSingleFieldTable();
    void fillBitTable();
    void fillBitGroups();

    QHash<SetKey, FieldVersions> m_main;
    QHash<int, int> m_singleField;
    QHash<int, BitVersions> m_bits;
    QHash<QString, int> m_bitGroupOffsets;
};
