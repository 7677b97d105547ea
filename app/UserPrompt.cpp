#include "app/UserPrompt.h"

#include "app/MessageBoxPrompt.h"

namespace {
UserPrompt* installedPrompt = nullptr;
}  // namespace

UserPrompt& UserPrompt::current() {
    static MessageBoxPrompt messageBoxes;
    return installedPrompt != nullptr ? *installedPrompt : messageBoxes;
}

void UserPrompt::install(UserPrompt* prompt) {
    installedPrompt = prompt;
}
