#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Reads the fields of a firmware-update answer (layout in FirmwareUpdateLayout.h).
//
// Contract: every reader looks at the fixed offset of its field whatever the response
// code; the caller picks the reader that matches the answer it handles. A byte beyond the
// end of the block reads as 0 (a number missing some of its bytes is assembled from the
// bytes present), so nothing outside the block is ever read. hasCompleteHeader() tells
// whether a header-get answer carries all its fields.
class FirmwareUpdateAccessor {
public:
    virtual ~FirmwareUpdateAccessor() = default;

    // The answer the readers read: byte 0 frame byte, byte 1 response code.
    virtual const QByteArray& firmwareBlock() const = 0;

    // Response code (byte 1), -1 when the block is too short to carry one.
    int firmwareResponseCode() const;

    // Store clear / store is clear (answers 22, 23).
    bool isHeaderClear() const;
    bool isItemsClear() const;

    // Header set (answer 24).
    bool isHeaderSetAccepted() const;

    // Header get (answer 25).
    bool hasCompleteHeader() const;
    quint32 stagedVersion() const;
    quint32 stagedSize() const;
    quint32 stagedCheckSum() const;
    bool isStagedCheckSumValid() const;
    quint32 runningFlags() const;
    quint32 runningVersion() const;
    quint32 runningSize() const;
    quint32 runningCheckSum() const;
    bool isRunningCheckSumValid() const;
    quint32 updateCounter() const;
    quint32 originalFirmwareVersion() const;
    // The version the controller runs: the running version, or the original firmware
    // version when the running version reads 0xFFFFFFFF (erased running header).
    quint32 currentFirmwareVersion() const;
    // currentFirmwareVersion() and originalFirmwareVersion() as lower-case hex text
    // without prefix or padding (0x615 -> "615").
    QString currentFirmwareVersionText() const;
    QString originalFirmwareVersionText() const;
    // Writes the two version texts to the application-wide FirmwareInformation.
    void publishFirmwareVersions() const;

    // Item set / item get (answers 26, 27).
    quint16 itemEntryEcho() const;
    bool isItemAccepted() const;  // item set
    bool isItemValid() const;     // item get
    quint32 itemDetail() const;   // item get, bytes 5..8

    // Update is ready / update perform (answers 28, 29).
    bool isUpdateReady() const;
    bool isUpdatePerformAccepted() const;

private:
    quint8 firmwareByte(int offset) const;
    quint16 firmwareU16(int offset) const;
    quint32 firmwareU32(int offset) const;
};
