#pragma once

#include <QByteArray>
#include <QPointer>

#include "device/DeviceResponseDelegate.h"
#include "protocol/ParameterReadAccessor.h"

class SoftResetNotice;

// Receives the current-parameters block (response code 3), keeps the last one and
// derives the thresholds, output state, flags and soft-reset state from each answer.
// Registered as "CurrentParameters"; one per device kind, living for the whole run.
//
// Until the first answer it holds 20 zero bytes: every field reads as 0 / false then
// (fields from byte 20 on lie outside the placeholder). A packet shorter than a full
// block (60 bytes; the tail of a report cut at the wrong size) is not a block: addData()
// logs and ignores it, keeping the last block, and the following execute() emits
// nothing. Longer packets are read bounds-checked.
//
// execute() emits, per answer and in this order: on the first answer only
// signalBoardStarted(); valuesChanged(); signalPressThreshold, signalTouchThreshold,
// signalEdgeThreshold; valuesChanged(memento); the soft-reset signals; the output
// signals when output enable or encoding changed; once in the delegate's life
// signalUnsetFlags() or signalFlagsDone(); signalThresholdChanged();
// signalMonTestDiagFlagChanged().
class ResponseDelegateCurrentParameters : public DeviceResponseDelegate,
                                          public ParameterReadAccessor {
    Q_OBJECT
public:
    explicit ResponseDelegateCurrentParameters(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly when byte 1 is 3.
    bool isUnderstood(QByteArray data) override;

    const QByteArray& parameterBlock() const override { return data(); }

    using DeviceResponseDelegate::valuesChanged;

signals:
    // A copy of the whole block just received.
    void valuesChanged(QByteArray memento);
    void signalPressThreshold(int value);
    void signalTouchThreshold(int value);
    void signalEdgeThreshold(int value);
    void signalSoftResetActive();
    void signalSoftResetInactive();
    void signalMonPeakActive();
    void signalOutputChanged();
    void signalOutputEncodeValue(int value);
    void signalOutputStateValue(bool flag);
    // Monitor flags were found set in the first answer; the caller should clear them.
    void signalUnsetFlags();
    void signalFlagsDone();
    void signalBoardStarted();
    void signalThresholdChanged();
    void signalMonTestDiagFlagChanged();

public slots:
    void addData(QByteArray data) override;
    void execute() override;
    // Shows the notice when a soft reset starts (unless "General/NoTouchWindow"), hides
    // it when it ends, and signals either state.
    void softResetInvoker();
    // After a soft reset ended: signalMonPeakActive() once, when peak monitoring is on.
    void chkforMonPeak();
    void chkforOutputChange();
    void chkforThresholdChange();
    void chkforFlagChange();

private:
    void onFirstAnswer();
    void checkFlagsOnce();
    void cacheThresholdsUntilKnown();
    bool anyMonitorFlagSet() const;
    static bool isNoTouchWindowSet();

    bool m_lastPacketIgnored = false;
    bool m_started = false;
    QPointer<SoftResetNotice> m_notice;
    bool m_softResetActive = false;
    bool m_peakCheckPending = false;
    bool m_flagsChecked = false;
    bool m_outputEnabled = false;
    int m_outputEncoding = -1;
    bool m_testMode = false;
    bool m_diagA = false;
    bool m_diagB = false;
    int m_edgeThreshold = 0;
    int m_touchThreshold = 0;
    int m_pressThreshold = 0;
};
