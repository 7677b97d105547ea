#pragma once

#include <QList>

#include "device/DeviceIoDataProvider.h"

// A small model of the controller behind a provider, for the operations' tests. It keeps
// a 60-byte current-parameters block (offsets written here by hand, not taken from the
// tool's layout), answers get- and set-parameters with it, applies set commands as the
// wire delivers them (padded with zeros to a full report), runs a soft reset for a
// number of answers, loads defaults, saves to flash and keeps calibration data.
class ScriptedController : public DeviceIoDataProvider {
public:
    static constexpr int kCommandBytes = 59;  // opcode and 58 payload bytes
    static constexpr int kStatus = 12;
    static constexpr int kVersion = 14;
    static constexpr char kSoftResetBit = 0x20;

    // Edge prescaler 4, edge 100, scan prescaler 4, touch 80, press 90, encoding 2,
    // output enabled, version 2, filter switches 0x38, filter bytes 05 10 20 30 40, and
    // 0x5a in every byte from 28 on, so zeros written there would show.
    static QByteArray quietBlock() {
        return QByteArray::fromHex(
            "00 03 04 64 04 50 5a 00 02 01 00 00 00 00 02 00 00 00 00 00"
            "00 38 05 10 20 30 40 00 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a"
            "5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a");
    }

    ScriptedController() : block(quietBlock()), defaults(quietBlock()) {
        m_info.inputLength = 61;
        m_info.outputLength = 61;
        m_info.vendorId = 0x25C8;
        m_info.productId = 0x14;
    }

    QString name() const override { return QStringLiteral("Scripted controller"); }
    bool isDevicePresent() override { return true; }
    bool isWatchDogNeeded() const override { return true; }
    bool isReadFromDevice() const override { return true; }
    bool isCompleted() const override { return false; }
    bool isRescanSuspended() override { return false; }
    void setRescanSuspended(bool) override {}
    bool deviceConnect(const QString&, int, int) override { return true; }
    bool close() override { return true; }
    bool reconnect() override { return true; }
    bool rescan() override { return true; }
    bool setRescanInterval(int) override { return false; }
    const DeviceInfoData* info() const override { return &m_info; }
    const DeviceInfoData* scannedInfo() const override { return &m_info; }
    QMap<int, DeviceInfoData> deviceMap() const override { return {}; }

    QList<QByteArray> getData() override {
        QList<QByteArray> reports;
        reports.swap(m_pending);
        return reports;
    }

    void sendData(QByteArray data) override {
        const QByteArray command = data.mid(1).leftJustified(kCommandBytes, '\0');
        requests.append(data.mid(1));
        switch (command.at(0)) {
            case 1:
                if (honoursSoftReset) {
                    softResetAnswersLeft = softResetAnswers;
                }
                break;
            case 4:
                if (softResetAnswersLeft == 0) {
                    apply(command);
                }
                answer();
                break;
            case 5:
                answer();
                break;
            case 6:
                flash = block;
                break;
            case 8:
                for (int i = 2; i < block.size(); ++i) {
                    if (i != kStatus && i != kVersion) {
                        block[i] = defaults.at(i);
                    }
                }
                break;
            case 14:
                calibration = data.mid(2);
                break;
        }
    }

    // Opcodes of the requests sent so far, in order.
    QList<int> opcodes() const {
        QList<int> codes;
        for (const QByteArray& request : requests) {
            codes.append(request.isEmpty() ? -1 : quint8(request.at(0)));
        }
        return codes;
    }
    int count(int opcode) const { return opcodes().count(opcode); }
    quint8 at(int offset) const { return quint8(block.at(offset)); }

    QByteArray block;
    QByteArray defaults;
    QByteArray flash;
    QByteArray calibration;
    QList<QByteArray> requests;
    bool answering = true;
    bool honoursSoftReset = true;
    int softResetAnswers = 3;
    int softResetAnswersLeft = 0;
    // Bits of each byte a set command cannot change (status and version by default).
    QByteArray fixedBits = fixedByDefault();

private:
    static QByteArray fixedByDefault() {
        QByteArray fixed(60, '\0');
        fixed[kStatus] = char(0xFF);
        fixed[kVersion] = char(0xFF);
        return fixed;
    }

    // Command byte k-1 carries block byte k.
    void apply(const QByteArray& command) {
        for (int i = 2; i < block.size(); ++i) {
            const quint8 keep = quint8(fixedBits.at(i));
            block[i] = char((quint8(block.at(i)) & keep) | (quint8(command.at(i - 1)) & ~keep));
        }
    }

    void answer() {
        if (!answering) {
            return;
        }
        QByteArray packet = block;
        if (softResetAnswersLeft > 0) {
            --softResetAnswersLeft;
            packet[kStatus] = char(packet.at(kStatus) | kSoftResetBit);
        }
        m_pending.append(QByteArray(1, '\x01') + packet);
    }

    DeviceInfoData m_info;
    QList<QByteArray> m_pending;
};
