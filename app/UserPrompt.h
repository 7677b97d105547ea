#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every modal question and file dialog of the tool goes through the installed prompt,
// so tests can answer it without a person and count what was asked. By default a real message box
// is shown (MessageBoxPrompt).
class UserPrompt {
public:
    struct Question {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QString informativeText;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        // A check box in the button row ("Remember my decision"); none when empty.
        QString checkBoxText;
    };

    struct Answer {
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        bool checkBoxChecked = false;
    };

    virtual ~UserPrompt() = default;

    // Blocks until answered.
    virtual Answer ask(const Question& question, QWidget* parent) = 0;
    // An open-file dialog; the chosen path, or a null text when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // A save-file dialog; the chosen path, or a null text when cancelled (what a prompt
    // that offers no such dialog answers).
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter);

    // The prompt in use.
    static UserPrompt& current();
    // Installs a prompt (not owned); nullptr restores real message boxes.
    static void install(UserPrompt* prompt);
};
