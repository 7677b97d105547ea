#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Parses the controller's answers (and unsolicited streams) of the response codes it
// understands. Owned by its device kind. The dispatcher calls addData(packet) and then
// execute() for every packet whose code the delegate understands.
//
// A packet is what the delegate sees: byte 0 the frame byte, byte 1 the response code,
// bytes 2..59 data. Packets can be short; byteAt() reads every byte bounds-checked.
class DeviceResponseDelegate : public QObject {
    Q_OBJECT
public:
    explicit DeviceResponseDelegate(QObject* parent = nullptr) : QObject(parent) {}

    // Registry key, e.g. "CurrentParameters".
    virtual QString name() const = 0;
    // Whether the packet's response code (byte 1) is one of this delegate's.
    virtual bool isUnderstood(QByteArray data) = 0;
    virtual void resetHasData() { m_hasData = false; }
    virtual bool hasData() { return m_hasData; }

    const QByteArray& data() const { return m_data; }

    // Byte `index` of the last packet, or 0 when the packet is shorter.
    quint8 byteAt(int index) const;

    static constexpr int kResponseCodeIndex = 1;
    static constexpr int kDataStart = 2;

signals:
    void valuesChanged();

public slots:
    // Parses data() and emits the delegate's signals.
    virtual void execute() = 0;
    virtual void addData(QByteArray data);

protected:
    // Response code of a packet, or -1 when it is too short to carry one.
    static int responseCodeOf(const QByteArray& packet);

    QByteArray m_data;
    bool m_hasData = false;
};
