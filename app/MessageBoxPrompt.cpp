#include "app/MessageBoxPrompt.h"

#include <QCheckBox>
#include <QFileDialog>

UserPrompt::Answer MessageBoxPrompt::ask(const Question& question, QWidget* parent) {
    QMessageBox box(question.icon, question.title, question.text, question.buttons, parent);
    if (!question.informativeText.isEmpty()) {
        box.setInformativeText(question.informativeText);
    }
    if (question.defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(question.defaultButton);
    }
    QCheckBox* checkBox = nullptr;
    if (!question.checkBoxText.isEmpty()) {
        checkBox = new QCheckBox(question.checkBoxText, &box);
        box.setCheckBox(checkBox);
    }
    box.raise();
    box.activateWindow();
    box.setFocus();
    Answer answer;
    answer.button = static_cast<QMessageBox::StandardButton>(box.exec());
    answer.checkBoxChecked = checkBox != nullptr && checkBox->isChecked();
    return answer;
}

QString MessageBoxPrompt::openFileName(QWidget* parent, const QString& caption,
                                       const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString MessageBoxPrompt::saveFileName(QWidget* parent, const QString& caption,
                                       const QString& directory, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}
