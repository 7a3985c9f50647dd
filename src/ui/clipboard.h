// Cut, Copy, Paste and Duplicate of a drawing window's selection. The clipboard holds the
// selection as net-file text (the selected elements and the synapses among them), so it
// travels between windows and to any editor.
#pragma once

#include <string>

class QMenu;

namespace veltra {

class TDesktopHost;
class TDrawingWindow;

// The selected elements and the synapses among them, as a net file.
std::string SelectionText(TDrawingWindow& window);
// Net-file text read into the window's net as one command named `caption`: every element gets
// a fresh label from the counter and lands `offset` net units right and down of where the
// text had it (stopping at the ends of the coordinate range). Returns the reader's error text,
// or ModuleDepthText when the text's modules would nest deeper here than a file may; empty on
// success. Nothing is added unless all of it is.
std::string PasteText(TDrawingWindow& window, const std::string& text, int offset,
                      const char* caption);
// Cu&t, &Copy, &Paste and D&uplicate on the Edit menu, acting on the active window.
void AddClipboardItems(QMenu& edit, TDesktopHost& host);

} // namespace veltra
