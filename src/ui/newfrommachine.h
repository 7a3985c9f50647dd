// File -> New from Machine...: builds the net of a stack machine description for a word the
// user types, or of a Turing machine (the notation in a .tm file, or JSON) for a tape, in a
// new drawing window.
#pragma once

#include <QString>

namespace veltra {

class TDesktopHost;
class TDrawingWindow;

// Asks for the description and the word (or tape) through the form's prompter; the new
// window, or null when the user cancelled or the description or word was refused (with a
// message).
TDrawingWindow* NewFromMachine(TDesktopHost& host);

// The same without the file dialog.
TDrawingWindow* NewFromMachineFile(TDesktopHost& host, const QString& fileName);

} // namespace veltra
