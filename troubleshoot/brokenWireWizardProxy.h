#pragma once

#include <QWizardPage>

class SetOperations;

// The setup wizard's broken-wire page: shown when the controller reports a wire error,
// it asks the installer to check the sensor's ribbon and offers the graph.
class brokenWireWizardProxy : public QWizardPage {
    Q_OBJECT
public:
    // Next id meaning "the wizard's default order".
    static constexpr int kDefaultOrder = -2;

    explicit brokenWireWizardProxy(SetOperations* operations, QWidget* parent = nullptr);

    void setNextIdWhenOk(int id) { m_nextIdWhenOk = id; }
    void setNextIdWhenFailed(int id) { m_nextIdWhenFailed = id; }
    void setNextIdWhenCancelled(int id) { m_nextIdWhenCancelled = id; }
    int nextIdWhenFailed() const { return m_nextIdWhenFailed; }
    int nextIdWhenCancelled() const { return m_nextIdWhenCancelled; }
    bool isComplete() const override { return true; }

signals:
    void showNext();

public slots:
    void slotFinished(int result);
    bool onCancelButtonClicked();
    void initializePage() override;
    int nextId() const override;
    void backClicked();
    void nextClicked();

private:
    void hideGraphButtonWhileWireOut();

    SetOperations* m_operations;
    bool m_wireOut = false;
    bool m_buttonsConnected = false;
    int m_nextIdWhenOk = kDefaultOrder;
    int m_nextIdWhenFailed = kDefaultOrder;
    int m_nextIdWhenCancelled = kDefaultOrder;
};
