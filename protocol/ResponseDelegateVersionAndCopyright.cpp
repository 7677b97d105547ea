#include "ResponseDelegateVersionAndCopyright.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

namespace {
constexpr int kCopyrightTextStart = 2;
constexpr int kFirstVersionByteIndex = 8;
constexpr int kFirstVersionWordIndex = 10;
constexpr int kVersionWordBytes = 4;
constexpr int kVersionTextStart = 24;
}  // namespace

ResponseDelegateVersionAndCopyright::ResponseDelegateVersionAndCopyright(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateVersionAndCopyright::registryName() {
    return QStringLiteral("VersionAndCopyright");
}

bool ResponseDelegateVersionAndCopyright::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::Version || code == ResponseCode::Copyright;
}

quint8 ResponseDelegateVersionAndCopyright::versionByte(int index) const {
    if (index < 0 || index >= kVersionBytes) {
        return 0;
    }
    return m_bytes[static_cast<size_t>(index)];
}

quint32 ResponseDelegateVersionAndCopyright::versionWord(int index) const {
    if (index < 0 || index >= kVersionWords) {
        return 0;
    }
    return m_words[static_cast<size_t>(index)];
}

void ResponseDelegateVersionAndCopyright::execute() {
    const int code = responseCodeOf(m_data);
    if (code == ResponseCode::Copyright) {
        emit signalCopyrightString(PacketBytes::textUntilZero(m_data, kCopyrightTextStart));
    } else if (code == ResponseCode::Version) {
        decodeVersion();
        emit signalVersionString(m_versionText);
    } else {
        TLOG_CRITICAL(QStringLiteral("Unknown data as parameter, expect problems!"));
    }
}

void ResponseDelegateVersionAndCopyright::decodeVersion() {
    for (int i = 0; i < kVersionBytes; ++i) {
        m_bytes[static_cast<size_t>(i)] = PacketBytes::byteAt(m_data, kFirstVersionByteIndex + i);
    }
    for (int i = 0; i < kVersionWords; ++i) {
        m_words[static_cast<size_t>(i)] =
            PacketBytes::u32LeAt(m_data, kFirstVersionWordIndex + i * kVersionWordBytes);
    }
    m_versionText = PacketBytes::textUntilZero(m_data, kVersionTextStart);
    m_versionReceived = true;
}
