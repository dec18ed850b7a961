#pragma once

#include "prompter.h"
#include "textstore.h"

#include <cstdio>
#include <functional>

namespace hoedeck {

// While set, file messages go to standard error instead of a box: the start-up of a folder
// that cannot be written has said so once, and each file it then cannot create follows from it.
inline bool& fileMessagesToStderr() {
    static bool quiet = false;
    return quiet;
}

// The same where no one may be there to answer a box (shut-down): the message goes to
// standard error.
inline bool runReporting(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const StoreError& error) {
        std::fprintf(stderr, "Hoedeck: %s\n", qPrintable(error.message()));
        return false;
    }
}

// Runs a command of the caller's; a settings file it cannot read or write ends the command
// with that file's message, and the program goes on. False when it ended that way.
inline bool runGuarded(Prompter& prompter, const std::function<void()>& command) {
    if (fileMessagesToStderr())
        return runReporting(command);
    try {
        command();
        return true;
    } catch (const StoreError& error) {
        prompter.message(error.message(), "Hoedeck", Prompter::Icon::Error);
        return false;
    }
}

} // namespace hoedeck
