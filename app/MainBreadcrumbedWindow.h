#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

class CompareFirmwareVersions;
class ConnectionWatcher;
class FormDriver;
class FormHome;
class FormOutput;
class FormTroubleshoot;
class MiscFiles;
class QPropertyAnimation;
class ResponseDelegateCurrentParameters;

namespace Ui {
class MainBreadcrumbedWindow;
}

// The single top-level window: a header with the logo and a breadcrumb, a stack of four
// pages (0 home, 1 output, 2 troubleshooting, 3 driver information), a status panel
// with the connection indicator, and the wiring between the pages and the device.
// It stays disabled (greyed) while no controller is confirmed.
class MainBreadcrumbedWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Page { HomePage = 0, OutputPage = 1, TroubleshootPage = 2, DriverPage = 3 };

    static constexpr const char* kConnectedStyle =
        "QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/StatusOn_45_71.png);}";
    static constexpr const char* kDisconnectedStyle =
        "QLabel { image: url(:/new/WindowStyles/images/WindowsStyles/StatusOff_54-71.png);}";
    static constexpr const char* kWindowTitle = "tavirel Configuration Software";

    explicit MainBreadcrumbedWindow(QWidget* parent = nullptr);
    ~MainBreadcrumbedWindow() override;

    int currentPage() const;
    QString breadcrumbText() const;
    bool isIndicatorOn() const { return m_indicatorOn; }
    MiscFiles* miscFiles() const { return m_miscFiles; }
    ConnectionWatcher* connectionWatcher() const { return m_watcher; }
    // The firmware check of the board start; nullptr until the board has started.
    CompareFirmwareVersions* firmwareVersionCheck() const { return m_firmwareCheck; }

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

private:
    void applyStyleSheets();
    void buildPages();
    void wirePages();
    void requestFirstParameters();
    void connectBoardStart();
    void createShortcuts();
    void setIndicator(bool on);
    void animateBreadcrumb();
    static bool isProductTest();
    ResponseDelegateCurrentParameters* parametersDelegate() const;

    QWidget* createOutputPage();
    QWidget* createTroubleshootPage();
    void resetOutputPage();
    void wireTroubleshootPage();
    // Entry points of features this build does not have; each logs "not available".
    void createMonitorWindow();
    void createConnectionWatcher();
    void startConnectionWatcher();
    void connectWatcherToConnectionSlots();
    void connectWatcherToFirmwareCheck();
    void pauseConnectionWatcher();
    void continueConnectionWatcher();
    void startFirmwareVersionCheck();
    void connectVersionQueryToFirstRunWizard();
    void connectFirmwareCheckToOffer();
    void saveDefaultParameters();
    void unSetMonitorParameters();
    void connectProductTestOperations();
    void disconnectProductTestOperations();
    void clearScanDisplayFlags();

    Ui::MainBreadcrumbedWindow* m_ui;
    FormHome* m_home = nullptr;
    FormDriver* m_driver = nullptr;
    FormOutput* m_output = nullptr;
    FormTroubleshoot* m_troubleshoot = nullptr;
    MiscFiles* m_miscFiles = nullptr;
    ConnectionWatcher* m_watcher = nullptr;
    CompareFirmwareVersions* m_firmwareCheck = nullptr;
    QPointer<QPropertyAnimation> m_breadcrumbAnimation;
    QRect m_breadcrumbGeometry;
    bool m_driverPageActive = false;
    bool m_brokenWireDone = false;
    bool m_pdtReconnectPending = true;
    bool m_indicatorOn = false;
};
