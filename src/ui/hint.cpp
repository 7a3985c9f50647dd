#include "ui/hint.h"

#include <QFontMetrics>
#include <QToolTip>

namespace veltra {

THint::THint() : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("THint"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMargin(0);
    setIndent(1);
    QPalette pal = QToolTip::palette();
    setPalette(pal);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("QLabel { border: 1px solid #808080; }"));
}

void THint::ActivateHint(const QRect& box, const QString& text, const QFont& font) {
    setFont(font);
    const QFontMetrics fm(font);
    const int left = box.left();
    const int top = box.bottom() + 4;
    hintRect_ = QRect(QPoint(left, top),
                      QPoint(left + fm.horizontalAdvance(text) + 2 + 2, top + fm.height() + 2));
    setText(text);
    setGeometry(hintRect_);
    show();
    raise();
}

} // namespace veltra
