#include "ResponseDelegateTrackerParams.h"

#include "protocol/Opcodes.h"

ResponseDelegateTrackerParams::ResponseDelegateTrackerParams(QObject* parent)
    : FloatSetResponseDelegate(ResponseCode::TrackerParams, parent) {}

QString ResponseDelegateTrackerParams::registryName() {
    return QStringLiteral("TrackerParams");
}
