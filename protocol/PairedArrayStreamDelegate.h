#pragma once

#include "device/DeviceResponseDelegate.h"

// Base of the streams that report wire array A and array B under a pair of response
// codes and share the sample layout of PacketBytes: byte 4 = sample count n, samples from
// byte 7 (processed edge, processed scan, output diagnostics).
//
// addData() keeps the report, selects the array by its code and cuts out the samples
// (a report shorter than n + 7 bytes yields what it holds from byte 7 on). A report of
// another code is logged as "Called with the wrong type of packet" and still kept, for
// the array of the previous report.
class PairedArrayStreamDelegate : public DeviceResponseDelegate {
    Q_OBJECT
public:
    // codeA and codeB: the response codes of array A and array B.
    PairedArrayStreamDelegate(int codeA, int codeB, QObject* parent = nullptr);

    // True exactly for the two codes in byte 1.
    bool isUnderstood(QByteArray data) override;

    // The samples of the last report.
    const QByteArray& trimmedData() const { return m_trimmed; }

public slots:
    void addData(QByteArray data) override;

protected:
    // Whether the last report (or, for a report of another code, the one before it)
    // belongs to array B.
    bool isArrayB() const { return m_arrayB; }
    // What a stream keeps of each report besides its samples; runs after the array was
    // selected.
    virtual void noteReport(const QByteArray& report);

private:
    const int m_codeA;
    const int m_codeB;
    QByteArray m_trimmed;
    bool m_arrayB = false;
};
