#include "ResponseDelegateFilterAB.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "protocol/FilterSetLayout.h"
#include "protocol/Opcodes.h"

namespace {
const char kFirstConfigurationKey[] = "FilterValue/FirstConfiguration";
const char kKalmanStdDevKey[] = "FilterValue/kalmanStdDevValue";
const char kKalmanAPCovFactorKey[] = "FilterValue/kalmanAPCovFactorValue";
const char kKalmanAQCovFactorKey[] = "FilterValue/kalmanAQCovFactorValue";
const char kStabStdDeviationKey[] = "FilterValue/StabStdDeviationValue";
const char kWarpFactorKey[] = "FilterValue/warpFactorValue";
const char kOrthogonalityKey[] = "FilterValue/orthogonalityValue";
const char kCriticalLockingDistanceKey[] = "FilterValue/criticalLockingDistanceValue";
}  // namespace

ResponseDelegateFilterAB::ResponseDelegateFilterAB(QObject* parent)
    : FloatSetResponseDelegate(ResponseCode::FilterAB, parent) {}

QString ResponseDelegateFilterAB::name() const {
    return QStringLiteral("FilterAB");
}

void ResponseDelegateFilterAB::execute() {
    FloatSetResponseDelegate::execute();
    setDefaultParameters();
}

void ResponseDelegateFilterAB::setDefaultParameters() {
    QSettings settings;
    if (settings.value(QLatin1String(kFirstConfigurationKey), false).toBool()) {
        return;
    }
    if (m_data.size() < FilterSetLayout::kFieldsEnd) {
        TLOG_WARNING(QStringLiteral("Filter report of %1 bytes lacks fields, not kept as defaults.")
                         .arg(m_data.size()));
        return;
    }
    settings.setValue(QLatin1String(kFirstConfigurationKey), true);
    settings.setValue(QLatin1String(kKalmanStdDevKey), kalStdDeviation0());
    settings.setValue(QLatin1String(kKalmanAPCovFactorKey), kalPMatrixFactor());
    settings.setValue(QLatin1String(kKalmanAQCovFactorKey), kalQMatrixFactor());
    settings.setValue(QLatin1String(kStabStdDeviationKey), filterStabStdDeviation());
    settings.setValue(QLatin1String(kWarpFactorKey), filterWarpFactor());
    settings.setValue(QLatin1String(kOrthogonalityKey), filterOrtho());
    settings.setValue(QLatin1String(kCriticalLockingDistanceKey), filterLock());
}
