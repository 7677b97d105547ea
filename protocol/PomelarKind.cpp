#include "PomelarKind.h"

#include "protocol/PomelarCommandFactory.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateFilterAB.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "protocol/ResponseDelegateOutputDiagnostics.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/ResponseDelegateScanArea.h"
#include "protocol/ResponseDelegateTrackerParams.h"
#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "protocol/ResponseDelegateVersionAndCopyright.h"
#include "protocol/ResponseDelegateZoneFilterAB.h"

PomelarKind::PomelarKind(QObject* parent) : DeviceKind(parent) {
    setObjectName(QStringLiteral("PomelarKind"));
    initialize();
}

QString PomelarKind::parametersDelegateName() const {
    return ResponseDelegateCurrentParameters::registryName();
}

void PomelarKind::registerVidPids() {
    // The order is the order the first connection tries them in.
    setUsbPidList({DeviceUsbVidPid(kOrvelloVid, kOrvelloPid),
                   DeviceUsbVidPid(kSecondVid, kSecondPid), DeviceUsbVidPid(kThirdVid, kThirdPid)});
}

void PomelarKind::registerDelegates() {
    // One line per delegate, each created with this kind as parent, in this order:
    //   ResponseDelegateCurrentParameters, ResponseDelegateProcessedEdge,
    //   ResponseDelegateProcessedScan, ResponseDelegateVersionAndCopyright,
    //   ResponseDelegateUntrackedFinger, ResponseDelegateFilterAB,
    //   ResponseDelegateTrackerParams, ResponseDelegateZoneFilterAB,
    //   ResponseDelegateOutputDiagnostics, ResponseDelegateScanArea,
    //   ResponseDelegateFirmwareUpdate
    // Routing does not depend on this order (packets go to the first delegate, by name,
    // that understands them); the order only fixes the registry log.
    registerResponseDelegate(new ResponseDelegateCurrentParameters(this));
    registerResponseDelegate(new ResponseDelegateProcessedEdge(this));
    registerResponseDelegate(new ResponseDelegateProcessedScan(this));
    registerResponseDelegate(new ResponseDelegateVersionAndCopyright(this));
    registerResponseDelegate(new ResponseDelegateUntrackedFinger(this));
    registerResponseDelegate(new ResponseDelegateFilterAB(this));
    registerResponseDelegate(new ResponseDelegateTrackerParams(this));
    registerResponseDelegate(new ResponseDelegateZoneFilterAB(this));
    registerResponseDelegate(new ResponseDelegateOutputDiagnostics(this));
    registerResponseDelegate(new ResponseDelegateScanArea(this));
    registerResponseDelegate(new ResponseDelegateFirmwareUpdate(this));
}

void PomelarKind::createCommandFactory() {
    setCommandFactory(new PomelarCommandFactory());
}
