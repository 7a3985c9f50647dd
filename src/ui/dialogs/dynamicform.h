// The "Current Dynamic System" window: the equations of the active drawing window's net,
// one line per neuron with incoming synapses, rebuilt by every show command and printable.
#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

class QPrinter;
class QTextEdit;

namespace veltra {

class TDesktopHost;

class Tdynamicform final : public QDialog {
    Q_OBJECT
public:
    explicit Tdynamicform(TDesktopHost& host);

    // Clears DYNAMICS and fills it with the equation lines of the active net; with no
    // drawing window open it shows "No mdi child open, man!" and stays empty.
    void BuildDynamics();
    // Dynamic1 and dynamic_bt: rebuild, show and bring to the front.
    void ShowDynamics();
    // PrintDynamics1 and dyn_print: the printout through the print dialog.
    void PrintDynamics();

    // The text of DYNAMICS, line by line.
    QStringList Lines() const;
    QTextEdit& Text() { return *dynamics_; }

    // The text a printout hands to the printer: "DYNAMICS", the caption of the active
    // window, an empty line and the lines cut at 131 characters, read back from the scratch
    // file "t.aux" in the current folder. Nothing when there is no window or the scratch
    // file fails (the message has been shown then).
    std::optional<QStringList> PreparePrintout();
    // One print job titled "DYNAMICS", laid out in the view's font.
    void PrintText(QPrinter& printer, const QStringList& text) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TDesktopHost& host_;
    QTextEdit* dynamics_;
};

} // namespace veltra
