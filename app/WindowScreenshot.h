#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

// Saves a picture of a window once it shows what a user would see: when the window has
// become enabled (the controller answered) and a short settling time has passed, or
// when waiting for that took too long. Used to show the tool on machines without a
// display (under Xvfb).
class WindowScreenshot : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultReadyTimeoutMs = 8000;
    static constexpr int kDefaultSettleMs = 600;
    static constexpr int kDefaultPollMs = 100;

    WindowScreenshot(QWidget* window, const QString& fileName, QObject* parent = nullptr);

    void setTimings(int readyTimeoutMs, int settleMs, int pollMs);
    void start();

signals:
    // After the attempt: whether the picture was written.
    void finished(bool saved);

private slots:
    void check();
    void save();

private:
    QPointer<QWidget> m_window;
    QString m_fileName;
    int m_readyTimeoutMs = kDefaultReadyTimeoutMs;
    int m_settleMs = kDefaultSettleMs;
    QTimer m_pollTimer;
    QElapsedTimer m_waited;
};
