#include "deviceparamMinVersion.h"

#include "logging/LogMacros.h"
#include "protocol/ParameterVersion.h"

namespace {
// Whole-byte fields (mask 0) of a set: offsets first, first + step, ... up to last.
struct OffsetRun {
    int set;
    int first;
    int last;
    int step;
    int version;
};

// Bit fields of one byte: every bit set in `masks` is an entry of its own.
struct BitRun {
    int offset;
    quint8 masks;
    int version;
};

constexpr int kWholeByte = 0;
constexpr int kFloatStep = 4;  // filter and tracker fields are four-byte float codes

constexpr OffsetRun kMainByteRuns[] = {
    {0, 7, 29, 1, 0},
    {0, 30, 41, 1, 1},
    {1, 0, 27, 1, 0},
    {1, 28, 36, 1, 1},
    {deviceparamMinVersion::kCurrentParametersSet, 2, 8, 1, 0},
    {deviceparamMinVersion::kCurrentParametersSet, 13, 20, 1, 0},
    {deviceparamMinVersion::kCurrentParametersSet, 22, 26, 1, 0},
    {deviceparamMinVersion::kFilterSet, 2, 30, kFloatStep, 0},
    {deviceparamMinVersion::kTrackerSet, 2, 10, kFloatStep, 1},
};

// The flag bytes of the current-parameters block: 9 output, 10 and 11 monitor,
// 12 status, 21 filter switches, 27 diagnostics.
constexpr BitRun kMainCurrentParameterBits[] = {
    {9, 0x3F, 0}, {10, 0xFF, 0}, {11, 0xFF, 0}, {12, 0xF0, 0}, {21, 0x38, 0}, {27, 0xC3, 0},
};

constexpr int kSingleFieldsVersion0[] = {3, 4, 5, 7, 8, 13, 15, 16, 17, 18, 19, 20};
constexpr int kSingleFieldsVersion1[] = {2, 6, 10, 14, 22, 23, 24, 25, 26};

constexpr BitRun kBitTable[] = {
    {9, 0x3F, 0},  {10, 0xFF, 0}, {11, 0x03, 1}, {11, 0xFC, 0},
    {12, 0xC0, 0}, {12, 0x30, 1}, {21, 0x38, 0}, {27, 0xC3, 1},
};

constexpr int kOutputBitsOffset = 9;
constexpr int kMonitorBits1Offset = 10;
constexpr int kMonitorBits2Offset = 11;

constexpr int kBitsPerByte = 8;

template <typename Insert>
void forEachBit(const BitRun& run, Insert insert) {
    for (int bit = 0; bit < kBitsPerByte; ++bit) {
        const quint8 mask = static_cast<quint8>(1u << bit);
        if ((run.masks & mask) != 0) {
            insert(run.offset, mask, run.version);
        }
    }
}
}  // namespace

deviceparamMinVersion* deviceparamMinVersion::instance() {
    static deviceparamMinVersion* table = new deviceparamMinVersion();
    return table;
}

deviceparamMinVersion::deviceparamMinVersion() {
    fillMainTable();
    fillSingleFieldTable();
    fillBitTable();
    fillBitGroups();
}

void deviceparamMinVersion::fillMainTable() {
    for (const OffsetRun& run : kMainByteRuns) {
        FieldVersions& fields = m_main[SetKey(kBoardType, run.set)];
        for (int offset = run.first; offset <= run.last; offset += run.step) {
            fields.insert(FieldKey(offset, kWholeByte), run.version);
        }
    }
    FieldVersions& current = m_main[SetKey(kBoardType, kCurrentParametersSet)];
    for (const BitRun& run : kMainCurrentParameterBits) {
        forEachBit(run, [&current](int offset, quint8 mask, int version) {
            current.insert(FieldKey(offset, mask), version);
        });
    }
}

void deviceparamMinVersion::fillSingleFieldTable() {
    for (int offset : kSingleFieldsVersion0) {
        m_singleField.insert(offset, 0);
    }
    for (int offset : kSingleFieldsVersion1) {
        m_singleField.insert(offset, 1);
    }
}

void deviceparamMinVersion::fillBitTable() {
    for (const BitRun& run : kBitTable) {
        forEachBit(run, [this](int offset, quint8 mask, int version) {
            m_bits[offset].insert(mask, version);
        });
    }
}

void deviceparamMinVersion::fillBitGroups() {
    m_bitGroupOffsets.insert(QStringLiteral("OutputBits"), kOutputBitsOffset);
    m_bitGroupOffsets.insert(QStringLiteral("MonitorBits1"), kMonitorBits1Offset);
    m_bitGroupOffsets.insert(QStringLiteral("MonitorBits2"), kMonitorBits2Offset);
}

QHash<quint8, int> deviceparamMinVersion::bitGroup(const QString& name) const {
    const auto group = m_bitGroupOffsets.constFind(name);
    if (group == m_bitGroupOffsets.constEnd()) {
        return {};
    }
    return m_bits.value(group.value());
}

int deviceparamMinVersion::findMinVersion(int value1, signed char value) {
    return m_bits.value(value1).value(static_cast<quint8>(value), 0);
}

int deviceparamMinVersion::findMinVersion(int value) {
    return m_singleField.value(value, 0);
}

bool deviceparamMinVersion::isOlderOrCurrent(int value) {
    const auto entry = m_singleField.constFind(value);
    if (entry == m_singleField.constEnd()) {
        return false;
    }
    return ParameterVersion::remembered() <= entry.value();
}

bool deviceparamMinVersion::isOlderOrCurrent(int boardType, int paramCount, int fieldCount,
                                             int bitCount) {
    const auto set = m_main.constFind(SetKey(boardType, paramCount));
    if (set == m_main.constEnd()) {
        return false;
    }
    const auto entry = set->constFind(FieldKey(fieldCount, static_cast<quint8>(bitCount)));
    if (entry == set->constEnd()) {
        return false;
    }
    return ParameterVersion::remembered() >= entry.value();
}

bool deviceparamMinVersion::isOlderOrCurrent(int paramCount, int fieldCount, int bitCount) {
    return isOlderOrCurrent(kBoardType, paramCount, fieldCount, bitCount);
}

bool deviceparamMinVersion::isOlderOrCurrent(int fieldCount, int bitCount) {
    return isOlderOrCurrent(kBoardType, kCurrentParametersSet, fieldCount, bitCount);
}

void deviceparamMinVersion::printData() {
    for (auto set = m_main.constBegin(); set != m_main.constEnd(); ++set) {
        for (auto field = set->constBegin(); field != set->constEnd(); ++field) {
            TLOG(SillyLogger::FunctionTrace,
                 QStringLiteral("board %1 set %2 offset %3 mask 0x%4 version %5")
                     .arg(set.key().first)
                     .arg(set.key().second)
                     .arg(field.key().first)
                     .arg(field.key().second, 2, 16, QLatin1Char('0'))
                     .arg(field.value()));
        }
    }
}

void deviceparamMinVersion::setMinVersion(int Value, int Version) {
    Q_UNUSED(Value)
    Q_UNUSED(Version)
}
