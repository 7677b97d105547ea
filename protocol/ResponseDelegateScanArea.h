#pragma once

#include <array>

#include "device/DeviceResponseDelegate.h"
#include "protocol/ScanData.h"

// Scan-area stream ("ScanArea"), codes 12 (array A) and 13 (array B). A report is a tile
// of a 40 x 40 image: byte 2 = first row, byte 3 = row count r, byte 4 = first column,
// byte 5 = row length c, bytes 7.. = r x c bytes, row after row.
//
// Each array keeps its last four tiles in a ring of frames and a composite image: the
// frames laid over a cleared image from the newest to the oldest, where only values
// above 16 are written (so an older value above 16 wins over a newer one). Rows and
// columns from 40 on are not stored, and a header that announces more bytes than the
// report carries fills only what the report holds (the rest of the frame stays 0).
class ResponseDelegateScanArea : public DeviceResponseDelegate {
    Q_OBJECT
public:
    static constexpr int kSide = scanArea::ScanData::kSide;
    static constexpr int kFrameCells = scanArea::ScanData::kGridCells;
    static constexpr int kRingFrames = 4;
    static constexpr int kHeaderBytes = 4;
    // Values at or below this level are treated as noise by the composite.
    static constexpr quint8 kNoiseLevel = 16;

    using Frame = std::array<quint8, kFrameCells>;

    // Also registers scanArea::ScanData under both of its names.
    explicit ResponseDelegateScanArea(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly for codes 12 and 13 in byte 1.
    bool isUnderstood(QByteArray data) override;

    // The composite image of array A (false) or B (true).
    const Frame& composite(bool arrayB) const;
    // First row, row count, first column, row length of the array's last tile.
    std::array<quint8, kHeaderBytes> header(bool arrayB) const;

signals:
    void scanA(QByteArray data);
    void scanB(QByteArray data);
    // The line and length variants and imageSignal are declared for the pages that
    // treat both scan streams alike; this delegate does not emit them.
    void scanA(QByteArray data, bool flag, int line);
    void scanB(QByteArray data, bool flag, int line);
    void scanALenLine(QByteArray data, uchar Line, uchar Length, bool flag);
    void scanBLenLine(QByteArray data, uchar Line, uchar Length, bool flag);
    void imageSignal(QByteArray m_itsImage);
    void scanAreaDataA(scanArea::ScanData data);
    void scanAreaDataB(scanArea::ScanData data);

public slots:
    // Emits scanAreaDataA with the composite of A in grid A of a zeroed ScanData, then
    // scanA with the report's bytes from 7 on; for array B the B signals.
    void execute() override;
    // Stores the tile in the next frame of its array and rebuilds the composite. A
    // report of another code is logged and still stored, for the previous report's array.
    void addData(QByteArray data) override;

private:
    struct ArrayImage {
        std::array<Frame, kRingFrames> frames{};
        int ringIndex = 0;
        std::array<quint8, kHeaderBytes> header{};
        Frame composite{};
    };

    static void storeTile(const QByteArray& report, ArrayImage& image);
    static void rebuildComposite(ArrayImage& image);

    ArrayImage& current() { return m_arrayB ? m_imageB : m_imageA; }

    bool m_arrayB = false;
    ArrayImage m_imageA;
    ArrayImage m_imageB;
};
