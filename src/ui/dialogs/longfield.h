// A number box of the Info dialog that can be handed a value too long to edit in a line (a
// line edit keeps at most 32,767 characters, and lays out a long line slowly): such a value
// shows as lists show it, and the box keeps the whole text, which Text() gives for as long as
// the box shows that. The whole value shows on hover (its ends when too long to read), and
// the box's context menu copies it or shows it in a viewer.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLineEdit;

namespace veltra {

class TLongField final : public QObject {
public:
    // Texts longer than this show shortened.
    static constexpr std::size_t EditableChars = 4096;

    explicit TLongField(QLineEdit* box);

    // As the box's setText; `quiet`: without the box's signals (the dialog showing a value,
    // not the user editing it).
    void SetText(std::string text, bool quiet = false);
    // The box's text, or the whole text while the box shows it shortened.
    std::string Text() const;
    bool Shortened() const;

private:
    void ShowMenu(const QPoint& at);
    void ShowTip();

    QLineEdit* box_;
    std::string whole_; // while shortened
    QString shown_;     // what the box showed for it
};

} // namespace veltra
