#pragma once

#include <QList>
#include <QStringList>

#include "app/UserPrompt.h"

// Answers every question at once with a preset button and remembers what was asked.
class RecordingPrompt : public UserPrompt {
public:
    struct FileQuestion {
        QString caption;
        QString directory;
        QString filter;
    };

    Answer ask(const Question& question, QWidget* parent) override {
        Q_UNUSED(parent);
        questions.append(question);
        Answer answer;
        answer.button = button;
        answer.checkBoxChecked = checkBoxChecked;
        return answer;
    }

    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override {
        Q_UNUSED(parent);
        fileQuestions.append(FileQuestion{caption, directory, filter});
        return chosenFile;
    }

    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override {
        Q_UNUSED(parent);
        saveQuestions.append(FileQuestion{caption, directory, filter});
        return chosenSaveFile;
    }

    QMessageBox::StandardButton button = QMessageBox::Ok;
    bool checkBoxChecked = false;
    QString chosenFile;
    QString chosenSaveFile;
    QList<Question> questions;
    QList<FileQuestion> fileQuestions;
    QList<FileQuestion> saveQuestions;
};
