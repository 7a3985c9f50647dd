// A read-only view of a text too long for an edit box (an input's sequence of millions of
// symbols): shown in rows of a fixed number of characters, each line break starting a new
// row, and only the rows in sight are ever formatted, so a text of any length shows at once.
#pragma once

#include <QListView>
#include <string>
#include <vector>

namespace veltra {

class TLongTextModel;

class TLongTextView final : public QListView {
    Q_OBJECT
public:
    static constexpr int RowChars = 64;

    explicit TLongTextView(QWidget* parent = nullptr);

    void SetText(std::string text);
    const std::string& Text() const;
    // Rows shown: the text's lines (CR LF, CR or LF end one), each cut every RowChars.
    int RowCount() const;
    QString RowText(int row) const;

private:
    TLongTextModel* model_;
};

// Shows a text whole in a window of its own ("LongTextViewer", titled `title`), in a
// TLongTextView, with a button that copies it: the whole of a value or sequence that a list
// shows shortened. The window closes and goes by itself; the text is its own copy.
void ShowLongText(QWidget* parent, const QString& title, std::string text);
// Puts the text on the clipboard, each byte as the character of its own code (as the views
// show it).
void CopyLongText(const std::string& text);

} // namespace veltra
