#pragma once

#include <QByteArray>
#include <QMap>

// The board's firmware memory: the running image's header and a download area that holds
// a staged header and numbered 16-byte items.
//
// How the board judges a staged image: `size` is the image length in bytes, so the image
// has ceil(size / 16) items numbered 0 upwards, and `checksum` is the 32-bit sum
// (wrapping) of every byte of every item, all 16 bytes of the last item included. The
// image is ready when every item is present and the sum matches.
//
// Erased memory reads as all ones (0xFFFFFFFF), as flash does.
class SimFirmwareStore {
public:
    static constexpr quint32 kErased = 0xFFFFFFFFu;
    static constexpr int kItemLength = 16;
    static constexpr quint32 kMaxImageSize = 256u * 1024u;

    struct Header {
        quint32 version = kErased;
        quint32 size = kErased;
        quint32 checksum = kErased;
    };

    // A board running `runningVersion` (or with an erased running header when `blank`),
    // built with `originalVersion`, and an erased download area.
    void reset(quint32 runningVersion, quint32 originalVersion, bool blank);

    void clearDownloadArea();
    bool isHeaderClear() const { return m_headerClear; }
    bool areItemsClear() const { return m_items.isEmpty(); }

    // Accepted only into a clear header area and for a size of 1..kMaxImageSize.
    bool stageHeader(const Header& header);
    // Accepted only after a header, for an entry inside the image, once per entry, and
    // for exactly kItemLength bytes.
    bool stageItem(int entry, const QByteArray& data);
    // The staged item, or an empty array when there is none.
    QByteArray stagedItem(int entry) const;
    // Every item present and the staged checksum matches them.
    bool isStagedImageValid() const;
    // Makes a valid staged image the running one; clears the download area.
    bool commit();

    Header staged() const { return m_staged; }
    Header running() const { return m_running; }
    bool isRunningChecksumValid() const { return m_runningValid; }
    quint32 runningFlags() const { return m_runningFlags; }
    quint32 updateCounter() const { return m_updateCounter; }
    quint32 originalVersion() const { return m_originalVersion; }

    static quint32 checksumOf(const QByteArray& bytes);

private:
    int stagedItemCount() const;

    Header m_staged;
    bool m_headerClear = true;
    QMap<int, QByteArray> m_items;
    Header m_running;
    bool m_runningValid = false;
    quint32 m_runningFlags = 0;
    quint32 m_updateCounter = 0;
    quint32 m_originalVersion = kErased;
};
