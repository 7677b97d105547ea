#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class CliLink;
class FloatSetResponseDelegate;
class ParameterSnapshot;

// Reads every parameter set of the controller into a snapshot, and writes a snapshot back
// read-modify-write-verify: each set is written from a copy of what the controller last
// reported, read back and written again until it reads as the snapshot, a bounded number
// of times. The current parameters go through the operations' converging pass (which
// also waits out a soft reset the new values start).
//
// Not restored: what belongs to the controller (status, parameter version, scan and snap
// rates, its wire-error verdict) and the streaming switches (monitor flags), which stay
// as the controller has them.
class ParameterTransfer {
public:
    explicit ParameterTransfer(CliLink& link);

    bool read(ParameterSnapshot* snapshot);
    // Refuses, writing nothing, a snapshot of another parameter version or one whose
    // tracker set the controller does not have. `save` ends with a save to flash.
    bool write(const ParameterSnapshot& snapshot, bool save);

    QString errorText() const { return m_error; }

    // The bits of block byte `offset` a restore writes.
    static quint8 restorableMask(int offset);

private:
    // Queues a set command built from `previous` with its fields replaced; false when
    // none could be built.
    using SendSet = std::function<bool(const QByteArray& previous, const QByteArray& fields)>;

    bool readFloatSet(FloatSetResponseDelegate* delegate, const std::function<void()>& ask,
                      QByteArray* fields);
    bool readZones(QByteArray* zoneA, QByteArray* zoneB);
    bool writeCurrentParameters(const QByteArray& fields);
    bool writeFloatSet(FloatSetResponseDelegate* delegate, const std::function<void()>& ask,
                       const SendSet& sendSet, const QByteArray& fields);
    bool writeZones(const QByteArray& zoneA, const QByteArray& zoneB);
    bool saveToFlash();
    bool fail(const QString& text);

    CliLink& m_link;
    QString m_error;
};
