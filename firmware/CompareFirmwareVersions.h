#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class DeviceEventDispatcher;
class FirmwareSplitType;
class ResponseDelegateFirmwareUpdate;
class SetOperations;

// The firmware check of a board start: find the sensor's split type (FirmwareSplitType),
// read the controller's firmware header, and compare the running version with the
// firmware files delivered in "<working directory>/Firmware/". signal_IncompatibilityInfo
// tells whether a newer file for this sensor is there (and which); finishedVersionQuery()
// follows every comparison.
//
// Versions are compared as FirmwareVersionRules gives them. Only a delivered file whose
// name carries this sensor's split type is ever offered, and the delivered version is
// that file's.
//
// The check itself waits as long as its answers take; the board start bounds each wait
// and ends a check that cannot complete with endWithoutOffer().
class CompareFirmwareVersions : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirmwareMinimumVersion = 15112017;
    static constexpr const char* kDefinedVersionString = "1.0.0.565.112";
    static constexpr const char* kFirmwareFolder = "/Firmware/";
    static constexpr const char* kFirmwareFilePattern = "*.ovu";
    // How often a soft reset in progress is polled before comparing.
    static constexpr int kSoftResetPollMs = 300;

    // The process-wide dispatcher and operations. Sets the defined versions and starts
    // the check (doFirmwareCheck()).
    explicit CompareFirmwareVersions(QObject* parent = nullptr);
    CompareFirmwareVersions(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                            QObject* parent = nullptr);

    FirmwareSplitType* firmwareSplitType() const { return m_splitType; }

    // Lists the delivered files and chooses the one to offer: among the files whose split
    // type part equals the sensor's split type, the highest version (of equal versions,
    // the newest by modification time). Stores the delivered version (0 when no file
    // matches), the chosen path and its file number; returns the path, empty when no file
    // matches, the folder is missing or empty, or the split type is unknown.
    QString checkForUpdateFirmware();
    // The path chosen by the last checkForUpdateFirmware(); empty when none.
    QString offeredFilePath() const { return m_offeredFilePath; }
    // The number rule applied to the chosen name before its first "."; 0 when none.
    int offeredFileNumber() const { return m_offeredFileNumber; }

    // Publishes the firmware minimum version and the defined version string.
    void SetDefinedVersions();

    // Poll period while a soft reset is reported (tests shorten it).
    void setSoftResetPollInterval(int ms) { m_softResetPollMs = ms; }

signals:
    // status true: a newer delivered file for this sensor is at fileName.
    void signal_IncompatibilityInfo(bool status, QString fileName);
    void finishedVersionQuery();
    // The controller's firmware header was read and its versions published.
    void signalHeaderRead();

public slots:
    void CompareVersions();
    // Asks for the firmware header once the split type is known.
    void doFetchVersionInfo();
    // Starts (or, on a reconnection, resumes) the split-type detection.
    void doFirmwareCheck();
    // Publishes the header's versions, then compares (doCompareVersions()).
    void doneHeaderGetParams();
    // Compares once the controller reports no soft reset in progress.
    void doCompareVersions();
    // Ends a check that cannot complete: stops waiting for the header and the end of a
    // soft reset and reports that nothing is offered (signal_IncompatibilityInfo(false)
    // and finishedVersionQuery()).
    void endWithoutOffer();

private:
    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    FirmwareSplitType* m_splitType;
    QPointer<ResponseDelegateFirmwareUpdate> m_firmwareDelegate;
    bool m_versionFetched = false;
    bool m_ended = false;
    QString m_offeredFilePath;
    int m_offeredFileNumber = 0;
    int m_softResetPollMs = kSoftResetPollMs;
};
