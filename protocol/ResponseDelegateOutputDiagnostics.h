#pragma once

#include "protocol/PairedArrayStreamDelegate.h"

// Output diagnostics stream ("OutputDiagnostics"), codes 40 (array A) and 41 (array B):
// byte 4 = wire count n, bytes 7..7+n-1 = one byte per wire. The first report of an
// array whose process-wide stored wire count (StoredWireCounts) is 0 stores its count.
// Short reports are accepted: the samples stop at the end of the report.
class ResponseDelegateOutputDiagnostics : public PairedArrayStreamDelegate {
    Q_OBJECT
public:
    explicit ResponseDelegateOutputDiagnostics(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }

    // Wire count of the array's last report, 0 before any.
    int lastWireCountA() const { return m_wireCountA; }
    int lastWireCountB() const { return m_wireCountB; }

signals:
    void outputDiagA(QByteArray data);
    void outputDiagB(QByteArray data);

public slots:
    // Emits outputDiagA or outputDiagB with the samples of the last report.
    void execute() override;

protected:
    // Notes the report's wire count for its array.
    void noteReport(const QByteArray& report) override;

private:
    int m_wireCountA = 0;
    int m_wireCountB = 0;
};
