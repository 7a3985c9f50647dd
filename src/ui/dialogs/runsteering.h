// The strip under the Execution Browser's list that watches and steers a run: the step since
// load or Reset and, while running, the rate; Run N steps; Step Back and Go to Step; the Stop
// When conditions and what ended the run; the Plot window.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>
#include <vector>

class QLabel;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace veltra {

class TDados;
class TDesktopHost;
class TPlotWindow;
class TProtoNeuronio;
class TRunControl;
class TStopWhenDialog;

// What the strip asks of the Execution Browser it sits in (TFormRunBrowser).
class TSteeredBrowser : public QDialog {
public:
    using QDialog::QDialog;
    // Run, at most `limit` steps (negative: no limit).
    virtual void RunLimited(long long limit) = 0;
    // Edits of the active window's net from now on cut its run history short.
    virtual void TrackEdits() = 0;
    // The list's row of the element, -1 when it has none.
    virtual int RowOf(const TProtoNeuronio* element) const = 0;
    virtual QTreeView& RunView() = 0;
};

class TRunSteering final : public QWidget {
public:
    static constexpr int StripHeight = 88;

    TRunSteering(TSteeredBrowser& browser, TDesktopHost& host, TRunControl& control);

    // After every refresh: the plot records the values (of `watched`, the net's watched
    // elements in list order, when given; `unchanged`: they and their labels are those of the
    // last refresh).
    void Refreshed(const std::vector<TProtoNeuronio*>* watched = nullptr, bool unchanged = false);
    // At most once per frame during a run: the step, the rate, the plot.
    void ShowStep();
    // A run begins or has ended (ended: what stopped it, the row it concerns highlighted).
    void RunStarted();
    void RunEnded();
    // Another net is active: its step; the rate and the stop report only while they are
    // that net's; the plot shows it afresh.
    void NetChanged();
    // The rate and the stop report no longer describe the net as it stands (it went back
    // or was reset); nothing while a run goes on.
    void ForgetRun();

    void ButtonRunStepsClick();
    void ButtonStepBackClick();
    void ButtonGoToClick();
    void ButtonStopWhenClick();
    // Shows the Plot window (the browser's Plot button and the View menu's Plot).
    void ButtonPlotClick();
    TPlotWindow& Plot() { return *plot_; }

private:
    template <typename Body> void Guarded(Body body);
    // Steps per second since the run began, while the active net is the one it steps.
    void ShowRate();
    // The active window's net, null when none is open.
    TDados* ActiveDocument() const;

    TSteeredBrowser& browser_;
    TDesktopHost& host_;
    TRunControl& control_;
    QLabel* step_;
    QLabel* rate_;
    QSpinBox* count_;
    QPushButton* runSteps_;
    QLabel* report_;
    TStopWhenDialog* stopWhen_;
    TPlotWindow* plot_;
    QElapsedTimer runClock_;
    long long runFirstCount_ = 0;         // the control's step count when the run began
    const TDados* runDocument_ = nullptr; // the net the rate and the report are about
};

} // namespace veltra
