#include "app/FormDriver.h"

#include <QStringList>
#include <QtGlobal>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/FirmwareInformation.h"
#include "app/AppVersion.h"
#include "ui_FormDriver.h"

namespace {
constexpr int kUsbIdDigits = 4;
constexpr int kHex = 16;

QString usbIdText(quint32 id) {
    return QStringLiteral("%1").arg(id, kUsbIdDigits, kHex, QLatin1Char('0'));
}
}  // namespace

FormDriver::FormDriver(QWidget* parent) : FormDriver(DeviceEventDispatcher::instance(), parent) {}

FormDriver::FormDriver(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : QWidget(parent), m_ui(new Ui::FormDriver), m_dispatcher(dispatcher) {
    TTRACE_OBJECT();
    m_ui->setupUi(this);
}

FormDriver::~FormDriver() {
    TTRACE_OBJECT();
    delete m_ui;
}

QStringList FormDriver::informationLines(const FirmwareInformation& firmware, quint32 vendorId,
                                         quint32 productId) {
    const int splitType = firmware.splitType() == 0 ? kDefaultSplitType : firmware.splitType();
    return QStringList{
        QString::fromLatin1(kCopyrightLine),
        QString(),
        QStringLiteral("Firmware information "),
        QStringLiteral("Firmware Current version = %1 ").arg(firmware.currentFirmwareVersion()),
        QStringLiteral("Firmware Original version = %1 ").arg(firmware.originalFirmwareVersion()),
        QStringLiteral("Firmware minimum version = %1 ").arg(firmware.firmwareMinimumVersion()),
        QStringLiteral("Firmware Split Version = %1 ").arg(splitType),
        QString(),
        QStringLiteral("UI Information"),
        QStringLiteral("UI Current version = %1 ").arg(QLatin1String(AppVersion::kSoftwareVersion)),
        QStringLiteral("UI minimum requirement = %1 ").arg(firmware.definedVersionString()),
        QString(),
        QStringLiteral("Build information "),
        QStringLiteral("Compile time version  = %1 ").arg(QString::fromLatin1(QT_VERSION_STR)),
        QStringLiteral("Run time version  = %1 ").arg(QString::fromLatin1(qVersion())),
        QString(),
        QStringLiteral("Device Information"),
        QStringLiteral("VID= 0x%1   PID= 0x%2").arg(usbIdText(vendorId), usbIdText(productId)),
    };
}

QString FormDriver::text() const {
    return m_ui->textEdit->toPlainText();
}

void FormDriver::refresh() {
    TTRACE();
    // Without a provider or device information (a replay before its information line)
    // the ids read as 0.
    quint32 vendorId = 0;
    quint32 productId = 0;
    DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr;
    const DeviceInfoData* info = provider != nullptr ? provider->info() : nullptr;
    if (info != nullptr) {
        vendorId = info->vendorId;
        productId = info->productId;
    }
    m_ui->textEdit->clear();
    const QStringList lines =
        informationLines(FirmwareInformation::instance(), vendorId, productId);
    for (const QString& line : lines) {
        m_ui->textEdit->append(line);
    }
}
