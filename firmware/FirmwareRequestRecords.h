#pragma once

#include <QtGlobal>

#include "protocol/FirmwareUpdateAccessor.h"

// One plain record per firmware-update request kind, kept together because they share
// one life: send() marks the request pending and forgets the last results; fill() takes
// the results from the answer and marks it answered. An upload step waits while its
// record is pending.
struct FirmwareRequestRecord {
    bool pending = false;
    bool answered = false;

protected:
    void markSent() {
        pending = true;
        answered = false;
    }
    void markAnswered() {
        pending = false;
        answered = true;
    }
};

struct StoreClearType : FirmwareRequestRecord {
    bool headerClear = false;
    bool itemsClear = false;

    void send() {
        *this = StoreClearType();
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        headerClear = answer.isHeaderClear();
        itemsClear = answer.isItemsClear();
        markAnswered();
    }
};

// The download-area query; its answer fills StoreClearType.
struct StoreIsClearType : StoreClearType {
    void send() {
        *this = StoreIsClearType();
        markSent();
    }
};

struct HeaderGetParamsType : FirmwareRequestRecord {
    quint32 stagedVersion = 0;
    quint32 stagedSize = 0;
    quint32 stagedCheckSum = 0;
    bool stagedCheckSumValid = false;
    quint32 runningFlags = 0;
    quint32 runningVersion = 0;
    quint32 runningSize = 0;
    quint32 runningCheckSum = 0;
    bool runningCheckSumValid = false;
    quint32 updateCounter = 0;
    quint32 originalVersion = 0;

    void send() {
        *this = HeaderGetParamsType();
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        stagedVersion = answer.stagedVersion();
        stagedSize = answer.stagedSize();
        stagedCheckSum = answer.stagedCheckSum();
        stagedCheckSumValid = answer.isStagedCheckSumValid();
        runningFlags = answer.runningFlags();
        runningVersion = answer.runningVersion();
        runningSize = answer.runningSize();
        runningCheckSum = answer.runningCheckSum();
        runningCheckSumValid = answer.isRunningCheckSumValid();
        updateCounter = answer.updateCounter();
        originalVersion = answer.originalFirmwareVersion();
        markAnswered();
    }
};

struct HeaderSetParamsType : FirmwareRequestRecord {
    bool accepted = false;

    void send() {
        *this = HeaderSetParamsType();
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        accepted = answer.isHeaderSetAccepted();
        markAnswered();
    }
};

struct ItemSetParamsType : FirmwareRequestRecord {
    quint16 entry = 0;  // the entry sent
    bool accepted = false;

    void send(quint16 sentEntry) {
        *this = ItemSetParamsType();
        entry = sentEntry;
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        accepted = answer.isItemAccepted();
        markAnswered();
    }
};

// Item get is never sent; an answer is only logged.
struct ItemGetParamsType : FirmwareRequestRecord {
    bool valid = false;

    void fill(const FirmwareUpdateAccessor& answer) {
        valid = answer.isItemValid();
        markAnswered();
    }
};

struct UpdateIsReadyType : FirmwareRequestRecord {
    bool ready = false;

    void send() {
        *this = UpdateIsReadyType();
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        ready = answer.isUpdateReady();
        markAnswered();
    }
};

struct UpdatePerformType : FirmwareRequestRecord {
    bool accepted = false;

    void send() {
        *this = UpdatePerformType();
        markSent();
    }
    void fill(const FirmwareUpdateAccessor& answer) {
        accepted = answer.isUpdatePerformAccepted();
        markAnswered();
    }
};
