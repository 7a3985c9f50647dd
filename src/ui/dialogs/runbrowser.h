// The "Execution Browser": steps, runs, stops and resets the net of the active drawing
// window and lists its watched neurons, inputs and outputs with their values. A stay-on-top
// tool window that is not modal; the run re-enters the event loop once per step.
#pragma once

#include "execution/runcontrol.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace veltra {

class TDados;
class TFormRunList;
class TMainForm;
class TMDIChild;

class TFormRunBrowser final : public QDialog {
    Q_OBJECT
public:
    explicit TFormRunBrowser(TMainForm& mainForm);

    // Rebuilds the rows from the active window's net.
    void Refresh();

    void OKBtnClick();
    void stepClick();
    void ButtonRunClick();
    void ButtonStopClick();
    void ButtonResetClick();
    void ButtonAddClick();
    void ButtonRemoveClick();

    bool Running() const { return control_.Running(); }
    TRunControl& Control() { return control_; }
    QTreeWidget& RunView() { return *runView_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Copies the run control's rows into RunView, in place when the same elements are
    // listed in the same order.
    void ShowRows();
    // Between two steps of a run: lets the application work, then ends the run of every
    // window that was closed meanwhile.
    void Pass();
    void ForgetClosedRuns();
    // The check mark of Execution1 and the down state of execution_bt follow the browser.
    void MarkShown(bool shown);

    struct RunWindow {
        QPointer<TMDIChild> window;
        TDados* document;
    };

    TMainForm& mainForm_;
    TRunControl control_;
    QTreeWidget* runView_;
    QPushButton* buttonStop_;
    std::vector<RunWindow> runWindows_; // the windows of the runs in progress, innermost last
};

} // namespace veltra
