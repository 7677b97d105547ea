#include "cli/ControllerInfo.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "device/HidApiIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "protocol/SimpleCommand.h"
#include "firmware/FirmwareSplitType.h"
#include "cli/CliLink.h"

namespace {
constexpr int kHexBase = 16;
constexpr int kIdDigits = 4;

QString idText(quint16 id) {
    return QStringLiteral("%1").arg(id, kIdDigits, kHexBase, QLatin1Char('0'));
}
}  // namespace

bool ControllerInfo::gather(CliLink& link, QString* error) {
    HidApiIoDataProvider& provider = link.provider();
    vendorId = quint16(provider.info()->vendorId);
    productId = quint16(provider.info()->productId);
    manufacturer = provider.manufacturer();
    product = provider.product();
    serialNumber = provider.serialNumber();

    auto* firmware = link.delegate<ResponseDelegateFirmwareUpdate>();
    const bool header =
        link.request([&link] { link.queue(CommandFactory::headerGetParams()); }, firmware);
    if (!header || !firmware->hasCompleteHeader()) {
        *error = QStringLiteral("The controller sent no firmware header.");
        return false;
    }
    firmwareVersion = firmware->currentFirmwareVersionText();
    originalFirmwareVersion = firmware->originalFirmwareVersionText();

    splitType = measureSplitType(link, &wiresA, &wiresB);

    if (!link.refreshParameters()) {
        *error = QStringLiteral("The controller sent no parameters.");
        return false;
    }
    const ResponseDelegateCurrentParameters* block = link.parameters();
    parameterVersion = block->ParamVersion();
    calibrated = block->isCalibSuccess();
    calibrationBadConditions = block->isCalibErrBadCond();
    return true;
}

int ControllerInfo::measureSplitType(CliLink& link, int* wiresA, int* wiresB) {
    FirmwareSplitType wires(&link.dispatcher(), &link.operations());
    wires.checkWireCount();
    const int waitMs = link.timings().attempts * link.timings().answerWaitMs;
    if (!CliLink::waitUntil([&wires] { return wires.isFinished(); }, waitMs)) {
        wires.disConnectWireCheck();
    }
    *wiresA = wires.aWireCount();
    *wiresB = wires.bWireCount();
    CliLink::waitUntil([&link] { return link.operations().pendingPasses() == 0; }, waitMs);
    return FirmwareSplitType::splitTypeFor(*wiresA, *wiresB);
}

QString ControllerInfo::calibrationText() const {
    if (calibrated) {
        return QStringLiteral("calibrated");
    }
    return calibrationBadConditions ? QStringLiteral("failed (bad conditions)")
                                    : QStringLiteral("not calibrated");
}

QString ControllerInfo::toText() const {
    const QString split =
        splitType != 0 ? QStringLiteral("%1 (%2 + %3 wires)").arg(splitType).arg(wiresA).arg(wiresB)
                       : QStringLiteral("unknown");
    return QStringLiteral(
               "Controller:        %1 %2\n"
               "Serial number:     %3\n"
               "VID/PID:           %4:%5\n"
               "Firmware:          %6 (original %7)\n"
               "Split type:        %8\n"
               "Parameter version: %9\n"
               "Calibration:       %10\n")
        .arg(manufacturer, product, serialNumber, idText(vendorId), idText(productId),
             firmwareVersion, originalFirmwareVersion, split)
        .arg(parameterVersion)
        .arg(calibrationText());
}

QByteArray ControllerInfo::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("vendorId"), idText(vendorId));
    object.insert(QStringLiteral("productId"), idText(productId));
    object.insert(QStringLiteral("manufacturer"), manufacturer);
    object.insert(QStringLiteral("product"), product);
    object.insert(QStringLiteral("serialNumber"), serialNumber);
    object.insert(QStringLiteral("firmwareVersion"), firmwareVersion);
    object.insert(QStringLiteral("originalFirmwareVersion"), originalFirmwareVersion);
    object.insert(QStringLiteral("splitType"), splitType);
    object.insert(QStringLiteral("wiresA"), wiresA);
    object.insert(QStringLiteral("wiresB"), wiresB);
    object.insert(QStringLiteral("parameterVersion"), parameterVersion);
    object.insert(QStringLiteral("calibration"), calibrationText());
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}
