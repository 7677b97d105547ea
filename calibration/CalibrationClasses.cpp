#include "CalibrationClasses.h"

#include <array>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "operations/CalibrationDataStore.h"
#include "operations/CurrentParametersSource.h"
#include "operations/getoperations.h"
#include "calibration/DisplayOrientation.h"

namespace {
constexpr int kDiagnosticTargets = 3;
constexpr int kQuarterTurn = 90;
constexpr int kHalfTurn = 180;
constexpr int kThreeQuarterTurns = 270;
constexpr int kFullTurn = 360;
constexpr int kExcludeNone = 0;
constexpr int kExcludeZone = 1;

using Matrix = std::array<std::array<float, 3>, 3>;

void appendU16(QByteArray& data, int value) {
    data.append(static_cast<char>(value & 0xFF));
    data.append(static_cast<char>((value >> 8) & 0xFF));
}

float determinant(const Matrix& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The adjugate over the determinant; a singular matrix gives what the division gives
// (infinities or NaN), which only goes to the log.
Matrix inverse(const Matrix& m) {
    const float det = determinant(m);
    Matrix r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int r0 = (j + 1) % 3;
            const int r1 = (j + 2) % 3;
            const int c0 = (i + 1) % 3;
            const int c1 = (i + 2) % 3;
            r[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    }
    return r;
}

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                r[i][j] += a[i][k] * b[k][j];
            }
        }
    }
    return r;
}

void logMatrix(const QString& title, const Matrix& m) {
    TLOG_DEBUG(title);
    for (const auto& row : m) {
        TLOG_DEBUG(QStringLiteral("[ %1, %2, %3 ]").arg(row[0]).arg(row[1]).arg(row[2]));
    }
}

// The extra rotation for an angle, as a function of the point relative to the centre.
bool extraRotation(int angle, Matrix* rotation) {
    switch (angle) {
        case kQuarterTurn:
            *rotation = Matrix{{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
            return true;
        case kHalfTurn:
            *rotation = Matrix{{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}};
            return true;
        case kThreeQuarterTurns:
            *rotation = Matrix{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
            return true;
        default:
            return false;
    }
}
}  // namespace

CalibrationClasses::CalibrationClasses(QObject* parent)
    : CalibrationClasses(DeviceEventDispatcher::instance(), parent) {}

CalibrationClasses::CalibrationClasses(DeviceEventDispatcher* dispatcher, QObject* parent)
    : QObject(parent),
      m_dispatcher(dispatcher),
      m_getOperations(new getoperations(dispatcher, this)) {}

QByteArray CalibrationClasses::buildCalibrationData(CalibrationTarget::PList list) {
    QByteArray data;
    for (const CalibrationTarget* target : list) {
        if (target == nullptr) {
            TLOG_WARNING(QStringLiteral("Missing calibration target skipped."));
            continue;
        }
        appendU16(data, target->screenPosition.x);
        appendU16(data, target->screenPosition.y);
        appendU16(data, static_cast<int>(target->statA.mean()));
        appendU16(data, static_cast<int>(target->statB.mean()));
    }
    return data;
}

CalibrationTarget::PList CalibrationClasses::rotateIfNeeded(CalibrationTarget::PList list,
                                                            int mode) {
    logDiagnostics(list);
    const int angle = (DisplayOrientation::degrees() + mode * kQuarterTurn) % kFullTurn;
    Matrix rotation{};
    if (!extraRotation(angle, &rotation)) {
        return list;
    }
    TLOG_DEBUG(QStringLiteral("Rotation of calibration points necessary: %1 degrees").arg(angle));
    logMatrix(QStringLiteral("Extra rotation matrix:"), rotation);
    for (int i = 0; i < list.size(); ++i) {
        CalibrationTarget* target = list.at(i);
        if (target == nullptr) {
            continue;
        }
        CalibrationTarget::Position& position = target->screenPosition;
        TLOG_DEBUG(QStringLiteral("Original point #%1, x=%2, y=%3")
                       .arg(i)
                       .arg(position.x)
                       .arg(position.y));
        const float px = static_cast<float>(position.x - kCentre);
        const float py = static_cast<float>(position.y - kCentre);
        const float rx = rotation[0][0] * px + rotation[0][1] * py;
        const float ry = rotation[1][0] * px + rotation[1][1] * py;
        position.x = static_cast<int>(rx + static_cast<float>(kCentre));
        position.y = static_cast<int>(ry + static_cast<float>(kCentre));
        TLOG_DEBUG(
            QStringLiteral("Rotated point #%1, x=%2, y=%3").arg(i).arg(position.x).arg(position.y));
    }
    return list;
}

void CalibrationClasses::logDiagnostics(const CalibrationTarget::PList& list) const {
    if (list.size() < kDiagnosticTargets) {
        TLOG_WARNING(QStringLiteral("%1 calibration targets, no diagnostics.").arg(list.size()));
        return;
    }
    Matrix screen{};
    Matrix measured{};
    for (int column = 0; column < kDiagnosticTargets; ++column) {
        const CalibrationTarget* target = list.at(column);
        if (target == nullptr) {
            TLOG_WARNING(QStringLiteral("Missing calibration target, no diagnostics."));
            return;
        }
        screen[0][column] = static_cast<float>(target->screenPosition.x);
        screen[1][column] = static_cast<float>(target->screenPosition.y);
        screen[2][column] = 1.0f;
        measured[0][column] = static_cast<float>(target->statA.mean());
        measured[1][column] = static_cast<float>(target->statB.mean());
        measured[2][column] = 1.0f;
    }
    logMatrix(QStringLiteral("Screen positions:"), screen);
    logMatrix(QStringLiteral("Measured positions:"), measured);
    TLOG_DEBUG(QStringLiteral("Measured positions (deteterminant):%1").arg(determinant(measured)));
    const Matrix measuredInverse = inverse(measured);
    logMatrix(QStringLiteral("Measured positions (inverse):"), measuredInverse);
    const Matrix transformation = product(screen, measuredInverse);
    logMatrix(QStringLiteral("Initial (unrotated) transformation matrix appears to be:"),
              transformation);
    TLOG_DEBUG(
        QStringLiteral("Transformation matrix deteterminant:%1").arg(determinant(transformation)));
}

QByteArray CalibrationClasses::storedCalibrationData(int touchMode) {
    return CalibrationDataStore::storedCalibrationData(touchMode);
}

QByteArray CalibrationClasses::currentCalibrationData() const {
    return CalibrationDataStore::currentCalibrationData(m_dispatcher);
}

bool CalibrationClasses::checkCalibSettings() {
    const ResponseDelegateCurrentParameters* block =
        CurrentParametersSource(m_dispatcher).delegate();
    if (block == nullptr) {
        TLOG_WARNING(QStringLiteral("No parameter block to check."));
        return false;
    }
    bool wantCalib3 = false;
    int wantExclude = kExcludeNone;
    if (m_getOperations->getCalibrationSuccessfull()) {
        TLOG_INFO(QStringLiteral("Exclusion zone not activated."));
        wantCalib3 = true;
        if (m_exclusionZone) {
            TLOG_INFO(QStringLiteral("Activating exclusion zone."));
            wantExclude = kExcludeZone;
        }
    }
    return block->isOutputUseCalib3() == wantCalib3 && block->OutputExcludeMode() == wantExclude;
}

void CalibrationClasses::sendCalibrationData(int theTouchMode) {
    Q_UNUSED(theTouchMode);
    sendCalibrationData();
}

void CalibrationClasses::sendCalibrationData() {
    CalibrationDataStore::sendCalibrationData(m_dispatcher);
}
