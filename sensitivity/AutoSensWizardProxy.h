#pragma once

#include <QPointer>
#include <QWizardPage>

#include <optional>

#include "operations/AutoSensitivityProcedure.h"

class DeviceEventDispatcher;
class FormSensCal;
class QLabel;
class SetOperations;

// The setup wizard's automatic sensitivity page: entering it runs FormSensCal (window
// modal, without a nested event loop) and shows the outcome. nextId() is the id given
// to setNextIdWhenOk() once that was called, else the wizard's default.
class AutoSensWizardProxy : public QWizardPage {
    Q_OBJECT
public:
    AutoSensWizardProxy(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                        QWidget* parent = nullptr);

    void setNextIdWhenOk(int id) { m_nextIdWhenOk = id; }
    void setNextIdWhenFailed(int id) { m_nextIdWhenFailed = id; }
    void setNextIdWhenCancelled(int id) { m_nextIdWhenCancelled = id; }
    int nextIdWhenFailed() const { return m_nextIdWhenFailed; }
    int nextIdWhenCancelled() const { return m_nextIdWhenCancelled; }
    bool isComplete() const override { return true; }

    // The stage delays of the runs this page starts (tests shorten them).
    void setDelays(const AutoSensitivityProcedure::Delays& delays) { m_delays = delays; }
    // The procedure window while a run is going, else null.
    FormSensCal* dialog() const { return m_dialog; }
    QString labelText() const;
    double noiseFigureValue() const { return m_noiseFigure; }
    double snrValue() const { return m_snr; }

signals:
    // A run has ended and the page shows its outcome.
    void showNext();

public slots:
    void slotFinished(int result);
    bool onCancelButtonClicked();
    void initializePage() override;
    int nextId() const override;
    void slotNoiseFigure(double theValue);
    void slotSNR(double theSnr);

private:
    void showOutcome(int result);

    DeviceEventDispatcher* m_dispatcher;
    SetOperations* m_operations;
    std::optional<AutoSensitivityProcedure::Delays> m_delays;
    QPointer<FormSensCal> m_dialog;
    QLabel* m_label;
    std::optional<int> m_nextIdWhenOk;
    int m_nextIdWhenFailed = -1;
    int m_nextIdWhenCancelled = -1;
    double m_noiseFigure = 0.0;
    double m_snr = 0.0;
};
