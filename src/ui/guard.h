// The one boundary between event handlers and Qt's event loop: an exception from the model
// (an unreadable number, a value too long for its positions, memory running out) never
// crosses it. It becomes a message over the handler's window, and the command is abandoned.
#pragma once

#include "ui/prompter.h"

#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace veltra {

// Runs the handler; false (after the message) when it failed.
template <typename Body> bool Guarded(TPrompter& prompter, QWidget* parent, Body&& body) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const std::exception& error) {
        prompter.Message(parent, QString::fromStdString(error.what()));
        return false;
    }
}

} // namespace veltra
