#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class DeviceEventDispatcher;
class FirmwareInformation;

namespace Ui {
class FormDriver;
}

// Page 3 of the main window, "Info": firmware, software, toolkit and device
// identification as read-only text.
class FormDriver : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCopyrightLine =
        "tavirel Configuration Software. Copyright (C) Orvello. All rights reserved.";
    // A split type of 0 means "not detected yet"; the page shows the common variant.
    static constexpr int kDefaultSplitType = 4040;

    // dispatcher: whose provider names the device (the process-wide one by default).
    explicit FormDriver(QWidget* parent = nullptr);
    explicit FormDriver(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);
    ~FormDriver() override;

    // The page text for the given firmware facts and USB ids, one line per entry.
    static QStringList informationLines(const FirmwareInformation& firmware, quint32 vendorId,
                                        quint32 productId);

    QString text() const;

public slots:
    // Rebuilds the text from the current firmware facts and the current provider.
    void refresh();

private:
    Ui::FormDriver* m_ui;
    QPointer<DeviceEventDispatcher> m_dispatcher;
};
