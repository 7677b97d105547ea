#pragma once

// Scoped entry/exit trace at message type 32:
//   "Entering <sig> [ENTER]" / "Exiting <sig> [EXIT]", or for object lifetime
//   "Instantiating QObject <sig> [CREATING]" / "Destroying QObject <sig> [DESTROYING]".
// Costs one filter test when tracing is off.
class FunctionTrace {
public:
    explicit FunctionTrace(const char* signature, bool objectLifetime = false);
    ~FunctionTrace();

    FunctionTrace(const FunctionTrace&) = delete;
    FunctionTrace& operator=(const FunctionTrace&) = delete;

private:
    const char* m_signature;
    bool m_objectLifetime;
};
