#include "app/BreadcrumbNavigation.h"

#include <QLabel>
#include <QPropertyAnimation>
#include <QStackedWidget>

#include "logging/LogMacros.h"

namespace {
constexpr int kAnimationMs = 250;
constexpr int kSlideDistance = 40;
}  // namespace

BreadcrumbNavigation::BreadcrumbNavigation(QWidget* window, QStackedWidget* pages,
                                           QLabel* breadcrumb)
    : QObject(window), m_window(window), m_pages(pages), m_breadcrumb(breadcrumb) {}

int BreadcrumbNavigation::currentPage() const {
    return m_pages->currentIndex();
}

QString BreadcrumbNavigation::breadcrumbText() const {
    return m_breadcrumb->text();
}

void BreadcrumbNavigation::setCentralWidget(int index) {
    TTRACE();
    QWidget* page = m_pages->widget(index);
    if (page == nullptr) {
        TLOG_WARNING(QStringLiteral("No page %1").arg(index));
        return;
    }
    m_pages->setCurrentIndex(index);
    m_breadcrumb->setText(QStringLiteral("%1").arg(page->windowTitle()));
    animateBreadcrumb();
}

void BreadcrumbNavigation::showHome() {
    TTRACE();
    if (m_driverPageActive) {
        m_driverPageActive = false;
        setCentralWidget(kTroubleshootPage);
        return;
    }
    setCentralWidget(kHomePage);
}

void BreadcrumbNavigation::animateBreadcrumb() {
    if (!m_window->isVisible() || m_animation) {
        return;
    }
    m_labelGeometry = m_breadcrumb->geometry();
    auto* animation = new QPropertyAnimation(m_breadcrumb, "geometry", this);
    animation->setDuration(kAnimationMs);
    animation->setStartValue(m_labelGeometry.translated(-kSlideDistance, 0));
    animation->setEndValue(m_labelGeometry);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QPropertyAnimation::finished, this,
            &BreadcrumbNavigation::restoreLabelAfterAnimation);
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void BreadcrumbNavigation::restoreLabelAfterAnimation() {
    if (m_labelGeometry.isValid()) {
        m_breadcrumb->setGeometry(m_labelGeometry);
    }
}
