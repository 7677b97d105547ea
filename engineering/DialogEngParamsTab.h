#pragma once

#include <QDialog>

class DeviceEventDispatcher;
class QLabel;
class QPushButton;
class SetOperations;
class formEngParamsTab;

// "Engineering Parameters": the engineering tabs (formEngParamsTab) with "Apply" and
// "Close", and a line that says how the last Apply ended. Apply is usable once the
// controller's parameters are in the editors. Closing the dialog, by "Close", Escape or
// the window's frame, ends a running apply loop.
class DialogEngParamsTab : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 551;
    static constexpr int kHeight = 308;
    static constexpr const char* kApplyingText = "Applying the parameters...";
    static constexpr const char* kSavedText =
        "The controller took the parameters; they are saved to flash.";
    static constexpr const char* kGaveUpText =
        "The controller did not take the parameters; nothing was saved to flash.";

    DialogEngParamsTab(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                       QWidget* parent = nullptr);
    ~DialogEngParamsTab() override;

    formEngParamsTab* tabs() const { return m_tabs; }
    QString statusText() const;

public slots:
    // "Apply"
    void on_pushButton_Ok_clicked();
    // "Close"
    void on_pushButton__Cancel_clicked();

private:
    void showStatus(const char* text);

    formEngParamsTab* m_tabs;
    QLabel* m_status;
    QPushButton* m_apply;
    QPushButton* m_close;
};
