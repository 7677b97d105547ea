#pragma once

#include "protocol/PairedArrayStreamDelegate.h"

// Processed edge stream ("ProcessedEdge"), codes 4 (array A) and 5 (array B):
// byte 4 = wire count n, bytes 7..7+n-1 = one unsigned level per wire.
// Short reports are accepted: the samples stop at the end of the report.
class ResponseDelegateProcessedEdge : public PairedArrayStreamDelegate {
    Q_OBJECT
public:
    explicit ResponseDelegateProcessedEdge(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }

signals:
    void edgeA(QByteArray data);
    void edgeB(QByteArray data);
    // Declared for the pages that connect to them; this delegate does not emit them.
    void wireCountA(int value);
    void wireCountB(int value);
    // Once in the delegate's life: both arrays have reported a non-empty edge.
    void finishedWireCheck();

public slots:
    // Emits edgeA or edgeB with the samples of the last report.
    void execute() override;

private:
    int m_lengthA = 0;
    int m_lengthB = 0;
    bool m_wireCheckFinished = false;
};
