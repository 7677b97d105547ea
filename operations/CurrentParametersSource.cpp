#include "CurrentParametersSource.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/Opcodes.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"

CurrentParametersSource::CurrentParametersSource(DeviceEventDispatcher* dispatcher)
    : m_dispatcher(dispatcher) {}

ResponseDelegateCurrentParameters* CurrentParametersSource::delegate() const {
    if (m_dispatcher.isNull()) {
        return nullptr;
    }
    return qobject_cast<ResponseDelegateCurrentParameters*>(
        m_dispatcher->responseDelegate(ResponseDelegateCurrentParameters::registryName()));
}

ResponseDelegateCurrentParameters* CurrentParametersSource::answered() const {
    ResponseDelegateCurrentParameters* current = delegate();
    if (current == nullptr || !isControllerBlock(current->data())) {
        return nullptr;
    }
    return current;
}

std::unique_ptr<CommandSetCurrentParameters> CurrentParametersSource::commandOrAsk(
    const char* request) const {
    const ResponseDelegateCurrentParameters* block = answered();
    if (block == nullptr) {
        TLOG_WARNING(QStringLiteral("The controller has not sent its parameters yet, %1 dropped.")
                         .arg(QLatin1String(request)));
        askForParameters();
        return nullptr;
    }
    return std::unique_ptr<CommandSetCurrentParameters>(CommandFactory::setParams(block->data()));
}

void CurrentParametersSource::sendAndAsk(
    std::unique_ptr<CommandSetCurrentParameters> command) const {
    if (m_dispatcher.isNull() || !command) {
        return;
    }
    m_dispatcher->queueCommand(command.release());
    askForParameters();
}

void CurrentParametersSource::askForParameters() const {
    if (!m_dispatcher.isNull()) {
        m_dispatcher->queueCommand(CommandFactory::getParams());
    }
}

bool CurrentParametersSource::isControllerBlock(const QByteArray& block) {
    return CommandFactory::isControllerBlock(block, ResponseCode::CurrentParameters);
}
