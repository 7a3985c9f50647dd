#include "ui/numbertip.h"

#include <QLineEdit>
#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace veltra {

namespace {

constexpr int LineChars = 64;
// Beyond this a tooltip no longer helps: show the ends and say how long the number is.
constexpr int MaxShownChars = 2048;
constexpr int EndChars = 512;

QString Wrapped(const QString& text) {
    QStringList lines;
    for (int at = 0; at < text.size(); at += LineChars)
        lines << text.mid(at, LineChars);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString NumberTip(const QString& text, int visibleChars) {
    if (text.size() <= std::max(visibleChars, 0)) return {};
    if (text.size() <= MaxShownChars) return Wrapped(text);
    const auto digits =
        std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    return Wrapped(text.left(EndChars)) + QStringLiteral("\n...\n") +
           Wrapped(text.right(EndChars)) +
           QStringLiteral("\n(%1 digits)")
               .arg(QLocale(QLocale::English).toString(qlonglong(digits)));
}

void ShowWholeNumberOnHover(QLineEdit* box) {
    // A box of this width shows about this many digits at once.
    constexpr int ShownInBox = 20;
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [box](const QString& text) { box->setToolTip(NumberTip(text, ShownInBox)); });
}

} // namespace veltra
