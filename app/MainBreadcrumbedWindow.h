#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>

class BoardStartSequence;
class BreadcrumbNavigation;
class CompareFirmwareVersions;
class ConnectionWatcher;
class DeviceEventDispatcher;
class FormDriver;
class FormOutput;
class FormTroubleshoot;
class MiscFiles;
class MonitorWidget;
class ProductTestWiring;
class SetOperations;
class SetupWizard;

namespace Ui {
class MainBreadcrumbedWindow;
}

// The single top-level window: a header with the logo and a breadcrumb, a stack of four
// pages (0 home, 1 output, 2 troubleshooting, 3 driver information), a status panel
// with the connection indicator, and the wiring between the pages and the device.
// It stays disabled (greyed) while no controller is confirmed.
//
// The pieces: BreadcrumbNavigation (pages and breadcrumb), BoardStartSequence (board
// start, firmware offer, first-run wizard, each step with a bounded wait) and
// ProductTestWiring (the product-test mode's start and reconnection). The public slots
// are the window's interface; those of the pieces forward to them.
class MainBreadcrumbedWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Page { HomePage = 0, OutputPage = 1, TroubleshootPage = 2, DriverPage = 3 };

    static constexpr const char* kConnectedStyle =
        "QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/StatusOn_45_71.png);}";
    static constexpr const char* kDisconnectedStyle =
        "QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/StatusOff_54-71.png);}";
    static constexpr const char* kWindowTitle = "tavirel Configuration Software";

    // Works on the process-wide dispatcher and operations.
    explicit MainBreadcrumbedWindow(QWidget* parent = nullptr);
    MainBreadcrumbedWindow(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                           QWidget* parent = nullptr);
    ~MainBreadcrumbedWindow() override;

    int currentPage() const;
    QString breadcrumbText() const;
    bool isIndicatorOn() const { return m_indicatorOn; }
    MiscFiles* miscFiles() const { return m_miscFiles; }
    // The setup wizard while it runs, else null.
    SetupWizard* setupWizard() const;
    ConnectionWatcher* connectionWatcher() const { return m_watcher; }
    BoardStartSequence* boardStartSequence() const { return m_boardStart; }
    // The touch test window: a window of its own, kept while the main window lives.
    MonitorWidget* monitorWindow() const { return m_monitor.get(); }
    // The firmware check of the board start; nullptr until the board has started.
    CompareFirmwareVersions* firmwareVersionCheck() const;

signals:
    void deviceUnplugged();
    void signalRefreshUi();
    void finishedVersionQuery();

public slots:
    void showHome();
    void showOutput();
    void showTroubleshoot();
    void showDriver();
    void showUpdateWidget(QString info);
    void showWizard();
    void showCurrentData();
    void sheduleFirstRunFirmwareUpdate();
    void showFirstRunWizard();
    void uiUpdateSensAndOthers();
    void uiUpdateConnectionData(bool isOkay);
    void on_actionHelp_triggered();
    void setCentralWidget(int index);
    void on_breadcrumbStyledContainer_clicked();
    void showCompatibilityMessage(bool flag, QString fileName);
    void showMonitorWindow();
    void on_lbBuildDate_linkActivated(QString link);
    void setWebInfo();
    void initializeCommsSubsystem();
    void on_PushButton_Version_pressed();
    void boardStartOperations();
    void scheduleFirstWizardRun();
    void restoreLabelAfterAnimation();
    void slotConnected();
    void slotDisconnected();
    void slotReconnecting();
    void onPdtReconnect();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildPages();
    void wirePages();
    void createShortcuts();
    void setIndicator(bool on);
    void followProvider();
    void keepDialogsUsable();
    void showSoftwareVersion();
    void afterWizardClosed();

    Ui::MainBreadcrumbedWindow* m_ui;
    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    FormDriver* m_driver = nullptr;
    FormOutput* m_output = nullptr;
    FormTroubleshoot* m_troubleshoot = nullptr;
    MiscFiles* m_miscFiles = nullptr;
    ConnectionWatcher* m_watcher = nullptr;
    BreadcrumbNavigation* m_navigation = nullptr;
    BoardStartSequence* m_boardStart = nullptr;
    ProductTestWiring* m_productTest = nullptr;
    std::unique_ptr<MonitorWidget> m_monitor;
    bool m_indicatorOn = false;
    // The running setup wizard; it deletes itself when it closes.
    QPointer<SetupWizard> m_wizard;
};
