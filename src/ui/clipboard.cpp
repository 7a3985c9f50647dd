#include "ui/clipboard.h"

#include "model/canvas.h"
#include "model/dados.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/protolista.h"
#include "ui/desktophost.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/editcommands.h"
#include "ui/editstack.h"
#include "ui/guard.h"
#include "ui/prompter.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <sstream>
#include <unordered_set>

namespace veltra {

namespace {
// Where pasted elements land from where the text had them.
constexpr int PasteOffset = 20;
} // namespace

std::string SelectionText(TDrawingWindow& window) {
    const std::vector<TProtoNeuronio*> selection = window.Selection();
    if (selection.empty()) return {};
    std::unordered_set<int> keep;
    for (const TProtoNeuronio* e : selection)
        keep.insert(window.Document().Elements().IndexOf(e));
    // The net's own file read back, less what is not selected: the file's writer and reader
    // decide what a copied element and its synapses are.
    std::ostringstream whole;
    window.Document().Save(whole);
    TDados copy;
    std::istringstream in(whole.str());
    if (!copy.Load(in).empty()) return {};
    TNullCanvas canvas;
    for (int i = copy.Elements().Count() - 1; i >= 0; --i)
        if (!keep.count(i)) copy.Remove(copy.Elements().Item(i), canvas);
    std::ostringstream out;
    copy.Save(out);
    return out.str();
}

std::string PasteText(TDrawingWindow& window, const std::string& text, int offset,
                      const char* caption) {
    TDados pasted;
    std::istringstream in(text);
    const std::string error = pasted.Load(in);
    if (!error.empty()) return error;
    TDados& document = window.Document();
    TProtoLista& from = pasted.Elements();
    // Counted from the top of every net the window's list stands in: a module's window puts
    // what it pastes that much deeper.
    if (!FitsDepth(document.Elements(), NestingDepth(from))) return ModuleDepthText();
    std::vector<TProtoNeuronio*> added;
    TNullCanvas canvas;
    while (!from.Empty()) {
        std::unique_ptr<TProtoNeuronio> e = from.Take(from.Item(0));
        e->SetLabel(std::to_string(document.Net().ElementCounter()));
        // Near the end of the coordinate range the copy stops at the end, not wrapped round.
        const TPoint at = e->GetPosition();
        e->MoveTopLeftTo(canvas, ShiftCoordinate(at.x, offset), ShiftCoordinate(at.y, offset));
        added.push_back(document.AddElement(std::move(e)));
    }
    if (added.empty()) return {};
    window.Ecra().InvalidateAll();
    window.UndoStack().Push(std::make_unique<TPasteCommand>(
        window.UndoStack(), document.Net().SharedElements(), added, QString::fromLatin1(caption)));
    // The copies are what the user works on next (moves them clear of the originals).
    window.Select(added);
    return {};
}

void AddClipboardItems(QMenu& edit, TDesktopHost& host) {
    const auto add = [&](const char* text, const char* name, QKeySequence key, const char* tip,
                         void (*act)(TDesktopHost&, TDrawingWindow&)) {
        QAction* a = edit.addAction(QString::fromLatin1(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        a->setStatusTip(QString::fromLatin1(tip));
        QObject::connect(a, &QAction::triggered, &edit, [&host, act] {
            if (TDrawingWindow* child = host.ActiveDrawing())
                Guarded(host.Prompter(), child, [&] { act(host, *child); });
        });
    };
    edit.addSeparator();
    add("Cu&t", "EditCutItem", QKeySequence(Qt::CTRL | Qt::Key_X),
        "Copy the selected elements and erase them", [](TDesktopHost&, TDrawingWindow& child) {
            const std::string text = SelectionText(child);
            if (text.empty()) return;
            QGuiApplication::clipboard()->setText(QString::fromStdString(text));
            child.EraseSelection(/*ask=*/false);
        });
    add("&Copy", "EditCopyItem", QKeySequence(Qt::CTRL | Qt::Key_C),
        "Copy the selected elements and the synapses among them",
        [](TDesktopHost&, TDrawingWindow& child) {
            const std::string text = SelectionText(child);
            if (!text.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        });
    add("&Paste", "EditPasteItem", QKeySequence(Qt::CTRL | Qt::Key_V),
        "Add the copied elements to the net", [](TDesktopHost& main, TDrawingWindow& child) {
            const std::string text = QGuiApplication::clipboard()->text().toStdString();
            if (text.empty()) return;
            const std::string error = PasteText(child, text, PasteOffset, "Paste");
            if (!error.empty()) main.Prompter().Message(&child, QString::fromStdString(error));
        });
    add("D&uplicate", "EditDuplicateItem", QKeySequence(Qt::CTRL | Qt::Key_D),
        "Add a copy of the selected elements to the net",
        [](TDesktopHost& main, TDrawingWindow& child) {
            const std::string text = SelectionText(child);
            if (text.empty()) return;
            const std::string error = PasteText(child, text, PasteOffset, "Duplicate");
            if (!error.empty()) main.Prompter().Message(&child, QString::fromStdString(error));
        });
}

} // namespace veltra
