#include "engineering/DialogEngParamsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "engineering/formEngParamsTab.h"

DialogEngParamsTab::DialogEngParamsTab(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                       QWidget* parent)
    : QDialog(parent),
      m_tabs(new formEngParamsTab(dispatcher, operations)),
      m_status(new QLabel),
      m_apply(new QPushButton(QStringLiteral("Apply"))),
      m_close(new QPushButton(QStringLiteral("Close"))) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("DialogEngParamsTab"));
    setWindowTitle(QStringLiteral("Engineering Parameters"));
    m_status->setObjectName(QStringLiteral("labelStatus"));
    m_status->setWordWrap(true);
    m_apply->setObjectName(QStringLiteral("pushButton_Ok"));
    m_close->setObjectName(QStringLiteral("pushButton__Cancel"));
    m_apply->setEnabled(m_tabs->hasBoardValues());

    auto* flash = new QToolButton;
    flash->setObjectName(QStringLiteral("toolButtonFlashOperations"));
    flash->setText(QStringLiteral("Flash Operations"));
    flash->setMenu(m_tabs->flashMenu());
    flash->setPopupMode(QToolButton::InstantPopup);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(flash);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(kWidth, kHeight);

    connect(m_apply, &QPushButton::clicked, this, &DialogEngParamsTab::on_pushButton_Ok_clicked);
    connect(m_close, &QPushButton::clicked, this,
            &DialogEngParamsTab::on_pushButton__Cancel_clicked);
    connect(m_tabs, &formEngParamsTab::boardValuesLoaded, m_apply,
            [this] { m_apply->setEnabled(true); });
    connect(m_tabs, &formEngParamsTab::applyStarted, this, [this] { showStatus(kApplyingText); });
    connect(m_tabs, &formEngParamsTab::applySaved, this, [this] { showStatus(kSavedText); });
    connect(m_tabs, &formEngParamsTab::applyGaveUp, this, [this] { showStatus(kGaveUpText); });
    connect(this, &QDialog::finished, m_tabs, &formEngParamsTab::stopApplying);
}

DialogEngParamsTab::~DialogEngParamsTab() {
    TTRACE_OBJECT();
}

QString DialogEngParamsTab::statusText() const {
    return m_status->text();
}

void DialogEngParamsTab::showStatus(const char* text) {
    m_status->setText(QString::fromLatin1(text));
}

void DialogEngParamsTab::on_pushButton_Ok_clicked() {
    TTRACE();
    m_status->clear();
    m_tabs->applyChanges();
}

void DialogEngParamsTab::on_pushButton__Cancel_clicked() {
    TTRACE();
    reject();
}
