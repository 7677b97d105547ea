#include "ResponseDelegateTrackerParams.h"

#include "protocol/Opcodes.h"

ResponseDelegateTrackerParams::ResponseDelegateTrackerParams(QObject* parent)
    : FloatSetResponseDelegate(ResponseCode::TrackerParams, parent) {}

QString ResponseDelegateTrackerParams::name() const {
    return QStringLiteral("TrackerParams");
}
