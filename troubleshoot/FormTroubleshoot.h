#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class DeviceEventDispatcher;
class QPushButton;
class SetOperations;

// The troubleshooting tools page: factory reset (behind a confirmation), restart of the
// board, and the ways to the driver information, the graph, the touch test and the
// firmware update, which the main window opens on this page's signals.
class FormTroubleshoot : public QWidget {
    Q_OBJECT
public:
    // A yes/no question shown before an irreversible action.
    struct Question {
        QString title;
        QString text;
        QString informativeText;
    };
    // Asks the question with Ok and Cancel; true when the user chose Ok.
    using Confirmation = std::function<bool(QWidget* parent, const Question& question)>;

    static constexpr const char* kFactoryResetTitle = "Factory Reset";
    static constexpr const char* kFactoryResetText =
        "Delete previous configuration and set the board to factory settings.";
    static constexpr const char* kFactoryResetInformativeText = "Do you want to proceed further?";

    // Works on the process-wide dispatcher and operations.
    explicit FormTroubleshoot(QWidget* parent = nullptr);
    FormTroubleshoot(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                     QWidget* parent = nullptr);
    ~FormTroubleshoot() override;

    // Replaces how questions are asked (the main window's prompt, or a test's answer);
    // an empty function restores the modal message box.
    void setConfirmation(Confirmation confirmation);

signals:
    void signalGraph();
    void signalReplayer();
    void signalOpenWizard();
    void signalUpdateWizard(QString);
    void buttonDriver_pressed();
    void signal_FactoryReset();
    void signal_InvokeTouchTest();

public slots:
    void on_buttonSoftReset_clicked();
    void on_buttonGraph_clicked();
    // Asks first; only on Ok does SetOperations reset the board to its defaults.
    void on_buttonFactoryReset_clicked();
    void on_InvokeNoTouchWindow();
    void on_buttonDriver_clicked();
    void on_buttonFirmwareUpdate_clicked();
    void on_buttonTouchTest_clicked();

private:
    void buildUi();
    QPushButton* addToolButton(const QString& name, const QString& text);
    static bool askWithMessageBox(QWidget* parent, const Question& question);

    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    Confirmation m_confirmation;
    QList<QPushButton*> m_buttons;
};
