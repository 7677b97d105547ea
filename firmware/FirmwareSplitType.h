#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

class DeviceEventDispatcher;
class DeviceResponseDelegate;
class ResponseDelegateProcessedEdge;
class SetOperations;

// Measures how many wires each array of the sensor has and derives the sensor variant
// (split type) from them: the controller is asked to stream its edge data, and an edge
// report of array A or B carries one value per wire gap, so a report of n values means
// n + 1 wires. Once both arrays have reported, the counts and the split type are stored
// process-wide (StoredWireCounts, FirmwareInformation) and signal_getHeader() lets the
// firmware check go on. A replayed log never starts the check.
class FirmwareSplitType : public QObject {
    Q_OBJECT
public:
    static constexpr int kSplit4040 = 4040;
    static constexpr int kSplit4024 = 4024;
    static constexpr int kSplit2440 = 2440;

    // The process-wide dispatcher and operations.
    explicit FirmwareSplitType(QObject* parent = nullptr);
    FirmwareSplitType(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                      QObject* parent = nullptr);

    // Wires of array A and B once both were measured; 0 before.
    int aWireCount() const { return m_aWireCount; }
    int bWireCount() const { return m_bWireCount; }
    bool isStarted() const { return m_started; }
    // Both wire counts are known, or the check was ended without them.
    bool isFinished() const { return (m_aWireCount != 0 && m_bWireCount != 0) || m_ended; }

    // The split type of a wire-count pair: 4040, 4024 or 2440; 0 for any other pair.
    static int splitTypeFor(int wiresA, int wiresB);

signals:
    // Both wire counts are known (or the check was ended by disConnectWireCheck()).
    void signal_getHeader();

public slots:
    // Asks the controller to stream the edges of both arrays, once, and only when the
    // provider reads a device.
    void checkWireCount();
    // Takes the last edge lengths of A and B; when both are non-zero and this object
    // started the check, stores the counts and the split type, emits signal_getHeader()
    // and stops the edge stream. Edges of a check it did not start (a replayed log) are
    // not taken.
    void onFinishWireCheck();
    // Kept for the callers that feed edge data directly; they change nothing.
    bool SetAwireCount(QByteArray aWireData);
    bool SetBwireCount(QByteArray bWireData);
    // With both edge lengths known: wire counts = lengths + 1, stored process-wide with
    // the split type (which stays as it was for a pair outside the table). Running it
    // again gives the same counts.
    void SetFirmwareSplitType();
    void connectChkWireCount();
    // Ends the check with what is known (the counts stay 0 without both edges): stops
    // listening, switches a stream this check started off again and emits
    // signal_getHeader().
    void disConnectWireCheck();

private:
    void onEdgeA(const QByteArray& data);
    void onEdgeB(const QByteArray& data);
    void stopListening();

    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    QPointer<ResponseDelegateProcessedEdge> m_edgeDelegate;
    int m_edgeLengthA = 0;
    int m_edgeLengthB = 0;
    int m_aWireCount = 0;
    int m_bWireCount = 0;
    bool m_started = false;
    bool m_ended = false;
};
