#include "ResponseDelegateTrackerParams.h"

#include "protocol/Opcodes.h"

ResponseDelegateTrackerParams::ResponseDelegateTrackerParams(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateTrackerParams::name() const {
    return QStringLiteral("TrackerParams");
}

bool ResponseDelegateTrackerParams::isUnderstood(QByteArray data) {
    return responseCodeOf(data) == ResponseCode::TrackerParams;
}

void ResponseDelegateTrackerParams::execute() {
    emit valuesChanged();
    emit valuesChanged(QByteArray(m_data));
}
