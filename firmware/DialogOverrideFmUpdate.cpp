#include "DialogOverrideFmUpdate.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "logging/LogMacros.h"

namespace {
const char* const kIconText =
    "<p align=\"center\"><img src=\":/new/WindowStyles/images/WindowsStyles/"
    "Wire_diag_30x27.png\"/></p>";
const char* const kWarningText =
    "<p align=\"center\" style=\"font-size:14pt\"><b>WARNING</b>: <b>You are about to update "
    "to a firmware version that might not be compatible with your tavirel sensor.</b></p>"
    "<p align=\"center\" style=\"font-size:14pt\"></p>"
    "<p align=\"center\" style=\"font-size:14pt\"><b>Do you want to proceed ?</b></p>";
constexpr int kIconBoxHeight = 48;
constexpr int kButtonWidth = 90;
constexpr int kWidth = 460;
constexpr int kHeight = 300;

QTextBrowser* textBox(const QString& html, QWidget* parent) {
    auto* box = new QTextBrowser(parent);
    box->setHtml(html);
    box->setFrameShape(QFrame::NoFrame);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

QToolButton* answerButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setMinimumWidth(kButtonWidth);
    return button;
}
}  // namespace

DialogOverrideFmUpdate::DialogOverrideFmUpdate(QWidget* parent) : QWidget(parent, Qt::Window) {
    TTRACE_OBJECT();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("tavirel Firmware Update"));
    resize(kWidth, kHeight);
    QTextBrowser* icon = textBox(QString::fromLatin1(kIconText), this);
    icon->setObjectName(QStringLiteral("iconText"));
    icon->setFixedHeight(kIconBoxHeight);
    QTextBrowser* warning = textBox(QString::fromLatin1(kWarningText), this);
    warning->setObjectName(QStringLiteral("warningText"));
    QToolButton* yes = answerButton(QStringLiteral("yesButton"), QStringLiteral("Yes"), this);
    QToolButton* no = answerButton(QStringLiteral("noButton"), QStringLiteral("No"), this);
    connect(yes, &QToolButton::clicked, this, &DialogOverrideFmUpdate::on_yesButton_clicked);
    connect(no, &QToolButton::clicked, this, &DialogOverrideFmUpdate::on_noButton_clicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(warning);
    layout->addLayout(buttons);
}

void DialogOverrideFmUpdate::on_yesButton_clicked() {
    TTRACE();
    emit yes_clicked();
    close();
}

void DialogOverrideFmUpdate::on_noButton_clicked() {
    TTRACE();
    emit no_clicked();
    close();
}

void DialogOverrideFmUpdate::closeEvent(QCloseEvent* event) {
    emit close_clicked();
    event->accept();
}
