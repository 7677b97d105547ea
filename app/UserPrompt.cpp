#include "app/UserPrompt.h"

#include "app/MessageBoxPrompt.h"

namespace {
UserPrompt* installedPrompt = nullptr;
}  // namespace

UserPrompt& UserPrompt::current() {
    static MessageBoxPrompt messageBoxes;
    return installedPrompt != nullptr ? *installedPrompt : messageBoxes;
}

QString UserPrompt::saveFileName(QWidget*, const QString&, const QString&, const QString&) {
    return QString();
}

void UserPrompt::install(UserPrompt* prompt) {
    installedPrompt = prompt;
}
