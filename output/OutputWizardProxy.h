#pragma once

#include <QWizardPage>

class DeviceEventDispatcher;
class FormOutput;
class QLabel;
class SetOperations;

// The setup wizard's last page: it tells the outcome of the calibration and, after a
// successful one, offers the output modes.
class OutputWizardProxy : public QWizardPage {
    Q_OBJECT
public:
    OutputWizardProxy(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                      QWidget* parent = nullptr);

    void initializePage() override;
    int nextId() const override;

    FormOutput* form() const { return m_form; }
    QString messageText() const;
    bool isHintShown() const;

signals:
    // The output choices are shown (the calibration succeeded).
    void signalShowOutputWindow();
    // The page shows the outcome of the calibration run.
    void showCompletionDialog();
    // Finish was pressed after a failed calibration: the graph is the next place to look.
    void signalShowSensThresEditor();
    // The parameters saved by Finish are in the controller's flash.
    void signalFinishedSavingParameters();

public slots:
    void finishClicked();
    void slotOutputFinished(int OutputResult);
    void setNextIdOutputCancelled(int id) { m_nextIdCancelled = id; }
    void setNextIdOutputFailed(int id) { m_nextIdFailed = id; }

private:
    SetOperations* m_operations;
    FormOutput* m_form;
    QLabel* m_message;
    QLabel* m_hint;
    bool m_finishConnected = false;
    int m_calibrationResult = -1;
    int m_nextIdOverride = -1;
    int m_nextIdCancelled = -1;
    int m_nextIdFailed = -1;
};
