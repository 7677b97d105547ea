#include "ResponseDelegateFirmwareUpdate.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"

namespace {
// Answer codes, request code + 2.
constexpr int kDoneStoreClear = Opcode::StoreClear + 2;
constexpr int kDoneStoreIsClear = Opcode::StoreIsClear + 2;
constexpr int kDoneHeaderSetParams = Opcode::HeaderSetParams + 2;
constexpr int kDoneHeaderGetParams = Opcode::HeaderGetParams + 2;
constexpr int kDoneItemsSetParams = Opcode::ItemSetParams + 2;
constexpr int kDoneItemGetParams = Opcode::ItemGetParams + 2;
constexpr int kDoneUpdateIsReady = Opcode::UpdateIsReady + 2;
constexpr int kDoneUpdatePerform = Opcode::UpdatePerform + 2;
static_assert(kDoneStoreClear == ResponseCode::FirmwareUpdateFirst, "answer codes start at 22");
static_assert(kDoneUpdatePerform == ResponseCode::FirmwareUpdateLast, "answer codes end at 29");
}  // namespace

ResponseDelegateFirmwareUpdate::ResponseDelegateFirmwareUpdate(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateFirmwareUpdate::registryName() {
    return QStringLiteral("FirmwareUpdate");
}

bool ResponseDelegateFirmwareUpdate::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code >= ResponseCode::FirmwareUpdateFirst && code <= ResponseCode::FirmwareUpdateLast;
}

void ResponseDelegateFirmwareUpdate::execute() {
    switch (responseCodeOf(data())) {
        case kDoneStoreClear:
            emit signal_DoneStoreClear();
            break;
        case kDoneStoreIsClear:
            emit signal_DoneStoreIsClear();
            break;
        case kDoneHeaderSetParams:
            emit signal_DoneHeaderSetParams();
            break;
        case kDoneHeaderGetParams:
            emit signal_DoneHeaderGetParams();
            break;
        case kDoneItemsSetParams:
            emit signal_DoneItemsSetParams();
            break;
        case kDoneItemGetParams:
            emit signal_DoneItemGetParams();
            break;
        case kDoneUpdateIsReady:
            emit signal_DoneUpdateIsReady();
            break;
        case kDoneUpdatePerform:
            emit signal_DoneUpdatePerform();
            break;
        default:
            TLOG_WARNING(
                QStringLiteral("Not a firmware-update answer: %1").arg(responseCodeOf(data())));
            return;
    }
    emit signal_SequenceUpdate();
    emit signal_TimerUpdate();
}
