#pragma once

#include <QByteArray>
#include <QList>

#include "sim/VirtualHidApi.h"

// Plays the host on the simulated bus: opens the controller, writes requests as raw
// output reports and collects every input report it reads back.
class SimTestHost {
public:
    static constexpr unsigned short kVid = 0x25C8;
    static constexpr unsigned short kPid = 0x0014;
    static constexpr int kCodeIndex = 2;  // wire byte of the response code

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
    int total() {
        pump();
        return m_reports.size();
    }
    void clear() {
        pump();
        m_reports.clear();
    }

private:
    VirtualHidApi m_api;
    HidDeviceHandle* m_handle = nullptr;
    QList<QByteArray> m_reports;
};
