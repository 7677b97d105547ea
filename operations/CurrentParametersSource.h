#pragma once

#include <QByteArray>
#include <QPointer>

#include <memory>

#include "device/DeviceEventDispatcher.h"

class CommandSetCurrentParameters;
class ResponseDelegateCurrentParameters;

// Where the operations find the controller's last current-parameters block: the
// "CurrentParameters" delegate of the dispatcher's current device kind.
//
// Until the controller has answered, the delegate holds a zero placeholder. A set command
// built from it would carry zeros for every byte the placeholder lacks and overwrite the
// controller's filters and flags, so answered() hides the delegate until it holds a block
// the controller really sent.
class CurrentParametersSource {
public:
    explicit CurrentParametersSource(DeviceEventDispatcher* dispatcher);

    DeviceEventDispatcher* dispatcher() const { return m_dispatcher; }

    // The delegate, or nullptr when no device kind is current.
    ResponseDelegateCurrentParameters* delegate() const;
    // The delegate when it holds a full answer of the controller, else nullptr.
    ResponseDelegateCurrentParameters* answered() const;

    // For one-shot edits, which do not retry: a set command built from a copy of the
    // controller's block; nullptr before the controller has answered, when the block is
    // requested and the dropped request (named by `request`) logged.
    std::unique_ptr<CommandSetCurrentParameters> commandOrAsk(const char* request) const;
    // Queues the command, then get-parameters (nothing without a dispatcher).
    void sendAndAsk(std::unique_ptr<CommandSetCurrentParameters> command) const;
    void askForParameters() const;

    // True for a block the controller sent: response code 3 and a full answer's length
    // (60 bytes), so a set command built from it rewrites every byte as it was.
    static bool isControllerBlock(const QByteArray& block);

private:
    QPointer<DeviceEventDispatcher> m_dispatcher;
};
