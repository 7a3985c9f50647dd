// The one seam through which the application asks the user anything modal: message boxes,
// the Erase? confirmation, file dialogs, the unsaved-changes question and list picks.
// TQtPrompter shows real dialogs; tests install a scripted prompter and answer without a
// nested event loop.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace veltra {

enum class TSaveChoice { Save, Discard, Cancel };

// A modal question opens above every window of the application, the stay-on-top tool windows
// (palette, Info, Execution Browser) included: it stays on top itself.
void RaiseAboveToolWindows(QWidget& dialog);
// Shows a dialog modally, above the tool windows; its result.
int ShowModal(QDialog& dialog);

struct TFileRequest {
    QString title;
    QString filter;        // Qt filter text, e.g. "Net files (*.net)"
    QString defaultSuffix; // appended when the user types a name without one
    QString directory;     // initial folder; empty: the dialog's own choice
    QString proposed;      // the name offered at first (the last one chosen in that dialog)
};

class TPrompter {
public:
    virtual ~TPrompter() = default;
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // Yes/No box; `at` is the wanted top-left corner in screen coordinates, a negative
    // coordinate leaving that axis to the default placement.
    virtual bool Confirm(QWidget* parent, const QString& text, QPoint at) = 0;
    // Existing file to open; empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const TFileRequest& request) = 0;
    // File to save to (the dialog asks before overwriting); empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const TFileRequest& request) = 0;
    virtual TSaveChoice AskSave(QWidget* parent, const QString& caption) = 0;
    // One of the items, by index; -1 when cancelled.
    virtual int Pick(QWidget* parent, const QString& title, const QStringList& items) = 0;
    // A line of text; ok is false when cancelled. Not pure, so every prompter has it.
    virtual QString AskText(QWidget* parent, const QString& title, const QString& label, bool& ok);
    // Shows one of the application's own modal dialogs (Run List, Options, print dialog) and
    // returns its QDialog result; tests answer by driving the dialog's controls instead.
    virtual int ExecDialog(QDialog& dialog);
};

class TQtPrompter final : public TPrompter {
public:
    void Message(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& text, QPoint at) override;
    QString OpenFileName(QWidget* parent, const TFileRequest& request) override;
    QString SaveFileName(QWidget* parent, const TFileRequest& request) override;
    TSaveChoice AskSave(QWidget* parent, const QString& caption) override;
    int Pick(QWidget* parent, const QString& title, const QStringList& items) override;
};

} // namespace veltra
