#include "ui/application.h"

#include "ui/aboutbox.h"
#include "ui/dialogs/dynamicform.h"
#include "ui/dialogs/mainformhost.h"
#include "ui/dialogs/mdiwindowslist.h"
#include "ui/dialogs/modio.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/options.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runlist.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/prompter.h"
#include "ui/toolbar.h"

namespace veltra {

std::unique_ptr<TMainForm> CreateApplicationWindows(std::unique_ptr<TPrompter> prompter,
                                                    const QStringList& files) {
    auto main = std::make_unique<TMainForm>(std::move(prompter));
    TSingleWindows& w = main->Windows();
    w.AboutBox = new TAboutBox(main.get());
    w.MultPageDlg = new TMultPageDlg(std::make_unique<TMainFormInfoHost>(*main), main.get());
    w.Toolbar = new TToolbar(*main, main.get());
    w.Toolbar->hide();
    auto* dynamics = new Tdynamicform(*main);
    w.dynamicform = dynamics;
    QObject::connect(main.get(), &TMainForm::DynamicsRequested, dynamics,
                     &Tdynamicform::ShowDynamics);
    QObject::connect(main.get(), &TMainForm::PrintDynamicsRequested, dynamics,
                     &Tdynamicform::PrintDynamics);
    w.FormRunBrowser = new TFormRunBrowser(*main);
    w.FormOptions = new TFormOptions(*main);
    main->SetFirstChild(main->CreateMDIChild(QStringLiteral("NONAME1")));
    const TPrompterSource prompterOf = [m = main.get()]() -> TPrompter& { return m->Prompter(); };
    w.Form_Mod_IO = new TForm_Mod_IO(prompterOf, main.get());
    w.FormMDIWindowsList = new TFormMDIWindowsList(prompterOf, main.get());
    w.FormRunList = new TFormRunList(*main);
    for (const QString& file : files)
        main->OpenNetFile(file);
    return main;
}

} // namespace veltra
