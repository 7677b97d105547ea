#pragma once

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class DeviceEventDispatcher;
class QFrame;

// A window showing the controller's 21 flag bits of the current-parameters block live:
// one box per flag, black while the flag is set. It reads the "CurrentParameters"
// delegate every 750 ms while it exists (it sends nothing itself), closes on Escape or
// Enter and deletes itself when closed. It is always a window of its own, also when it
// has a parent (which closes it along with itself).
class formdisplayCurrentData : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 750;
    static constexpr const char* kFlagSetStyle = "background-color: rgb(0, 0, 0);";

    // Works on the process-wide dispatcher.
    explicit formdisplayCurrentData(QWidget* parent = nullptr);
    explicit formdisplayCurrentData(DeviceEventDispatcher* dispatcher, QWidget* parent = nullptr);
    ~formdisplayCurrentData() override;

    // The names of the boxes, in display order; each box's object name is its flag's.
    static QStringList flagNames();
    // Period of the refresh (750 ms by default).
    void setRefreshInterval(int ms);
    int refreshInterval() const { return m_refreshTimer.interval(); }

public slots:
    // Paints every box from the delegate's last block, then schedules the next read.
    void updateValuesFromBoard();
    void updateSingleFrameBox(QWidget* myFrame, bool newState);
    // Reads the board at once and restarts the refresh period.
    void scheduleTotalRefresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();

    QPointer<DeviceEventDispatcher> m_dispatcher;
    QTimer m_refreshTimer;
    QList<QFrame*> m_boxes;
};
