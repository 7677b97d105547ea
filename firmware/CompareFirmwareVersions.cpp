#include "CompareFirmwareVersions.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/FirmwareInformation.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateFirmwareUpdate.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "firmware/FirmwareSplitType.h"
#include "firmware/FirmwareVersionRules.h"

namespace {
// The higher version first; of two files of the same version, the newer first.
bool isPreferred(const QFileInfo& candidate, const QFileInfo& chosen) {
    const int candidateVersion = FirmwareVersionRules::fileVersion(candidate.fileName());
    const int chosenVersion = FirmwareVersionRules::fileVersion(chosen.fileName());
    if (candidateVersion != chosenVersion) {
        return candidateVersion > chosenVersion;
    }
    return candidate.lastModified() > chosen.lastModified();
}
}  // namespace

CompareFirmwareVersions::CompareFirmwareVersions(QObject* parent)
    : CompareFirmwareVersions(DeviceEventDispatcher::instance(), SetOperations::instance(),
                              parent) {}

CompareFirmwareVersions::CompareFirmwareVersions(DeviceEventDispatcher* dispatcher,
                                                 SetOperations* operations, QObject* parent)
    : QObject(parent),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_splitType(new FirmwareSplitType(dispatcher, operations, this)) {
    TTRACE_OBJECT();
    SetDefinedVersions();
    m_firmwareDelegate = qobject_cast<ResponseDelegateFirmwareUpdate*>(
        m_dispatcher->responseDelegate(ResponseDelegateFirmwareUpdate::registryName()));
    if (m_firmwareDelegate.isNull()) {
        TLOG_WARNING(
            QStringLiteral("No FirmwareUpdate delegate: the firmware header stays "
                           "unread."));
    }
    doFirmwareCheck();
}

void CompareFirmwareVersions::SetDefinedVersions() {
    FirmwareInformation& information = FirmwareInformation::instance();
    information.setFirmwareMinimumVersion(kFirmwareMinimumVersion);
    information.setDefinedVersionString(QString::fromLatin1(kDefinedVersionString));
}

void CompareFirmwareVersions::doFirmwareCheck() {
    TTRACE();
    connect(m_splitType, &FirmwareSplitType::signal_getHeader, this,
            &CompareFirmwareVersions::doFetchVersionInfo, Qt::UniqueConnection);
    m_splitType->checkWireCount();
}

void CompareFirmwareVersions::doFetchVersionInfo() {
    TTRACE();
    disconnect(m_splitType, &FirmwareSplitType::signal_getHeader, this,
               &CompareFirmwareVersions::doFetchVersionInfo);
    if (m_firmwareDelegate.isNull()) {
        return;
    }
    connect(m_firmwareDelegate, &ResponseDelegateFirmwareUpdate::signal_DoneHeaderGetParams, this,
            &CompareFirmwareVersions::doneHeaderGetParams, Qt::UniqueConnection);
    m_dispatcher->queueCommand(CommandFactory::headerGetParams());
}

void CompareFirmwareVersions::doneHeaderGetParams() {
    TTRACE();
    if (!m_splitType->isFinished() || m_firmwareDelegate.isNull() || m_ended) {
        return;
    }
    if (!m_firmwareDelegate->hasCompleteHeader()) {
        TLOG_WARNING(QStringLiteral("Firmware header of %1 bytes is incomplete; waiting for "
                                    "the next one.")
                         .arg(m_firmwareDelegate->data().size()));
        return;
    }
    m_operations->setDesiredMonitorEdgeAB(false);
    m_operations->setMonitorEdgeAB();
    m_firmwareDelegate->publishFirmwareVersions();
    FirmwareInformation::instance().setDeviceFirmwareVersion(
        FirmwareVersionRules::deviceVersion(m_firmwareDelegate->currentFirmwareVersion()));
    m_versionFetched = true;
    disconnect(m_firmwareDelegate, &ResponseDelegateFirmwareUpdate::signal_DoneHeaderGetParams,
               this, &CompareFirmwareVersions::doneHeaderGetParams);
    emit signalHeaderRead();
    doCompareVersions();
}

void CompareFirmwareVersions::doCompareVersions() {
    TTRACE();
    if (m_ended) {
        return;
    }
    auto* parameters = CurrentParametersSource(m_dispatcher).delegate();
    if (parameters != nullptr && parameters->isSoftResetActive()) {
        m_dispatcher->queueCommand(CommandFactory::getParams());
        QTimer::singleShot(m_softResetPollMs, this, &CompareFirmwareVersions::doCompareVersions);
        return;
    }
    if (m_versionFetched) {
        CompareVersions();
        m_versionFetched = false;
    }
}

void CompareFirmwareVersions::endWithoutOffer() {
    TTRACE();
    m_ended = true;
    m_versionFetched = false;
    if (!m_firmwareDelegate.isNull()) {
        disconnect(m_firmwareDelegate, &ResponseDelegateFirmwareUpdate::signal_DoneHeaderGetParams,
                   this, &CompareFirmwareVersions::doneHeaderGetParams);
    }
    emit signal_IncompatibilityInfo(false, QString());
    emit finishedVersionQuery();
}

void CompareFirmwareVersions::CompareVersions() {
    TTRACE();
    TLOG_INFO(QStringLiteral("InCompatible version"));
    const QString path = checkForUpdateFirmware();
    const FirmwareInformation& information = FirmwareInformation::instance();
    if (path.isEmpty() ||
        information.deliveredFirmwareVersion() <= information.deviceFirmwareVersion()) {
        emit signal_IncompatibilityInfo(false, QString());
    } else {
        emit signal_IncompatibilityInfo(true, path);
    }
    emit finishedVersionQuery();
}

QString CompareFirmwareVersions::checkForUpdateFirmware() {
    TTRACE();
    const QString folder = QDir::currentPath() + QString::fromLatin1(kFirmwareFolder);
    TLOG_INFO(QStringLiteral("Operating at: %1").arg(folder));
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QString::fromLatin1(kFirmwareFilePattern)}, QDir::Files, QDir::Time);
    TLOG_INFO(QStringLiteral("%1 files read").arg(files.size()));

    const int splitType = FirmwareInformation::instance().splitType();
    QFileInfo chosen;
    for (const QFileInfo& file : files) {
        if (splitType == 0 || FirmwareVersionRules::fileSplitType(file.fileName()) != splitType) {
            continue;
        }
        if (chosen.fileName().isEmpty() || isPreferred(file, chosen)) {
            chosen = file;
        }
    }

    const QString name = chosen.fileName();
    m_offeredFilePath = name.isEmpty() ? QString() : folder + name;
    m_offeredFileNumber = FirmwareVersionRules::fileNumber(name);
    FirmwareInformation::instance().setDeliveredFirmwareVersion(
        FirmwareVersionRules::fileVersion(name));
    return m_offeredFilePath;
}
