#include "ui/numbertip.h"

#include <QLineEdit>
#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace veltra {

namespace {

constexpr int LineChars = 64;
// Beyond this a tooltip no longer helps: show the ends and say how long the text is.
constexpr std::size_t MaxShownChars = 2 * TipAsk;
constexpr int EndChars = 512;

QString Wrapped(const QString& text) {
    QStringList lines;
    for (int at = 0; at < text.size(); at += LineChars)
        lines << text.mid(at, LineChars);
    return lines.join(QLatin1Char('\n'));
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

QString ListedText(const TTextEnds& ends) {
    return Text(ListedForm(ends));
}

QString ListedText(std::string_view text, TTextEnds::TUnit unit) {
    return Text(ListedForm(text, unit));
}

QString NumberTip(const QString& text, int visibleChars) {
    if (text.size() <= std::max(visibleChars, 0)) return {};
    if (static_cast<std::size_t>(text.size()) <= MaxShownChars) return Wrapped(text);
    const auto digits =
        std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    return Wrapped(text.left(EndChars)) + QStringLiteral("\n...\n") +
           Wrapped(text.right(EndChars)) +
           QStringLiteral("\n(%1 digits)")
               .arg(QLocale(QLocale::English).toString(qlonglong(digits)));
}

QString NumberTip(const TTextEnds& ends, int visibleChars) {
    if (ends.length <= static_cast<std::size_t>(std::max(visibleChars, 0))) return {};
    if (ends.Whole()) return Wrapped(Text(ends.head));
    const QString head = Text(ends.head.substr(0, EndChars));
    const QString tail = Text(
        ends.tail.substr(ends.tail.size() - std::min<std::size_t>(ends.tail.size(), EndChars)));
    return Wrapped(head) + QStringLiteral("\n...\n") + Wrapped(tail) + QStringLiteral("\n(") +
           Text(CountText(ends.count, ends.unit)) + QLatin1Char(')');
}

void ShowWholeNumberOnHover(QLineEdit* box) {
    // A box of this width shows about this many digits at once.
    constexpr int ShownInBox = 20;
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [box](const QString& text) { box->setToolTip(NumberTip(text, ShownInBox)); });
}

} // namespace veltra
