#include "ui/dialogs/longfield.h"

#include "ui/dialogs/longtextview.h"
#include "ui/numbertip.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

namespace veltra {

namespace {

// A box of this width shows about this many digits at once.
constexpr int ShownInBox = 20;

} // namespace

TLongField::TLongField(QLineEdit* box) : QObject(box), box_(box) {
    // The tooltip follows the text, typed or set.
    connect(box_, &QLineEdit::textChanged, this, &TLongField::ShowTip);
    box_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box_, &QLineEdit::customContextMenuRequested, this, &TLongField::ShowMenu);
}

void TLongField::SetText(std::string text, bool quiet) {
    const QSignalBlocker block(quiet ? box_ : nullptr);
    if (text.size() <= EditableChars) {
        whole_.clear();
        shown_.clear();
        box_->setText(QString::fromStdString(text));
    } else {
        shown_ = QString::fromStdString(ListedForm(text, TTextEnds::TUnit::Digits));
        whole_ = std::move(text);
        box_->setText(shown_);
        box_->setCursorPosition(0); // its first digits in view
    }
    if (quiet) ShowTip();
}

void TLongField::ShowTip() {
    box_->setToolTip(Shortened()
                         ? NumberTip(TextEndsOf(whole_, TipAsk, TipAsk, TTextEnds::TUnit::Digits))
                         : NumberTip(box_->text(), ShownInBox));
}

std::string TLongField::Text() const {
    return Shortened() ? whole_ : box_->text().toStdString();
}

bool TLongField::Shortened() const {
    return !shown_.isEmpty() && box_->text() == shown_;
}

void TLongField::ShowMenu(const QPoint& at) {
    QMenu* menu = box_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (Shortened()) {
        menu->addSeparator();
        connect(menu->addAction(QStringLiteral("Copy &Whole Value")), &QAction::triggered, this,
                [this] { CopyLongText(whole_); });
        connect(menu->addAction(QStringLiteral("&Show Whole Value")), &QAction::triggered, this,
                [this] { ShowLongText(box_->window(), QStringLiteral("Value"), whole_); });
    }
    menu->popup(box_->mapToGlobal(at));
}

} // namespace veltra
