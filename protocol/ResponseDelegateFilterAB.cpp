#include "ResponseDelegateFilterAB.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "protocol/FilterSetLayout.h"
#include "protocol/Opcodes.h"
#include "protocol/SettingsKeys.h"

ResponseDelegateFilterAB::ResponseDelegateFilterAB(QObject* parent)
    : FloatSetResponseDelegate(ResponseCode::FilterAB, parent) {}

QString ResponseDelegateFilterAB::registryName() {
    return QStringLiteral("FilterAB");
}

void ResponseDelegateFilterAB::execute() {
    FloatSetResponseDelegate::execute();
    setDefaultParameters();
}

void ResponseDelegateFilterAB::setDefaultParameters() {
    QSettings settings;
    if (settings.value(SettingsKeys::FilterValue::kFirstConfiguration, false).toBool()) {
        return;
    }
    if (m_data.size() < FilterSetLayout::kFieldsEnd) {
        TLOG_WARNING(QStringLiteral("Filter report of %1 bytes lacks fields, not kept as defaults.")
                         .arg(m_data.size()));
        return;
    }
    settings.setValue(SettingsKeys::FilterValue::kFirstConfiguration, true);
    settings.setValue(SettingsKeys::FilterValue::kKalmanStdDev, kalStdDeviation0());
    settings.setValue(SettingsKeys::FilterValue::kKalmanAPCovFactor, kalPMatrixFactor());
    settings.setValue(SettingsKeys::FilterValue::kKalmanAQCovFactor, kalQMatrixFactor());
    settings.setValue(SettingsKeys::FilterValue::kStabStdDeviation, filterStabStdDeviation());
    settings.setValue(SettingsKeys::FilterValue::kWarpFactor, filterWarpFactor());
    settings.setValue(SettingsKeys::FilterValue::kOrthogonality, filterOrtho());
    settings.setValue(SettingsKeys::FilterValue::kCriticalLockingDistance, filterLock());
}
