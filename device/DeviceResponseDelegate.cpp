#include "DeviceResponseDelegate.h"

quint8 DeviceResponseDelegate::byteAt(int index) const {
    if (index < 0 || index >= m_data.size()) {
        return 0;
    }
    return static_cast<quint8>(m_data.at(index));
}

void DeviceResponseDelegate::addData(QByteArray data) {
    m_data = data;
    m_hasData = true;
}

int DeviceResponseDelegate::responseCodeOf(const QByteArray& packet) {
    if (packet.size() <= kResponseCodeIndex) {
        return -1;
    }
    return static_cast<quint8>(packet.at(kResponseCodeIndex));
}
