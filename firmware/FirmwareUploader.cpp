#include "FirmwareUploader.h"

#include <QFileInfo>
#include <QTime>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/FirmwareUpdateLayout.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "protocol/SimpleCommand.h"
#include "protocol/commandsetfirmareupdate.h"
#include "firmware/FirmwareVersionRules.h"

namespace {
constexpr int kHexBase = 16;
constexpr int kPercent = 100;
constexpr int kProgressMessageEvery = 10;

QString hex(quint32 value) {
    return QString::number(value, kHexBase);
}

QString flagText(bool flag) {
    return flag ? QStringLiteral("(true)") : QStringLiteral("(false)");
}
}  // namespace

FirmwareUploader::FirmwareUploader(DeviceEventDispatcher* dispatcher, QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher) {
    TTRACE_OBJECT();
    if (m_dispatcher) {
        m_delegate = qobject_cast<ResponseDelegateFirmwareUpdate*>(
            m_dispatcher->responseDelegate(QStringLiteral("FirmwareUpdate")));
    }
    if (m_delegate.isNull()) {
        TLOG_WARNING(QStringLiteral("No FirmwareUpdate delegate: no answer can be read."));
    } else {
        using D = ResponseDelegateFirmwareUpdate;
        connect(m_delegate, &D::signal_DoneStoreClear, this, &FirmwareUploader::DoneStoreClear);
        connect(m_delegate, &D::signal_DoneStoreIsClear, this, &FirmwareUploader::DoneStoreIsClear);
        connect(m_delegate, &D::signal_DoneHeaderSetParams, this,
                &FirmwareUploader::DoneHeaderSetParams);
        connect(m_delegate, &D::signal_DoneHeaderGetParams, this,
                &FirmwareUploader::DoneHeaderGetParams);
        connect(m_delegate, &D::signal_DoneItemsSetParams, this,
                &FirmwareUploader::DoneItemsSetParams);
        connect(m_delegate, &D::signal_DoneItemGetParams, this,
                &FirmwareUploader::DoneItemGetParams);
        connect(m_delegate, &D::signal_DoneUpdateIsReady, this,
                &FirmwareUploader::DoneUpdateIsReady);
        connect(m_delegate, &D::signal_DoneUpdatePerform, this,
                &FirmwareUploader::DoneUpdatePerform);
        connect(m_delegate, &D::signal_SequenceUpdate, this, &FirmwareUploader::SequenceUpdate);
    }
    m_tickTimer.setInterval(m_periods.tickMs);
    connect(&m_tickTimer, &QTimer::timeout, this, &FirmwareUploader::tick);
}

FirmwareUploader::~FirmwareUploader() {
    TTRACE_OBJECT();
    m_tickTimer.stop();
    restoreLink();
}

void FirmwareUploader::setPeriods(const Periods& periods) {
    m_periods = periods;
    if (m_periods.tickMs > 0) {
        m_tickTimer.setInterval(m_periods.tickMs);
    } else {
        m_tickTimer.stop();
    }
}

QString FirmwareUploader::timestamped(const QString& text) {
    const QTime now = QTime::currentTime();
    return QStringLiteral("%1:%2 %3")
        .arg(now.toString(QStringLiteral("hh:mm:ss")))
        .arg(now.msec())
        .arg(text);
}

void FirmwareUploader::PrintWord(const QString& text, bool show) {
    TLOG_INFO(text);
    if (show) {
        emit messageShown(text);
    }
}

void FirmwareUploader::start() {
    TTRACE();
    if (m_periods.tickMs > 0) {
        m_tickTimer.start();
    }
    if (!hasLink()) {
        emit fileChoiceAllowed(true);
        return;
    }
    SequenceStart(Current);
}

bool FirmwareUploader::hasLink() {
    if (m_dispatcher && m_delegate) {
        return true;
    }
    show(QStringLiteral("No controller is connected."));
    return false;
}

bool FirmwareUploader::upload(const QString& fileName) {
    TTRACE();
    if (m_uploading) {
        log(QStringLiteral("An upload is running; %1 is not uploaded.").arg(fileName));
        return false;
    }
    if (!hasLink()) {
        emit uploadFinished(false);
        return false;
    }
    if (m_sequence == Current) {
        log(QStringLiteral("%1 is uploaded once the current state is read.").arg(fileName));
        m_deferredFileName = fileName;
        return true;
    }
    if (!m_file.read(fileName)) {
        show(QStringLiteral("%1 cannot be uploaded. %2")
                 .arg(QFileInfo(fileName).fileName(), m_file.problemText()));
        show(QStringLiteral("Nothing was sent to the controller."));
        emit fileChoiceAllowed(true);
        emit uploadFinished(false);
        return false;
    }
    const FirmwareUpdateFile::Header header = m_file.header();
    show(QStringLiteral("%1: firmware version %2, %3 items")
             .arg(QFileInfo(fileName).fileName(), hex(header.version))
             .arg(m_file.itemCount()));
    beginUpload();
    return true;
}

void FirmwareUploader::beginUpload() {
    m_uploading = true;
    m_committed = false;
    m_sawLeave = false;
    m_nextItem = 0;
    setUploadProgress(0);
    setRestartProgress(0);
    emit fileChoiceAllowed(false);
    m_provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr;
    setPacingFast(true);
    followProvider(true);
    SequenceStart(Clear);
}

void FirmwareUploader::abort() {
    TTRACE();
    m_tickTimer.stop();
    if (m_uploading) {
        log(QStringLiteral("Upload abandoned."));
    }
    restoreLink();
    m_deferredFileName.clear();
    m_uploading = false;
    m_waitingForReturn = false;
    SequenceStop();
}

void FirmwareUploader::tick() {
    if (m_waitingForReturn) {
        if (m_restartProgress <= kRestartBarCeiling) {
            setRestartProgress(m_restartProgress + 1);
        }
        if (m_returnTicks > 0 && --m_returnTicks == 0) {
            show(QStringLiteral("The controller has not come back after %1 s. Unplug it and "
                                "plug it in again, or switch its power off and on; this window "
                                "keeps waiting for it.")
                     .arg(m_periods.returnTicks));  // a tick is a second
        }
    }
    if (m_countdown <= 0) {
        return;
    }
    --m_countdown;
    log(QStringLiteral("Value %1").arg(m_countdown));
    if (m_countdown == 0) {
        log(QStringLiteral("TimerAlarm."));
        SequenceAlarm();
    }
}

void FirmwareUploader::SequenceStart(int sequence) {
    m_sequence = sequence;
    m_step = 0;
    SequenceUpdate();
}

void FirmwareUploader::SequenceStop() {
    m_sequence = NoSequence;
    m_step = 0;
    TimerStop();
}

void FirmwareUploader::TimerStart(int ticks) {
    m_countdown = ticks;
    log(QStringLiteral("TimerStart %1 ").arg(ticks));
}

void FirmwareUploader::TimerStop() {
    m_countdown = 0;
}

void FirmwareUploader::SequenceUpdate() {
    switch (m_sequence) {
        case Current:
            SequenceUpdateCurrent();
            break;
        case Clear:
            SequenceUpdateClear();
            break;
        case Download:
            SequenceUpdateDownload();
            break;
        case Test:
            SequenceUpdateTest();
            break;
        case Commit:
            SequenceUpdateCommit();
            break;
        default:
            break;
    }
}

void FirmwareUploader::SequenceAlarm() {
    log(QStringLiteral("SequenceAlarm"));
    if (m_sequence == Current) {
        if (m_step == 1) {
            show(QStringLiteral("Failed - HeaderGetParams: no answer from the controller"));
        } else {
            TLOG_WARNING(QStringLiteral("No answer to Is Download Area Clear?"));
        }
        finishCurrentState();
        return;
    }
    if (m_sequence == Commit && m_step == 1) {
        // The controller may restart before its answer leaves; the return tells.
        waitForReturn(QStringLiteral("No answer to UpdatePerform."));
        return;
    }
    if (m_sequence == Commit && m_step == 3 && m_headerAttempts < m_periods.headerAttempts) {
        ++m_headerAttempts;
        TimerStart(m_periods.answerTicks);
        DoHeaderGetParams();
        return;
    }
    fail(QStringLiteral("Failed - %1: no answer from the controller").arg(pendingRequestName()));
}

QString FirmwareUploader::pendingRequestName() const {
    switch (m_sequence) {
        case Current:
            return m_step == 1 ? QStringLiteral("HeaderGetParams") : QStringLiteral("StoreIsClear");
        case Clear:
            return QStringLiteral("StoreClear");
        case Download:
            if (m_step == 1) {
                return QStringLiteral("HeaderSetParams");
            }
            if (m_step == 2) {
                return QStringLiteral("HeaderGetParams");
            }
            return QStringLiteral("ItemSetParams (item %1 of %2)")
                .arg(m_nextItem)
                .arg(m_file.itemCount());
        case Test:
            return QStringLiteral("UpdateIsReady");
        case Commit:
            return m_step == 1 ? QStringLiteral("UpdatePerform")
                               : QStringLiteral("HeaderGetParams after the restart");
        default:
            return QString();
    }
}

void FirmwareUploader::SequenceUpdateCurrent() {
    switch (m_step) {
        case 0:
            TimerStart(m_periods.answerTicks);
            DoHeaderGetParams();
            m_step = 1;
            return;
        case 1:
            if (!m_headerGet.answered) {
                return;
            }
            if (m_headerGet.runningSize < FirmwareUpdateLayout::kErasedWord) {
                showRunningState();
            } else {
                log(QStringLiteral("There is no info to read yet."));
            }
            TimerStart(m_periods.answerTicks);
            DoStoreIsClear();
            m_step = 2;
            return;
        case 2:
            if (!m_storeClear.answered) {
                return;
            }
            log(QStringLiteral("Download area:"));
            log(QStringLiteral("Header %1 clear").arg(int(m_storeClear.headerClear)));
            log(QStringLiteral("Items %1 clear").arg(int(m_storeClear.itemsClear)));
            if (m_storeClear.headerClear && m_storeClear.itemsClear) {
                log(QStringLiteral("Download area is cleared"));
            }
            log(QString());
            finishCurrentState();
            return;
        default:
            SequenceStop();
    }
}

void FirmwareUploader::finishCurrentState() {
    SequenceStop();
    if (!m_deferredFileName.isEmpty()) {
        const QString fileName = m_deferredFileName;
        m_deferredFileName.clear();
        upload(fileName);
        return;
    }
    emit fileChoiceAllowed(true);
}

void FirmwareUploader::SequenceUpdateClear() {
    switch (m_step) {
        case 0:
            show(QStringLiteral("StoreClear . . ."));
            TimerStart(m_periods.storeClearTicks);
            DoStoreClear();
            m_step = 1;
            return;
        case 1:
            if (!m_storeClear.answered) {
                return;
            }
            log(QStringLiteral("Header %1").arg(int(m_storeClear.headerClear)));
            log(QStringLiteral("Items %1").arg(int(m_storeClear.itemsClear)));
            if (!m_storeClear.headerClear || !m_storeClear.itemsClear) {
                fail(QStringLiteral("Failed - StoreClear"));
                return;
            }
            show(QStringLiteral("Store is Cleared."));
            log(QString());
            SequenceStart(Download);
            return;
        default:
            SequenceStop();
    }
}

void FirmwareUploader::SequenceUpdateDownload() {
    const FirmwareUpdateFile::Header header = m_file.header();
    switch (m_step) {
        case 0:
            TimerStart(m_periods.answerTicks);
            DoHeaderSetParams(header.version, header.size, header.checkSum);
            m_step = 1;
            return;
        case 1:
            if (!m_headerSet.answered) {
                return;
            }
            if (!m_headerSet.accepted) {
                fail(QStringLiteral("Failed - HeaderSetParams"));
                return;
            }
            TimerStart(m_periods.answerTicks);
            DoHeaderGetParams();
            m_step = 2;
            return;
        case 2:
            if (!m_headerGet.answered) {
                return;
            }
            if (m_headerGet.stagedVersion != header.version ||
                m_headerGet.stagedSize != header.size ||
                m_headerGet.stagedCheckSum != header.checkSum) {
                fail(QStringLiteral("Failed - HeaderGetParams"));
                return;
            }
            m_step = 3;
            TimerStart(m_periods.answerTicks);
            DoItemsSetParams(m_nextItem);
            return;
        case 3:
            if (!m_itemSet.answered) {
                return;
            }
            if (!m_itemSet.accepted) {
                fail(QStringLiteral("FAILED - ItemSetParams"));
                return;
            }
            showItemProgress(m_nextItem);
            sendNextItemOrTest();
            return;
        default:
            SequenceStop();
    }
}

void FirmwareUploader::sendNextItemOrTest() {
    if (m_nextItem < m_file.itemCount()) {
        TimerStart(m_periods.answerTicks);
        DoItemsSetParams(m_nextItem);
        return;
    }
    // Lines after the last item (comments, blank lines) do not matter: every item is
    // staged, so the controller is asked to check the image.
    log(QStringLiteral("FileReadItem"));
    log(QString());
    SequenceStart(Test);
}

void FirmwareUploader::showItemProgress(int acknowledged) {
    const int count = m_file.itemCount();
    const int percent = acknowledged * kPercent / count;
    const int remaining = count - acknowledged;
    if (percent != m_uploadProgress && remaining % kProgressMessageEvery == 0) {
        show(QStringLiteral("Uploading: -->%1").arg(percent));
    }
    if (remaining == 0) {
        show(QStringLiteral("Finished Uploading...."));
    }
    setUploadProgress(percent);
}

void FirmwareUploader::SequenceUpdateTest() {
    switch (m_step) {
        case 0:
            TimerStart(m_periods.answerTicks);
            DoUpdateIsReady();
            m_step = 1;
            return;
        case 1:
            if (!m_updateIsReady.answered) {
                return;
            }
            if (!m_updateIsReady.ready) {
                fail(QStringLiteral("Not ready to commit"));
                return;
            }
            setRestartProgress(kRestartBarReady);
            show(QStringLiteral("Ready to commit"));
            log(QString());
            SequenceStart(Commit);
            return;
        default:
            SequenceStop();
    }
}

void FirmwareUploader::SequenceUpdateCommit() {
    switch (m_step) {
        case 0:
            TimerStart(m_periods.answerTicks);
            DoUpdatePerform();
            m_step = 1;
            return;
        case 1:
            if (!m_updatePerform.answered) {
                return;
            }
            if (!m_updatePerform.accepted) {
                fail(QStringLiteral("Commit failed"));
                return;
            }
            waitForReturn(QString());
            return;
        case 2:
            return;  // the controller is away; slotConnected() goes on
        case 3:
            if (!m_headerGet.answered) {
                return;
            }
            showRunningState();
            if (runsUploadedFirmware()) {
                succeed();
            } else {
                fail(QStringLiteral("Failed - the controller does not run the uploaded firmware "
                                    "(version %1, size %2, checksum %3)")
                         .arg(hex(m_file.header().version), hex(m_file.header().size),
                              hex(m_file.header().checkSum).toUpper()));
            }
            return;
        default:
            SequenceStop();
    }
}

void FirmwareUploader::waitForReturn(const QString& reason) {
    if (!reason.isEmpty()) {
        log(reason);
    }
    m_committed = true;
    TimerStop();
    m_step = 2;
    m_waitingForReturn = true;
    m_returnTicks = m_periods.returnTicks;
    // Nothing more to transfer: the link goes back to its usual pace while the
    // controller restarts, and the scan looks for it every 250 ms.
    setPacingFast(false);
    setRestartRescan(true);
    if (m_provider && !m_pluggedConnection) {
        m_pluggedConnection = connect(m_provider, &DeviceIoDataProvider::devicePlugged, this,
                                      &FirmwareUploader::slotConnected);
    }
    if (m_restartProgress < kRestartBarStart) {
        show(QStringLiteral("Commit started"));
        show(QStringLiteral("Waiting for unit to stop ...."));
        show(QStringLiteral("Please wait...."));
        setRestartProgress(kRestartBarStart);
    }
}

void FirmwareUploader::slotConnected() {
    if (!m_waitingForReturn) {
        return;
    }
    // A plug report before the controller was seen leaving is not its return.
    if (!m_sawLeave) {
        log(QStringLiteral("The controller has not left the bus yet."));
        return;
    }
    m_waitingForReturn = false;
    disconnect(m_pluggedConnection);
    m_pluggedConnection = QMetaObject::Connection();
    log(QStringLiteral("SlotCconnected"));
    show(QStringLiteral("List of Connected HID Devices:-"));
    show(QStringLiteral(" "));
    if (m_provider) {
        const QMap<int, DeviceInfoData> devices = m_provider->deviceMap();
        for (auto it = devices.constBegin(); it != devices.constEnd(); ++it) {
            show(
                QStringLiteral("%1 %2 %3 %4")
                    .arg(it.key())
                    .arg(it.value().manufacturer, it.value().vendorIdHex, it.value().productIdHex));
        }
    }
    setRestartRescan(false);
    setRestartProgress(kRestartBarBack);
    show(QStringLiteral("Querying current firmware details"));
    verifyReturnedFirmware();
}

void FirmwareUploader::verifyReturnedFirmware() {
    m_step = 3;
    m_headerAttempts = 1;
    TimerStart(m_periods.answerTicks);
    DoHeaderGetParams();
}

bool FirmwareUploader::runsUploadedFirmware() const {
    const FirmwareUpdateFile::Header header = m_file.header();
    return m_headerGet.runningVersion == header.version && m_headerGet.runningSize == header.size &&
           m_headerGet.runningCheckSum == header.checkSum && m_headerGet.runningCheckSumValid;
}

void FirmwareUploader::succeed() {
    setRestartProgress(kProgressDone);
    show(QStringLiteral("The Firmware is updated successfully"));
    show(QStringLiteral("Please close the window and Proceed"));
    restoreLink();
    m_uploading = false;
    SequenceStop();
    emit fileChoiceAllowed(true);
    emit uploadFinished(true);
}

void FirmwareUploader::fail(const QString& text) {
    show(text);
    if (!m_uploading) {
        SequenceStop();
        emit fileChoiceAllowed(true);
        return;
    }
    if (!m_committed) {
        show(QStringLiteral("The running firmware was not changed."));
    }
    restoreLink();
    m_uploading = false;
    m_waitingForReturn = false;
    SequenceStop();
    emit fileChoiceAllowed(true);
    emit uploadFinished(false);
}

void FirmwareUploader::onDeviceUnplugged() {
    if (m_waitingForReturn) {
        m_sawLeave = true;
        return;
    }
    if (!m_uploading) {
        return;
    }
    if (m_sequence == Commit && m_step == 1) {
        m_sawLeave = true;
        waitForReturn(
            QStringLiteral("The controller left the bus before answering UpdatePerform."));
        return;
    }
    fail(QStringLiteral("Failed - %1: the controller was unplugged").arg(pendingRequestName()));
}

void FirmwareUploader::showRunningState() {
    const HeaderGetParamsType& h = m_headerGet;
    show(QStringLiteral("Running State:"));
    show(QStringLiteral("The Current Firmware Version: %1").arg(hex(h.runningVersion)));
    show(QStringLiteral("Size: %1").arg(hex(h.runningSize)));
    show(QStringLiteral("CheckSum: %1 %2")
             .arg(hex(h.runningCheckSum).toUpper(), flagText(h.runningCheckSumValid)));
    show(QStringLiteral("UpdateCounter: %1").arg(h.updateCounter));
    log(QString());
    log(QStringLiteral("Next State:"));
    log(QStringLiteral("CheckSum: %1").arg(flagText(h.stagedCheckSumValid)));
    log(QStringLiteral("Flags: %1").arg(h.runningFlags));
    log(QString());
}

void FirmwareUploader::DoStoreClear() {
    log(QStringLiteral("DoStoreClear"));
    show(QStringLiteral("Clear...."));
    m_storeClear.send();
    m_dispatcher->queueCommand(CommandFactory::storeClear());
}

// The same request as the clear: its answer tells the state of the download area.
void FirmwareUploader::DoStoreIsClear() {
    log(QStringLiteral("Is Download Area Clear?"));
    m_storeIsClear.send();
    m_storeClear.send();
    m_dispatcher->queueCommand(CommandFactory::storeClear());
}

void FirmwareUploader::DoHeaderGetParams() {
    log(QStringLiteral("DoHeaderGetParams"));
    m_headerGet.send();
    m_dispatcher->queueCommand(CommandFactory::headerGetParams());
}

void FirmwareUploader::DoHeaderSetParams(quint32 version, quint32 size, quint32 checkSum) {
    log(QStringLiteral("version: %1 Size: %2 CheckSum: %3").arg(version).arg(size).arg(checkSum));
    m_headerSet.send();
    commandsetfirmareupdate* command = CommandFactory::firmwareUpdateCommand(m_template);
    command->setHeaderSetParams(version, size, checkSum);
    m_dispatcher->queueCommand(command);
}

void FirmwareUploader::DoItemsSetParams(int index) {
    const quint16 entry = m_file.itemEntry(index);
    log(QStringLiteral("DoItemsSetParams %1").arg(entry));
    m_itemSet.send(entry);
    commandsetfirmareupdate* command = CommandFactory::firmwareUpdateCommand(m_template);
    command->DoItemSetParams(entry, m_file.itemData(index));
    m_dispatcher->queueCommand(command);
    m_nextItem = index + 1;
}

void FirmwareUploader::DoUpdateIsReady() {
    log(QStringLiteral("DoUpdateIsReady"));
    m_updateIsReady.send();
    m_dispatcher->queueCommand(CommandFactory::updateIsReady());
}

void FirmwareUploader::DoUpdatePerform() {
    log(QStringLiteral("DoUpdatePerform"));
    m_updatePerform.send();
    m_dispatcher->queueCommand(CommandFactory::updatePerform());
}

void FirmwareUploader::keepTemplate() {
    m_template = m_delegate->data();
}

void FirmwareUploader::DoneStoreClear() {
    if (!m_storeClear.pending) {
        return;
    }
    keepTemplate();
    m_storeClear.fill(*m_delegate);
    m_storeIsClear.pending = false;
}

void FirmwareUploader::DoneStoreIsClear() {
    DoneStoreClear();
}

void FirmwareUploader::DoneHeaderSetParams() {
    if (!m_headerSet.pending) {
        return;
    }
    keepTemplate();
    m_headerSet.fill(*m_delegate);
}

void FirmwareUploader::DoneHeaderGetParams() {
    if (!m_headerGet.pending) {
        return;
    }
    keepTemplate();
    m_headerGet.fill(*m_delegate);
    if (m_delegate->hasCompleteHeader()) {
        m_delegate->publishFirmwareVersions();
        FirmwareInformation::instance().setDeviceFirmwareVersion(
            FirmwareVersionRules::deviceVersion(m_delegate->currentFirmwareVersion()));
    }
}

void FirmwareUploader::DoneItemsSetParams() {
    if (!m_itemSet.pending) {
        return;
    }
    keepTemplate();
    m_itemSet.fill(*m_delegate);
    if (m_delegate->itemEntryEcho() != m_itemSet.entry) {
        TLOG_WARNING(QStringLiteral("Item %1 answered with entry %2")
                         .arg(m_itemSet.entry)
                         .arg(m_delegate->itemEntryEcho()));
    }
}

void FirmwareUploader::DoneItemGetParams() {
    m_itemGet.fill(*m_delegate);
    log(QStringLiteral("Item %1 valid %2 detail %3")
            .arg(m_delegate->itemEntryEcho())
            .arg(int(m_itemGet.valid))
            .arg(m_delegate->itemDetail()));
}

void FirmwareUploader::DoneUpdateIsReady() {
    if (!m_updateIsReady.pending) {
        return;
    }
    keepTemplate();
    m_updateIsReady.fill(*m_delegate);
}

void FirmwareUploader::DoneUpdatePerform() {
    if (!m_updatePerform.pending) {
        return;
    }
    keepTemplate();
    m_updatePerform.fill(*m_delegate);
}

void FirmwareUploader::setUploadProgress(int percent) {
    if (percent == m_uploadProgress) {
        return;
    }
    m_uploadProgress = percent;
    emit uploadProgressChanged(percent);
}

void FirmwareUploader::setRestartProgress(int percent) {
    if (percent == m_restartProgress) {
        return;
    }
    m_restartProgress = percent;
    emit restartProgressChanged(percent);
}

void FirmwareUploader::setPacingFast(bool fast) {
    if (fast == m_pacingFast || !m_dispatcher) {
        return;
    }
    m_pacingFast = fast;
    if (fast) {
        m_dispatcher->resetTimers(kUploadQueueMs, kUploadResponseMs);
    } else {
        m_dispatcher->resetTimers(0, 0);
    }
}

void FirmwareUploader::setRestartRescan(bool fast) {
    if (fast == m_restartRescan || !m_provider) {
        return;
    }
    m_restartRescan = fast;
    if (fast) {
        auto* hid = qobject_cast<HidApiIoDataProvider*>(m_provider.data());
        m_savedRescanMs = hid != nullptr ? hid->rescanInterval() : kDefaultRescanMs;
        m_provider->setRescanInterval(kRestartRescanMs);
    } else {
        m_provider->setRescanInterval(m_savedRescanMs);
    }
}

void FirmwareUploader::followProvider(bool follow) {
    disconnect(m_unpluggedConnection);
    m_unpluggedConnection = QMetaObject::Connection();
    if (follow && m_provider) {
        m_unpluggedConnection = connect(m_provider, &DeviceIoDataProvider::deviceUnplugged, this,
                                        &FirmwareUploader::onDeviceUnplugged);
    }
}

void FirmwareUploader::restoreLink() {
    setPacingFast(false);
    setRestartRescan(false);
    followProvider(false);
    disconnect(m_pluggedConnection);
    m_pluggedConnection = QMetaObject::Connection();
}
