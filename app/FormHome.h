#pragma once

#include <QWidget>

namespace Ui {
class FormHome;
}

// Page 0 of the main window: the four tool buttons under the caption "Tools".
class FormHome : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaptionFontFile = ":/fonts/OpenSans-LightItalic.ttf";

    explicit FormHome(QWidget* parent = nullptr);
    ~FormHome() override;

signals:
    void buttonCalibrate_pressed(bool);
    void buttonOutput_pressed();
    void buttonTroubleshooting_pressed();
    void signalOpenWizard();

private slots:
    void on_buttonCalibrate_clicked();
    void on_buttonOutput_clicked();
    void on_buttonTroubleshooting_clicked();
    void on_buttonWizard_clicked();

private:
    void loadCaptionFont();

    Ui::FormHome* m_ui;
};
