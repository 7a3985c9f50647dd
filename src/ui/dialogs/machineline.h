// The line under the Execution Browser's list for a net that runs a Turing machine: where
// the machine stands, as `veltra-cli run --machine` prints it, read from the net's values.
// Hidden for every other net.
#pragma once

#include "machine/turingnet.h"

#include <QLabel>
#include <QString>
#include <QStringList>

namespace veltra {

class TDados;

class TMachineLine final : public QLabel {
public:
    explicit TMachineLine(QWidget* parent);

    // After every step of the active net: a halted machine's net falls to 0 two steps later,
    // so the configuration where it halted is kept here when it passes.
    void Stepped(const TDados* document);
    // Shows the line for the active net (hidden when it runs no Turing machine).
    void ShowFor(const TDados* document);
    // The whole line; the label shows as much of it as fits on MostLines lines.
    const QString& Line() const { return line_; }
    static constexpr int MostLines = 3;
    // The height the line takes at that width.
    int HeightFor(int width) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Attaches the watch when the document or its number of elements changed.
    bool Follow(const TDados* document);
    QStringList Lines(int width) const;
    void Elide();

    const TDados* document_ = nullptr;
    int elements_ = -1;
    bool machine_ = false;
    TTuringWatch watch_;
    QString line_;
};

} // namespace veltra
