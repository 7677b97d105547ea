#include "troubleshoot/FormTroubleshoot.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"

namespace {
constexpr int kButtonColumns = 3;
constexpr int kButtonWidth = 140;
constexpr int kButtonHeight = 60;
}  // namespace

FormTroubleshoot::FormTroubleshoot(QWidget* parent)
    : FormTroubleshoot(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {}

FormTroubleshoot::FormTroubleshoot(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                   QWidget* parent)
    : QWidget(parent), m_dispatcher(dispatcher), m_operations(operations) {
    TTRACE_OBJECT();
    buildUi();
}

FormTroubleshoot::~FormTroubleshoot() {
    TTRACE_OBJECT();
}

void FormTroubleshoot::setConfirmation(Confirmation confirmation) {
    m_confirmation = std::move(confirmation);
}

void FormTroubleshoot::buildUi() {
    setObjectName(QStringLiteral("FormTroubleshoot"));
    setWindowTitle(QStringLiteral("Troubleshoot"));
    auto* group = new QGroupBox(QStringLiteral("Tools"), this);
    group->setObjectName(QStringLiteral("groupBoxTools"));
    auto* grid = new QGridLayout(group);
    auto add = [this, grid](const QString& name, const QString& text, auto slot) {
        QPushButton* button = addToolButton(name, text);
        const int index = m_buttons.size() - 1;
        grid->addWidget(button, index / kButtonColumns, index % kButtonColumns);
        connect(button, &QPushButton::clicked, this, slot);
    };
    add(QStringLiteral("buttonFactoryReset"), QStringLiteral("Factory Reset"),
        &FormTroubleshoot::on_buttonFactoryReset_clicked);
    add(QStringLiteral("buttonSoftReset"), QStringLiteral("Restart Board"),
        &FormTroubleshoot::on_buttonSoftReset_clicked);
    add(QStringLiteral("buttonDriver"), QStringLiteral("Info"),
        &FormTroubleshoot::on_buttonDriver_clicked);
    add(QStringLiteral("buttonGraph"), QStringLiteral("Graph"),
        &FormTroubleshoot::on_buttonGraph_clicked);
    add(QStringLiteral("buttonTouchTest"), QStringLiteral("Touch Test"),
        &FormTroubleshoot::on_buttonTouchTest_clicked);
    add(QStringLiteral("buttonFirmwareUpdate"), QStringLiteral("Firmware Update"),
        &FormTroubleshoot::on_buttonFirmwareUpdate_clicked);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(group, 0, Qt::AlignHCenter);
    layout->addStretch();
}

QPushButton* FormTroubleshoot::addToolButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    m_buttons.append(button);
    return button;
}

void FormTroubleshoot::on_buttonSoftReset_clicked() {
    TTRACE();
    if (!m_dispatcher) {
        TLOG_WARNING(QStringLiteral("No dispatcher: the board cannot be restarted"));
        return;
    }
    m_dispatcher->queueCommand(CommandFactory::softReset());
}

void FormTroubleshoot::on_buttonGraph_clicked() {
    TTRACE();
    emit signalGraph();
}

void FormTroubleshoot::on_buttonFactoryReset_clicked() {
    TTRACE();
    const Question question{QString::fromLatin1(kFactoryResetTitle),
                            QString::fromLatin1(kFactoryResetText),
                            QString::fromLatin1(kFactoryResetInformativeText)};
    const bool proceed =
        m_confirmation ? m_confirmation(this, question) : askWithMessageBox(this, question);
    if (!proceed) {
        TLOG_INFO(QStringLiteral("Factory reset cancelled"));
        return;
    }
    emit signal_FactoryReset();
    m_operations->doFactoryReset();
}

void FormTroubleshoot::on_InvokeNoTouchWindow() {}

void FormTroubleshoot::on_buttonDriver_clicked() {
    TTRACE();
    emit buttonDriver_pressed();
}

void FormTroubleshoot::on_buttonFirmwareUpdate_clicked() {
    TTRACE();
    emit signalUpdateWizard(QString());
}

void FormTroubleshoot::on_buttonTouchTest_clicked() {
    TTRACE();
    emit signal_InvokeTouchTest();
}

bool FormTroubleshoot::askWithMessageBox(QWidget* parent, const Question& question) {
    QMessageBox box(QMessageBox::Question, question.title, question.text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setInformativeText(question.informativeText);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}
