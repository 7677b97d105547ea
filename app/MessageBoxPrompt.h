#pragma once

#include "app/UserPrompt.h"

// Asks with real, raised and focused modal message boxes and file dialogs.
class MessageBoxPrompt : public UserPrompt {
public:
    Answer ask(const Question& question, QWidget* parent) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
};
