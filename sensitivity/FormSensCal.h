#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include "operations/AutoSensitivityProcedure.h"

class DeviceEventDispatcher;
class OvEqualizerLines;
class OvTargetProgress;
class QLabel;
class QMovie;
class QStackedWidget;
class SetOperations;

// The full-screen window of the automatic sensitivity procedure: "Please do not touch",
// then "Please Press the Target" with the target filling up while the edge levels are
// counted, and the equalizers of arrays A and B when "Sensitivity/ShowMonitor" is on.
// The procedure itself is AutoSensitivityProcedure; this dialog shows its states and
// closes with its result: 1 completed, 0 failed (stageTimeout). Escape, or closing the
// window otherwise, ends the run as failed and gives the controller back.
//
// Frameless, on top, deleted on close. Show it with show() or exec(); the run starts when
// the dialog is shown.
class FormSensCal : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinimumSide = 750;

    FormSensCal(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                QWidget* parent = nullptr);
    // A run still going ends as failed.
    ~FormSensCal() override;

    // The run, until it has ended and the controller has its settings back.
    AutoSensitivityProcedure* procedure() const { return m_procedure; }
    // For tests: the stage delays of the run.
    void setDelays(const AutoSensitivityProcedure::Delays& delays);
    int currentPage() const;
    const OvTargetProgress* target() const { return m_target; }

signals:
    void noiseFigure(double theValue);
    void signalToNoiseRatio(double theSnr);
    void lineHealth(QStringList theReport);

public slots:
    void reject() override;
    // Also deletes a dialog shown without exec() (deleted on close).
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeQuietPage();
    QWidget* makePressPage();
    void connectProcedure();

    QPointer<AutoSensitivityProcedure> m_procedure;
    QStackedWidget* m_pages = nullptr;
    OvTargetProgress* m_target = nullptr;
    OvEqualizerLines* m_equalizerA = nullptr;
    OvEqualizerLines* m_equalizerB = nullptr;
    QLabel* m_analysisLabel = nullptr;
    QMovie* m_feedback = nullptr;
};
