#include "FloatSetResponseDelegate.h"

FloatSetResponseDelegate::FloatSetResponseDelegate(int responseCode, QObject* parent)
    : DeviceResponseDelegate(parent), m_responseCode(responseCode) {}

bool FloatSetResponseDelegate::isUnderstood(QByteArray data) {
    return responseCodeOf(data) == m_responseCode;
}

void FloatSetResponseDelegate::execute() {
    emit valuesChanged();
    emit valuesChanged(QByteArray(m_data));
}
