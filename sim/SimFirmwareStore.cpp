#include "SimFirmwareStore.h"

namespace {

// The image a board leaves production with.
constexpr quint32 kFactoryImageSize = 0x1E000;
constexpr quint32 kFactoryImageChecksum = 0x00A5C3E1;

}  // namespace

void SimFirmwareStore::reset(quint32 runningVersion, quint32 originalVersion, bool blank) {
    clearDownloadArea();
    m_originalVersion = originalVersion;
    m_runningFlags = 0;
    m_updateCounter = 0;
    if (blank) {
        m_running = Header();
        m_runningValid = false;
        return;
    }
    m_running.version = runningVersion;
    m_running.size = kFactoryImageSize;
    m_running.checksum = kFactoryImageChecksum;
    m_runningValid = true;
}

void SimFirmwareStore::clearDownloadArea() {
    m_staged = Header();
    m_headerClear = true;
    m_items.clear();
}

bool SimFirmwareStore::stageHeader(const Header& header) {
    if (!m_headerClear || header.size == 0 || header.size > kMaxImageSize) {
        return false;
    }
    m_staged = header;
    m_headerClear = false;
    return true;
}

int SimFirmwareStore::stagedItemCount() const {
    if (m_headerClear) {
        return 0;
    }
    return int((m_staged.size + kItemLength - 1) / kItemLength);
}

bool SimFirmwareStore::stageItem(int entry, const QByteArray& data) {
    if (entry < 0 || entry >= stagedItemCount() || m_items.contains(entry) ||
        data.size() != kItemLength) {
        return false;
    }
    m_items.insert(entry, data);
    return true;
}

QByteArray SimFirmwareStore::stagedItem(int entry) const {
    return m_items.value(entry);
}

bool SimFirmwareStore::isStagedImageValid() const {
    const int count = stagedItemCount();
    if (count == 0 || m_items.size() != count) {
        return false;
    }
    quint32 sum = 0;
    for (const QByteArray& item : m_items) {
        sum += checksumOf(item);
    }
    return sum == m_staged.checksum;
}

bool SimFirmwareStore::commit() {
    if (!isStagedImageValid()) {
        return false;
    }
    m_running = m_staged;
    m_runningValid = true;
    ++m_updateCounter;
    clearDownloadArea();
    return true;
}

quint32 SimFirmwareStore::checksumOf(const QByteArray& bytes) {
    quint32 sum = 0;
    for (const char byte : bytes) {
        sum += static_cast<quint8>(byte);
    }
    return sum;
}
