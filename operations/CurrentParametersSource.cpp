#include "CurrentParametersSource.h"

#include "device/DeviceEventDispatcher.h"
#include "protocol/CurrentParametersLayout.h"
#include "protocol/Opcodes.h"
#include "protocol/ResponseDelegateCurrentParameters.h"

namespace {
const QString kDelegateName = QStringLiteral("CurrentParameters");
}

CurrentParametersSource::CurrentParametersSource(DeviceEventDispatcher* dispatcher)
    : m_dispatcher(dispatcher) {}

ResponseDelegateCurrentParameters* CurrentParametersSource::delegate() const {
    if (m_dispatcher.isNull()) {
        return nullptr;
    }
    return qobject_cast<ResponseDelegateCurrentParameters*>(
        m_dispatcher->responseDelegate(kDelegateName));
}

ResponseDelegateCurrentParameters* CurrentParametersSource::answered() const {
    ResponseDelegateCurrentParameters* current = delegate();
    if (current == nullptr || !isControllerBlock(current->data())) {
        return nullptr;
    }
    return current;
}

bool CurrentParametersSource::isControllerBlock(const QByteArray& block) {
    using namespace CurrentParametersLayout;
    return block.size() >= kBlockSize &&
           static_cast<quint8>(block.at(kResponseCodeOffset)) == ResponseCode::CurrentParameters;
}
