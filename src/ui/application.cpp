#include "ui/application.h"

#include "ui/aboutbox.h"
#include "ui/dialogs/dynamicform.h"
#include "ui/dialogs/options.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runlist.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/prompter.h"
#include "ui/toolbar.h"

#include <QDialog>

namespace veltra {

namespace {

// A single window that later work fills with its controls; it exists from the start with
// its caption and name so the commands that show it work.
QDialog* SingleWindow(TMainForm& main, const char* name, const char* caption, bool stayOnTop,
                      QSize size) {
    auto* w = new QDialog(&main, stayOnTop ? Qt::Tool | Qt::WindowStaysOnTopHint : Qt::Dialog);
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(QString::fromLatin1(caption));
    w->resize(size);
    w->hide();
    return w;
}

} // namespace

std::unique_ptr<TMainForm> CreateApplicationWindows(std::unique_ptr<TPrompter> prompter,
                                                    const QStringList& files) {
    auto main = std::make_unique<TMainForm>(std::move(prompter));
    TSingleWindows& w = main->Windows();
    w.AboutBox = new TAboutBox(main.get());
    w.MultPageDlg = SingleWindow(*main, "MultPageDlg", "Info Menu", true, {420, 330});
    w.Toolbar = new TToolbar(*main, main.get());
    w.Toolbar->hide();
    w.dynamicform = new Tdynamicform(*main);
    w.FormRunBrowser = new TFormRunBrowser(*main);
    w.FormOptions = new TFormOptions(*main);
    main->SetFirstChild(main->CreateMDIChild(QStringLiteral("NONAME1")));
    w.Form_Mod_IO = SingleWindow(*main, "Form_Mod_IO", "Select IO", false, {162, 102});
    w.FormMDIWindowsList = SingleWindow(*main, "FormMDIWindowsList",
                                        "Select open window for module", false, {394, 181});
    w.FormRunList = new TFormRunList(*main);
    for (const QString& file : files)
        main->OpenNetFile(file);
    return main;
}

} // namespace veltra
