#pragma once

#include "device/DeviceResponseDelegate.h"

// Zonal filter coefficients ("ZoneFilterAB"): code 35 ('#') for array A, 36 ('$') for
// array B. Byte 2 = coefficient count n, bytes 3..3+n-1 = the coefficients, one byte
// each. The delegate keeps the last A report and the last B report.
class ResponseDelegateZoneFilterAB : public DeviceResponseDelegate {
    Q_OBJECT
public:
    explicit ResponseDelegateZoneFilterAB(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly for codes 35 and 36 in byte 1.
    bool isUnderstood(QByteArray data) override;
    // Forgets that A and B were received (the kept reports stay).
    void resetHasData() override;
    // True once both an A and a B report have been received since the last reset.
    bool hasData() override;

signals:
    void newAlphasA(QByteArray data);
    void newAlphasB(QByteArray data);

public slots:
    // Emits newAlphasA(alphasA()) when the last report was array A's, newAlphasB(alphasB())
    // when it was B's; nothing before any report.
    void execute() override;
    // Keeps a report of code 35 as A and of code 36 as B; any other is logged and ignored.
    void addData(QByteArray data) override;
    // The coefficients of the kept report: n bytes from byte 3, fewer when the report
    // ends earlier (a report announcing more than it holds gives what it holds); empty
    // before any report.
    QByteArray alphasA();
    QByteArray alphasB();

private:
    static QByteArray coefficientsOf(const QByteArray& report);

    QByteArray m_reportA;
    QByteArray m_reportB;
    bool m_receivedA = false;
    bool m_receivedB = false;
    bool m_lastWasB = false;
};
