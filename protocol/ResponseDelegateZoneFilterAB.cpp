#include "ResponseDelegateZoneFilterAB.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

namespace {
constexpr int kCountIndex = 2;
constexpr int kCoefficientStart = 3;
}  // namespace

ResponseDelegateZoneFilterAB::ResponseDelegateZoneFilterAB(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateZoneFilterAB::registryName() {
    return QStringLiteral("ZoneFilterAB");
}

bool ResponseDelegateZoneFilterAB::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::ZoneFilterA || code == ResponseCode::ZoneFilterB;
}

void ResponseDelegateZoneFilterAB::resetHasData() {
    DeviceResponseDelegate::resetHasData();
    m_receivedA = false;
    m_receivedB = false;
}

bool ResponseDelegateZoneFilterAB::hasData() {
    return m_receivedA && m_receivedB;
}

void ResponseDelegateZoneFilterAB::addData(QByteArray data) {
    const int code = responseCodeOf(data);
    if (code == ResponseCode::ZoneFilterA) {
        m_reportA = data;
        m_receivedA = true;
        m_lastWasB = false;
    } else if (code == ResponseCode::ZoneFilterB) {
        m_reportB = data;
        m_receivedB = true;
        m_lastWasB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(PacketBytes::byteAt(data, kResponseCodeIndex)))));
        return;
    }
    DeviceResponseDelegate::addData(data);
}

void ResponseDelegateZoneFilterAB::execute() {
    if (m_data.isEmpty()) {
        return;
    }
    if (m_lastWasB) {
        emit newAlphasB(alphasB());
    } else {
        emit newAlphasA(alphasA());
    }
}

QByteArray ResponseDelegateZoneFilterAB::alphasA() {
    return coefficientsOf(m_reportA);
}

QByteArray ResponseDelegateZoneFilterAB::alphasB() {
    return coefficientsOf(m_reportB);
}

QByteArray ResponseDelegateZoneFilterAB::coefficientsOf(const QByteArray& report) {
    const int count = PacketBytes::byteAt(report, kCountIndex);
    return report.left(kCoefficientStart + count).mid(kCoefficientStart);
}
