// Application start: makes the single windows in their fixed order (main window, About
// box, Info dialog, palette, dynamics view, Execution Browser, Options, the first drawing
// window, Select IO, window list, Run List).
#pragma once

#include <QStringList>
#include <memory>

namespace veltra {

class TMainForm;
class TPrompter;

// Creates every single window; the first drawing window "NONAME1" is active. Net files
// named in `files` open in windows of their own.
std::unique_ptr<TMainForm> CreateApplicationWindows(std::unique_ptr<TPrompter> prompter = nullptr,
                                                    const QStringList& files = {});

} // namespace veltra
