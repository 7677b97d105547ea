#pragma once

#include <QWizardPage>

// The setup wizard's calibration page: it stands for the calibration while the
// calibration window runs, and tells the wizard where each outcome leads.
class CalibrationWizardProxy : public QWizardPage {
    Q_OBJECT
public:
    explicit CalibrationWizardProxy(QWidget* parent = nullptr);

    // Hides the wizard's Next and Back buttons while the calibration runs.
    void initializePage() override;
    // True while the wizard's Next button is visible.
    bool isComplete() const override;
    // The override id when one is set, else the wizard's default.
    int nextId() const override;

    void setNextIdOverride(int id) { m_nextIdOverride = id; }
    // Picks the page for a calibration result: 0 and 1 the OK page, 2 the cancelled page,
    // 3 and 4 the failed page (an id not set leaves the wizard's default).
    void setCalibrationResult(int result);
    void setNextIdCalibrationOk(int id) { m_nextIdOk = id; }
    void setNextIdCalibrationCancelled(int id) { m_nextIdCancelled = id; }
    void setNextIdCalibrationFailed(int id) { m_nextIdFailed = id; }
    int nextIdCalibrationOk() const { return m_nextIdOk; }
    int nextIdCalibrationCancelled() const { return m_nextIdCancelled; }
    int nextIdCalibrationFailed() const { return m_nextIdFailed; }

private:
    int m_nextIdOverride = -1;
    int m_nextIdOk = -1;
    int m_nextIdCancelled = -1;
    int m_nextIdFailed = -1;
};
