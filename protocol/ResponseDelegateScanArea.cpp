#include "ResponseDelegateScanArea.h"

#include <algorithm>

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

namespace {
// Tile header, bytes 2..5 of the report; the tile's bytes start at 7.
constexpr int kFirstRowIndex = 2;
constexpr int kRowCountIndex = 3;
constexpr int kFirstColumnIndex = 4;
constexpr int kRowLengthIndex = 5;
constexpr int kTileStart = 7;
}  // namespace

ResponseDelegateScanArea::ResponseDelegateScanArea(QObject* parent)
    : DeviceResponseDelegate(parent) {
    scanArea::registerScanDataType();
}

QString ResponseDelegateScanArea::registryName() {
    return QStringLiteral("ScanArea");
}

bool ResponseDelegateScanArea::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::ScanAreaA || code == ResponseCode::ScanAreaB;
}

const ResponseDelegateScanArea::Frame& ResponseDelegateScanArea::composite(bool arrayB) const {
    return arrayB ? m_imageB.composite : m_imageA.composite;
}

std::array<quint8, ResponseDelegateScanArea::kHeaderBytes> ResponseDelegateScanArea::header(
    bool arrayB) const {
    return arrayB ? m_imageB.header : m_imageA.header;
}

void ResponseDelegateScanArea::addData(QByteArray data) {
    DeviceResponseDelegate::addData(data);
    const int code = PacketBytes::byteAt(data, kResponseCodeIndex);
    if (code == ResponseCode::ScanAreaA) {
        m_arrayB = false;
    } else if (code == ResponseCode::ScanAreaB) {
        m_arrayB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(code))));
    }
    storeTile(data, current());
    rebuildComposite(current());
}

void ResponseDelegateScanArea::storeTile(const QByteArray& report, ArrayImage& image) {
    image.header = {PacketBytes::byteAt(report, kFirstRowIndex),
                    PacketBytes::byteAt(report, kRowCountIndex),
                    PacketBytes::byteAt(report, kFirstColumnIndex),
                    PacketBytes::byteAt(report, kRowLengthIndex)};
    const int firstRow = image.header[0];
    const int rowCount = image.header[1];
    const int firstColumn = image.header[2];
    const int rowLength = image.header[3];
    const QByteArray tile = report.mid(kTileStart);

    image.ringIndex = (image.ringIndex + 1) % kRingFrames;
    Frame& frame = image.frames[static_cast<size_t>(image.ringIndex)];
    frame.fill(0);

    for (int k = 0; k < rowCount; ++k) {
        const int rowStart = k * rowLength;
        if (rowStart >= tile.size()) {
            break;  // the header announced more rows than the report carries
        }
        const int row = firstRow + k;
        if (row >= kSide) {
            continue;
        }
        const int stored = std::min({rowLength, kSide - firstColumn, tile.size() - rowStart});
        for (int j = 0; j < stored; ++j) {
            frame[static_cast<size_t>(row * kSide + firstColumn + j)] =
                static_cast<quint8>(tile.at(rowStart + j));
        }
    }
}

void ResponseDelegateScanArea::rebuildComposite(ArrayImage& image) {
    image.composite.fill(0);
    for (int age = 0; age < kRingFrames; ++age) {
        const int index = (image.ringIndex - age + kRingFrames) % kRingFrames;
        const Frame& frame = image.frames[static_cast<size_t>(index)];
        for (size_t cell = 0; cell < frame.size(); ++cell) {
            if (frame[cell] > kNoiseLevel) {
                image.composite[cell] = frame[cell];
            }
        }
    }
}

void ResponseDelegateScanArea::execute() {
    scanArea::ScanData scanData;
    const QByteArray payload = m_data.mid(kTileStart);
    if (m_arrayB) {
        scanData.gridB = m_imageB.composite;
        emit scanAreaDataB(scanData);
        emit scanB(payload);
    } else {
        scanData.gridA = m_imageA.composite;
        emit scanAreaDataA(scanData);
        emit scanA(payload);
    }
}
