#include "ui/weightbox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace veltra {

namespace {
// A message box or a pop-up taking the focus for a moment does not change which control
// of the main window is focused, so it neither enters nor leaves the box.
bool ChangesControl(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
} // namespace

TWeightBox::TWeightBox(QWidget* parent, std::function<void()> onReturn,
                       std::function<bool(const QWidget*)> inDrawing)
    : QLineEdit(parent), onReturn_(std::move(onReturn)), inDrawing_(std::move(inDrawing)) {
    setObjectName(QStringLiteral("Sinapse_Box"));
    setToolTip(QStringLiteral("Synapse Value"));
    setStatusTip(QStringLiteral("Synapse Value"));
    setFixedWidth(78);
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(15);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
}

void TWeightBox::focusInEvent(QFocusEvent* event) {
    if (ChangesControl(event->reason())) setText(QStringLiteral("0"));
    QLineEdit::focusInEvent(event);
}

void TWeightBox::focusOutEvent(QFocusEvent* event) {
    if (ChangesControl(event->reason())) setText(QStringLiteral("0"));
    QLineEdit::focusOutEvent(event);
}

void TWeightBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (onReturn_) onReturn_();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace veltra
