// What the desktop's menus, tools and dialogs need from the main window: the drawing
// windows (above all the active one, whose net they act on), a way to tell the user and to
// ask, the display settings, and the single tool windows. The main window (TMainForm) is the
// one host; the parts take this face of it, so none of them depends on the main window's
// own header and the main window may use all of them.
#pragma once

#include <QMainWindow>
#include <QString>

class QWidget;

namespace veltra {

class TDrawingWindow;
class TInteraction;
class TPrompter;
class TProtoNeuronio;
class TToolbar;

// The single windows made at start-up and shown or hidden for the whole run.
struct TSingleWindows {
    QWidget* AboutBox = nullptr;
    QWidget* MultPageDlg = nullptr;
    TToolbar* Toolbar = nullptr;
    QWidget* dynamicform = nullptr;
    QWidget* FormRunBrowser = nullptr;
    QWidget* FormOptions = nullptr;
    QWidget* Form_Mod_IO = nullptr;
    QWidget* FormMDIWindowsList = nullptr;
    QWidget* FormRunList = nullptr;
};

// What the hover hints show (Options); kept for the session.
struct THintSettings {
    bool showLabel = true;
    bool showValue = true;
};

class TDesktopHost {
public:
    virtual ~TDesktopHost() = default;

    // The main window: the parent of dialogs and tool windows, and the holder of the
    // application's actions, shortcuts and status line.
    virtual QMainWindow& MainWindow() = 0;
    // Messages, questions and file dialogs.
    virtual TPrompter& Prompter() = 0;
    // How the model asks the user.
    virtual TInteraction& Interaction() = 0;
    virtual THintSettings& HintSettings() = 0;
    virtual TSingleWindows& Windows() = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void FocusWeightBox() = 0;

    // The drawing windows: the active one (null when none is open), all of them in the
    // workspace's order, and the first one made, while it is open.
    virtual TDrawingWindow* ActiveDrawing() const = 0;
    virtual int DrawingCount() const = 0;
    virtual TDrawingWindow* DrawingAt(int index) const = 0;
    virtual TDrawingWindow* FirstDrawing() const = 0;
    // The windows that show the active net follow it (a tool changed which net that is, or
    // filled it).
    virtual void ActiveNetChanged() = 0;
    // A new, empty drawing window.
    virtual TDrawingWindow* NewDrawing(const QString& caption) = 0;
    // Opens a net file in a new drawing window; false when it could not be read (the user
    // has been told why).
    virtual bool OpenNetFile(const QString& fileName) = 0;
    // The watch flag of an element, as an edit of the stack holding it.
    virtual void SetWatched(TProtoNeuronio& element, bool watched) = 0;
};

} // namespace veltra
