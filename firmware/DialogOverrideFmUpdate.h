#pragma once

#include <QWidget>

class QCloseEvent;
class QToolButton;

// Asks whether a firmware file that does not match the sensor's split type is uploaded
// anyway. A window of its own, shown without blocking; give it the upload dialog as
// parent so it stays reachable while that dialog is modal. Deletes itself when closed.
class DialogOverrideFmUpdate : public QWidget {
    Q_OBJECT
public:
    explicit DialogOverrideFmUpdate(QWidget* parent = nullptr);

signals:
    void yes_clicked();
    void no_clicked();
    // The window closed, by either button or by its frame.
    void close_clicked();

public slots:
    void on_yesButton_clicked();
    void on_noButton_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;
};
