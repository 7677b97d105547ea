#pragma once

#include "protocol/PairedArrayStreamDelegate.h"

// Processed scan stream ("ProcessedScan"), codes 8 (array A) and 9 (array B):
// byte 2 = line number, byte 4 = sample count n, bytes 7..7+n-1 = samples.
// Short reports are accepted: the samples stop at the end of the report.
class ResponseDelegateProcessedScan : public PairedArrayStreamDelegate {
    Q_OBJECT
public:
    // Line length assumed for an array that has not reported yet.
    static constexpr int kInitialLength = 40;
    // Size of the declared image argument of imageSignal: 64 x 64 pixels of 3 bytes.
    static constexpr int kImageSide = 64;
    static constexpr int kImagePixelBytes = 3;

    explicit ResponseDelegateProcessedScan(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }

    int lineA() const { return m_lineA; }
    int lineB() const { return m_lineB; }
    int lengthA() const { return m_lengthA; }
    int lengthB() const { return m_lengthB; }

signals:
    void scanA(QByteArray data);
    void scanB(QByteArray data);
    // flag: false for array A, true for array B.
    void scanA(QByteArray data, bool flag, int line);
    void scanB(QByteArray data, bool flag, int line);
    void scanALenLine(QByteArray data, uchar Line, uchar Length, bool flag);
    void scanBLenLine(QByteArray data, uchar Line, uchar Length, bool flag);
    // Declared for the scan graph (64 x 64 RGB bytes, row after row); not emitted here.
    void imageSignal(QByteArray m_itsImage);

public slots:
    // For array A: scanA(data, false, line), scanA(data), scanALenLine(data, line,
    // length, false), in this order; for B the B signals with flag true.
    void execute() override;

protected:
    // Keeps the report's line number and length for its array.
    void noteReport(const QByteArray& report) override;

private:
    static constexpr int kLineIndex = 2;

    int m_lineA = 0;
    int m_lineB = 0;
    int m_lengthA = kInitialLength;
    int m_lengthB = kInitialLength;
};
