// The main window's document commands: New, Open, Save, Close, Exit and the bookkeeping
// of drawing windows.
#include "model/dados.h"
#include "model/module.h"
#include "model/netedit.h"
#include "storage/atomicsave.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/ecra.h"
#include "ui/editcommands.h"
#include "ui/editstack.h"
#include "ui/guard.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/prompter.h"
#include "ui/recentfiles.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <sstream>

namespace veltra {

namespace {

TFileRequest NetFileRequest(const QString& title, const QString& proposed, const QString& folder) {
    // Lower-case default suffix: the filter below is case-sensitive on this platform, and
    // a file saved as "x.NET" would vanish from the Open dialog.
    return {title, QStringLiteral("Net files (*.net*)"), QStringLiteral("net"), folder, proposed};
}

// Reads a whole file; false with `why` filled when it cannot be read.
bool ReadFile(const QString& fileName, std::string& content, QString& why) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return false;
    }
    content = file.readAll().toStdString();
    return true;
}

} // namespace

TMDIChild* TMainForm::CreateMDIChild(const QString& caption) {
    auto* child = new TMDIChild(*this, caption);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    // The window's own menu (its icon) closes it with Ctrl+W too, and every open drawing has
    // one: the key would have several owners and do nothing. File -> Close owns it.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* a : menu->actions())
            a->setShortcuts({});
    sub->resize(560, 400);
    // A click in a drawing keeps the main window's focused control (the weight box).
    sub->setFocusPolicy(Qt::NoFocus);
    connect(sub, &QObject::destroyed, this, [this] {
        UpdateMenuItems();
        ActiveNetChanged();
    });
    sub->show();
    PlaceNewWindow(sub);
    mdiArea_->setActiveSubWindow(sub);
    UpdateMenuItems();
    return child;
}

void TMainForm::PlaceNewWindow(QMdiSubWindow* sub) {
    // After the last window placed, or when it has closed, after the newest one still open.
    if (!lastPlaced_)
        for (QMdiSubWindow* other : mdiArea_->subWindowList(QMdiArea::CreationOrder))
            if (other != sub && !other->isHidden()) lastPlaced_ = other;
    PlaceWindow(sub, lastPlaced_ != sub ? lastPlaced_.data() : nullptr);
    lastPlaced_ = sub;
}

void TMainForm::PlaceWindow(QMdiSubWindow* sub, const QMdiSubWindow* after) {
    const QSize area = mdiArea_->viewport()->size();
    // Before the main window is first laid out the workspace has no size to fit into; the
    // windows made by then are placed again when it is shown.
    const bool laidOut = mdiArea_->isVisible() && area.width() > 100 && area.height() > 100;
    if (laidOut) sub->resize(sub->size().boundedTo(area));
    QPoint at(0, 0);
    if (after != nullptr && !after->isHidden() && sub->widget() != nullptr) {
        const int step = sub->widget()->y(); // the height of a title bar
        at = after->pos() + QPoint(step, step);
        if (laidOut &&
            (at.x() + sub->width() > area.width() || at.y() + sub->height() > area.height()))
            at = QPoint(0, 0);
    }
    sub->move(at);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placedAtStart_) return;
    placedAtStart_ = true;
    // Once the workspace has its size: the windows opened at start-up, in cascade.
    QTimer::singleShot(0, this, [this] {
        const QMdiSubWindow* after = nullptr;
        for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
            if (sub->isHidden()) continue;
            PlaceWindow(sub, after);
            after = sub;
            lastPlaced_ = sub;
        }
    });
}

TMDIChild* TMainForm::ActiveChild() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    return sub != nullptr && !sub->isHidden() ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

int TMainForm::ChildCount() const {
    int n = 0;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (!sub->isHidden() && qobject_cast<TMDIChild*>(sub->widget()) != nullptr) ++n;
    return n;
}

TMDIChild* TMainForm::ChildAt(int index) const {
    int n = 0;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget()); child && !sub->isHidden())
            if (n++ == index) return child;
    return nullptr;
}

TMDIChild* TMainForm::FirstChild() const {
    return firstChild_.data();
}
void TMainForm::SetFirstChild(TMDIChild* child) {
    firstChild_ = child;
}

TDrawingWindow* TMainForm::ActiveDrawing() const {
    return ActiveChild();
}

TDrawingWindow* TMainForm::DrawingAt(int index) const {
    return ChildAt(index);
}

TDrawingWindow* TMainForm::FirstDrawing() const {
    return FirstChild();
}

TDrawingWindow* TMainForm::NewDrawing(const QString& caption) {
    return CreateMDIChild(caption);
}

void TMainForm::DrawingClosing(TMDIChild& window) {
    if (auto* info = qobject_cast<TMultPageDlg*>(windows_.MultPageDlg))
        info->Revalidate(nullptr, &window);
    if (auto* browser = qobject_cast<TFormRunBrowser*>(windows_.FormRunBrowser))
        browser->WindowClosing(window);
}

void TMainForm::FileNewItemClick() {
    CreateMDIChild(QStringLiteral("NONAME%1").arg(ChildCount() + 1));
}

bool TMainForm::LoadNet() {
    const QString fileName =
        prompter_->OpenFileName(this, NetFileRequest(QStringLiteral("Open"), lastOpenName_, {}));
    if (fileName.isEmpty()) return false;
    lastOpenName_ = fileName;
    return OpenNetFile(fileName);
}

bool TMainForm::OpenNetFile(const QString& fileName) {
    TMDIChild* child = CreateMDIChild(fileName);
    child->SetFilePath(fileName);
    std::string content;
    QString why;
    if (!ReadFile(fileName, content, why)) {
        prompter_->Message(this, QStringLiteral("Cannot open \"%1\": %2").arg(fileName, why));
        return false;
    }
    std::istringstream in(content);
    std::string errorText;
    const bool read = Guarded(*prompter_, this, [&] { errorText = child->Document().Load(in); });
    child->Ecra().InvalidateAll();
    ActiveNetChanged(); // the window was empty when it became active
    if (!read) return false;
    // Loose synapses have each said so through the interaction already.
    if (!errorText.empty() && errorText != UnresolvedSynapseText) {
        prompter_->Message(this, QString::fromStdString(errorText));
        return false;
    }
    TRecentFiles::Add(fileName);
    return true;
}

void TMainForm::FileSaveItemClick() {
    if (TMDIChild* child = ActiveChild()) SaveChild(*child);
}

void TMainForm::FileSaveAsItemClick() {
    if (TMDIChild* child = ActiveChild()) SaveChildAs(*child);
}

bool TMainForm::SaveChild(TMDIChild& child) {
    if (child.FilePath().isEmpty()) return SaveChildAs(child);
    return WriteChild(child, child.FilePath());
}

bool TMainForm::SaveChildAs(TMDIChild& child) {
    const QString fileName = prompter_->SaveFileName(
        this, NetFileRequest(QStringLiteral("Save As"), lastSaveName_, QStringLiteral(".")));
    if (fileName.isEmpty()) return false;
    lastSaveName_ = fileName;
    return WriteChild(child, fileName);
}

bool TMainForm::WriteChild(TMDIChild& child, const QString& fileName) {
    // Written to a temporary file and renamed over the old one only when complete (through a
    // symbolic link to its target), so a failed save leaves the old file as it was.
    bool saved = false;
    std::string error;
    std::string why = "the net could not be written";
    if (!Guarded(*prompter_, this, [&] {
            saved = AtomicSave(
                QFile::encodeName(fileName).toStdString(),
                [&child](std::ostream& out) { return child.Document().Save(out); }, error, &why);
        }))
        return false;
    if (!saved) {
        prompter_->Message(this, QStringLiteral("Cannot save \"%1\": %2")
                                     .arg(fileName, QString::fromLocal8Bit(why.c_str())));
        return false;
    }
    child.SetFilePath(fileName);
    child.SetModified(false);
    TRecentFiles::Add(fileName);
    RebuildWindowMenu();
    return true;
}

void TMainForm::FileCloseItemClick() {
    if (QMdiSubWindow* sub = mdiArea_->activeSubWindow()) sub->close();
}

void TMainForm::FileExitItemClick() {
    close();
}

bool TMainForm::MaybeSave(TMDIChild& child) {
    // An expanded view's edits belong to the net that holds the module; that window asks.
    if (!child.Modified() || child.ExpandedModule() != nullptr) return true;
    switch (prompter_->AskSave(this, child.Caption())) {
    case TSaveChoice::Save:
        return SaveChild(child);
    case TSaveChoice::Discard:
        return true;
    case TSaveChoice::Cancel:
        break;
    }
    return false;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    for (int i = ChildCount() - 1; i >= 0; --i) {
        TMDIChild* child = ChildAt(i);
        if (!child->parentWidget()->close()) {
            event->ignore();
            return;
        }
    }
    for (QWidget* w : {windows_.MultPageDlg, windows_.dynamicform, windows_.FormRunBrowser,
                       static_cast<QWidget*>(windows_.Toolbar)})
        if (w != nullptr) w->hide();
    event->accept();
}

void TMainForm::ShowNetBrowser(TProtoNeuronio* element, TDados& document) {
    if (auto* info = qobject_cast<TMultPageDlg*>(windows_.MultPageDlg)) {
        if (!info->isVisible()) PlaceToolWindow(*info);
        info->ShowNetBrowser(element, document);
    }
}

std::string TMainForm::LoadModuleFile(TDados& document, TModule& module) {
    TFileRequest request = NetFileRequest(QStringLiteral("OPEN MODULE STORAGE FILE"),
                                          lastModuleName_, QStringLiteral("."));
    const QString fileName = prompter_->OpenFileName(this, request);
    if (fileName.isEmpty()) return document.FinishModule(module);
    lastModuleName_ = fileName;
    std::string content;
    QString why;
    if (!ReadFile(fileName, content, why))
        return QStringLiteral("Cannot open \"%1\": %2").arg(fileName, why).toStdString();
    std::istringstream in(content);
    std::unique_ptr<TInnerNetSwap> swap;
    const std::string errorText = document.LoadModuleFile(module, in, &swap);
    // The old inner net and the synapses across the module's border are kept by the command.
    if (swap) {
        if (TEditStack* stack = StackHolding(&module))
            stack->Push(std::make_unique<TInnerNetCommand>(*stack, QStringLiteral("Load Module"),
                                                           std::move(swap)));
    }
    return errorText;
}

TEditStack* TMainForm::StackHolding(const TProtoNeuronio* element) const {
    for (int i = 0; i < ChildCount(); ++i)
        if (ChildAt(i)->Document().Elements().IndexOf(element) >= 0)
            return &ChildAt(i)->UndoStack();
    for (int i = 0; i < ChildCount(); ++i)
        if (ChildAt(i)->Document().Elements().ContainsDeep(element))
            return &ChildAt(i)->UndoStack();
    return nullptr;
}

void TMainForm::NetStackChanged() {
    if (auto* browser = qobject_cast<TFormRunBrowser*>(windows_.FormRunBrowser))
        browser->NetStackChanged();
    if (auto* info = qobject_cast<TMultPageDlg*>(windows_.MultPageDlg)) info->FollowNet(false);
}

std::vector<const TProtoLista*> TMainForm::OpenNets() {
    std::vector<const TProtoLista*> nets;
    for (int i = 0; i < ChildCount(); ++i)
        nets.push_back(&ChildAt(i)->Document().Elements());
    return nets;
}

void TMainForm::EndGestures() {
    for (int i = 0; i < ChildCount(); ++i)
        if (ChildAt(i)->GestureRunning()) ChildAt(i)->CancelGesture();
}

void TMainForm::SetWatched(TProtoNeuronio& element, bool watched) {
    if (element.Watched() == watched) return;
    if (TEditStack* stack = StackHolding(&element))
        stack->Push(std::make_unique<TWatchCommand>(*stack, &element, watched));
    else
        element.SetWatched(watched);
}

void TMainForm::InnerNetEdited(const TProtoNeuronio* module, TMDIChild* view) {
    for (int i = 0; i < ChildCount(); ++i) {
        TMDIChild* child = ChildAt(i);
        if (child != view && child->Document().Elements().ContainsDeep(module))
            child->InnerNetEdited();
    }
}

void TMainForm::ModuleEdited(const TProtoNeuronio* module, TMDIChild* view) {
    for (int i = 0; i < ChildCount(); ++i) {
        TMDIChild* child = ChildAt(i);
        if (child != view && child->Document().Elements().ContainsDeep(module))
            child->SetModified(true);
    }
}

} // namespace veltra
