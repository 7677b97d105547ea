#pragma once

#include <QByteArray>

// Second base of every command that writes back a block the controller sent earlier.
// The block is a delegate packet (byte 0 frame byte, byte 1 response code, then data);
// writer accessors edit the working copy in place, and the command's bytes are the
// opcode followed by block bytes 2.. of the working copy. Block byte k (k >= 2) thus
// travels as command byte k - 1.
class DeviceStateMutator {
public:
    virtual ~DeviceStateMutator() = default;

    // Sets both the previous response and the working copy to the given block.
    void setPreviousResponse(const QByteArray& block);

    const QByteArray& previousResponse() const { return m_previous; }

    // The copy that writer accessors edit in place.
    virtual QByteArray& workingCopy() { return m_working; }
    const QByteArray& workingCopy() const { return m_working; }

    // Most command bytes one packet carries: the opcode and 58 payload bytes.
    static constexpr int kMaxCommandBytes = 59;

protected:
    // The opcode followed by the working copy without its first two bytes. A block
    // shorter than two bytes yields the opcode alone; a block longer than a packet is cut
    // to kMaxCommandBytes (with a warning), as the report cannot carry more.
    virtual QByteArray protected_execute(unsigned char opcode);

private:
    QByteArray m_previous;
    QByteArray m_working;
};
