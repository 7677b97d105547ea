#include "SimMalformedReports.h"

#include <array>

#include "sim/SimReport.h"

namespace {
// Every response code the tool has a handler for, so a malformed body reaches a parser.
constexpr std::array<quint8, 28> kKnownCodes = {
    SimReport::kCodeVersion, SimReport::kCodeCopyright, SimReport::kCodeParameters,
    SimReport::kCodeEdgeA, SimReport::kCodeEdgeB, SimReport::kCodeScanA, SimReport::kCodeScanB,
    SimReport::kCodeScanAreaA, SimReport::kCodeScanAreaB, SimReport::kCodeUntrackedFinger,
    SimReport::kCodeFilter, SimReport::kCodeZoneA, SimReport::kCodeZoneB, SimReport::kCodeTracker,
    SimReport::kCodeDiagA, SimReport::kCodeDiagB, 22, 23, 24, 25, 26, 27, 28, 29,
    // The codes next to the known ones, which nothing understands.
    6, 30, 38, 42};
// Codes whose reports carry counts in their header bytes.
constexpr std::array<quint8, 10> kCountedCodes = {
    SimReport::kCodeEdgeA, SimReport::kCodeEdgeB,     SimReport::kCodeScanA,
    SimReport::kCodeScanB, SimReport::kCodeScanAreaA, SimReport::kCodeScanAreaB,
    SimReport::kCodeZoneA, SimReport::kCodeZoneB,     SimReport::kCodeDiagA,
    SimReport::kCodeDiagB};
constexpr int kCodeIndex = 2;
constexpr int kFirstHeaderIndex = 3;  // wire offsets of delegate bytes 2..5
constexpr int kLastHeaderIndex = 6;
constexpr quint32 kHugeCountFloor = 0xF0;
constexpr quint32 kHugeCountSpan = 0x10;
}  // namespace

SimMalformedReports::SimMalformedReports(QObject* parent) : QObject(parent) {
    for (QTimer* once : {&m_begin, &m_end}) {
        once->setSingleShot(true);
    }
    for (QTimer* timer : {&m_begin, &m_end, &m_every}) {
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_begin, &QTimer::timeout, this, [this]() { m_every.start(); });
    connect(&m_end, &QTimer::timeout, this, &SimMalformedReports::stop);
    connect(&m_every, &QTimer::timeout, this, &SimMalformedReports::sendOne);
}

void SimMalformedReports::start(const SimScenario& scenario) {
    stop();
    m_random.seed(scenario.seed);
    m_next = 0;
    m_sent = 0;
    if (scenario.malformedAtMs < 0 || scenario.malformedEveryMs <= 0) {
        return;
    }
    m_every.setInterval(scenario.malformedEveryMs);
    m_begin.start(scenario.malformedAtMs);
    if (scenario.malformedForMs >= 0) {
        m_end.start(scenario.malformedAtMs + scenario.malformedForMs);
    }
}

void SimMalformedReports::stop() {
    m_begin.stop();
    m_end.stop();
    m_every.stop();
}

void SimMalformedReports::sendOne() {
    const Kind kind = static_cast<Kind>(m_next);
    m_next = (m_next + 1) % kKindCount;
    ++m_sent;
    emit report(make(kind));
}

QByteArray SimMalformedReports::randomBytes(int length) {
    QByteArray bytes(length, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(m_random.bounded(256u));
    }
    return bytes;
}

quint8 SimMalformedReports::knownCode() {
    return kKnownCodes.at(m_random.bounded(quint32(kKnownCodes.size())));
}

QByteArray SimMalformedReports::make(Kind kind) {
    QByteArray report;
    switch (kind) {
        case Kind::RandomBytes:
            return randomBytes(int(m_random.bounded(1u, quint32(kLongestReport) + 1)));
        case Kind::RandomBody:
            report = randomBytes(SimReport::kWireLength);
            report[kCodeIndex] = static_cast<char>(knownCode());
            break;
        case Kind::CutBody:
            report = randomBytes(int(m_random.bounded(1u, quint32(SimReport::kWireLength))));
            if (report.size() > kCodeIndex) {
                report[kCodeIndex] = static_cast<char>(knownCode());
            }
            break;
        case Kind::HugeCounts:
            report = randomBytes(SimReport::kWireLength);
            report[kCodeIndex] = static_cast<char>(
                kCountedCodes.at(m_random.bounded(quint32(kCountedCodes.size()))));
            for (int i = kFirstHeaderIndex; i <= kLastHeaderIndex; ++i) {
                report[i] = static_cast<char>(kHugeCountFloor + m_random.bounded(kHugeCountSpan));
            }
            break;
        case Kind::WrongReportId:
            report = randomBytes(SimReport::kWireLength);
            report[kCodeIndex] = static_cast<char>(knownCode());
            // Any id but ours: 0, or 2..255.
            report[0] =
                static_cast<char>((SimReport::kReportId + 1 + m_random.bounded(255u)) % 256);
            return report;
    }
    report[0] = static_cast<char>(SimReport::kReportId);
    return report;
}
