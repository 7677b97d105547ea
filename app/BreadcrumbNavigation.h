#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QLabel;
class QPropertyAnimation;
class QStackedWidget;
class QWidget;

// The main window's page stack and its breadcrumb: shows a page, names it in the
// breadcrumb label (which slides in while the window is visible) and knows where "back"
// leads. The driver page is reached from the troubleshooting page, so "back" from it
// returns there; from any other page it returns home.
class BreadcrumbNavigation : public QObject {
    Q_OBJECT
public:
    static constexpr int kHomePage = 0;
    static constexpr int kTroubleshootPage = 2;

    // window: whose visibility decides whether the label animates; also the parent.
    BreadcrumbNavigation(QWidget* window, QStackedWidget* pages, QLabel* breadcrumb);

    int currentPage() const;
    QString breadcrumbText() const;
    // Remembers that the driver page is shown, so the next back() returns to the
    // troubleshooting page.
    void enterDriverPage() { m_driverPageActive = true; }

public slots:
    // Shows page index (logged and ignored when there is no such page).
    void setCentralWidget(int index);
    // Home, or the troubleshooting page when leaving the driver page.
    void showHome();
    void restoreLabelAfterAnimation();

private:
    void animateBreadcrumb();

    QWidget* m_window;
    QStackedWidget* m_pages;
    QLabel* m_breadcrumb;
    QPointer<QPropertyAnimation> m_animation;
    QRect m_labelGeometry;
    bool m_driverPageActive = false;
};
