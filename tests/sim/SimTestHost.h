#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QTest>

#include "sim/VirtualHidApi.h"

// Plays the host on the simulated bus: opens the controller, writes requests as raw
// output reports and collects every input report it reads back.
class SimTestHost {
public:
    static constexpr unsigned short kVid = 0x25C8;
    static constexpr unsigned short kPid = 0x0014;
    static constexpr int kCodeIndex = 2;  // wire byte of the response code
    static constexpr int kFrameIndex = 1;
    static constexpr quint8 kGetParameters = 5;
    static constexpr int kParametersCode = 3;

    // A controller that answers after 1 ms and streams nothing on its own.
    static SimScenario quietScenario() {
        SimScenario scenario;
        scenario.latencyMs = 1;
        scenario.noise = 0.0;
        scenario.edgeIntervalMs = 0;
        scenario.scanIntervalMs = 0;
        scenario.scanAreaIntervalMs = 0;
        scenario.diagIntervalMs = 0;
        scenario.fingerIntervalMs = 0;
        return scenario;
    }

    // A report from hex text (blanks allowed), zero-padded to 61 bytes.
    static QByteArray wire(const QByteArray& hex) {
        return QByteArray::fromHex(hex).leftJustified(61, '\0');
    }

    explicit SimTestHost(VirtualController* controller) : m_api(controller) {}

    VirtualHidApi& api() { return m_api; }
    HidDeviceHandle* handle() const { return m_handle; }

    bool open(unsigned short vid = kVid, unsigned short pid = kPid) {
        m_handle = m_api.open(vid, pid);
        return m_handle && m_api.setNonblocking(m_handle, 1) == 0;
    }

    // Report id 1, packet index, opcode, payload; padding is left to the bus.
    int send(quint8 opcode, const QByteArray& payload = QByteArray(), quint8 index = 0) {
        QByteArray report;
        report.append(char(1)).append(char(index)).append(char(opcode)).append(payload);
        return m_api.write(m_handle, reinterpret_cast<const unsigned char*>(report.constData()),
                           size_t(report.size()));
    }

    // Sends the request and a parameters request behind it. Answers keep request order,
    // so once the second is back the first has been answered or never will be. Returns
    // the answer of the given code with its frame byte zeroed, or an empty array.
    QByteArray ask(quint8 opcode, int code, const QByteArray& payload = QByteArray()) {
        const quint8 request = ++m_index;
        const quint8 marker = ++m_index;
        send(opcode, payload, request);
        send(kGetParameters, QByteArray(), marker);
        QDeadlineTimer deadline(5000);
        while (answer(kParametersCode, marker).isEmpty() && !deadline.hasExpired()) {
            QTest::qWait(1);
        }
        return answer(code, request);
    }
    QByteArray parameters() { return ask(kGetParameters, kParametersCode); }

    // Reads everything waiting; returns the last read() result (0 or -1).
    int pump() {
        unsigned char buffer[4096];
        for (;;) {
            const int n = m_api.read(m_handle, buffer, sizeof(buffer));
            if (n <= 0) {
                return n;
            }
            m_reports.append(QByteArray(reinterpret_cast<const char*>(buffer), n));
        }
    }

    QList<QByteArray> withCode(int code) {
        pump();
        QList<QByteArray> found;
        for (const QByteArray& report : m_reports) {
            if (report.size() > kCodeIndex && quint8(report.at(kCodeIndex)) == code) {
                found << report;
            }
        }
        return found;
    }
    int count(int code) { return withCode(code).size(); }
    QByteArray last(int code) {
        const QList<QByteArray> found = withCode(code);
        return found.isEmpty() ? QByteArray() : found.last();
    }
    void clear() {
        pump();
        m_reports.clear();
    }

private:
    QByteArray answer(int code, quint8 index) {
        for (QByteArray report : withCode(code)) {
            if (quint8(report.at(kFrameIndex)) == index) {
                report[kFrameIndex] = 0;
                return report;
            }
        }
        return QByteArray();
    }

    VirtualHidApi m_api;
    HidDeviceHandle* m_handle = nullptr;
    QList<QByteArray> m_reports;
    quint8 m_index = 0;
};
