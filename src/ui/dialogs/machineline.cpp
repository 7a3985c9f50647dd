#include "ui/dialogs/machineline.h"

#include "model/dados.h"

#include <QFontMetrics>
#include <QStringList>

namespace veltra {

TMachineLine::TMachineLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("MachineLine"));
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hide();
}

bool TMachineLine::Follow(const TDados* document) {
    const int elements = document != nullptr ? document->Net().Elements().Count() : -1;
    if (document != document_ || elements != elements_) {
        document_ = document;
        elements_ = elements;
        std::string error;
        machine_ = document != nullptr && watch_.Attach(document->Net().Elements(), error);
    }
    return machine_;
}

void TMachineLine::Stepped(const TDados* document) {
    if (Follow(document)) watch_.Observe();
}

void TMachineLine::ShowFor(const TDados* document) {
    if (!Follow(document)) {
        line_.clear();
        hide();
        return;
    }
    TTuringView view;
    std::string error;
    line_ = QString::fromStdString(watch_.Current(view, error) ? view.Line() : "machine: " + error);
    Elide();
    show();
}

QStringList TMachineLine::Lines(int width) const {
    // Word by word on up to MostLines lines; what does not fit (the tape's far end) is elided.
    const QFontMetrics metrics = fontMetrics();
    const QStringList words = line_.split(QLatin1Char(' '));
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString joined = current.isEmpty() ? words[i] : current + u' ' + words[i];
        if (current.isEmpty() || metrics.horizontalAdvance(joined) <= width) {
            current = joined;
            continue;
        }
        if (lines.size() == MostLines - 1) {
            current = joined;
            for (++i; i < words.size(); ++i)
                current += u' ' + words[i];
            break;
        }
        lines << current;
        current = words[i];
    }
    lines << metrics.elidedText(current, Qt::ElideRight, width);
    return lines;
}

void TMachineLine::Elide() {
    setText(Lines(width()).join(u'\n'));
    // The whole tape on demand, cut where a tip would be of no use any more.
    setToolTip(line_.size() > 4000 ? line_.left(4000) + QStringLiteral("...") : line_);
}

int TMachineLine::HeightFor(int width) const {
    return static_cast<int>(Lines(width).size()) * fontMetrics().lineSpacing() + 2;
}

void TMachineLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (!line_.isEmpty()) Elide();
}

} // namespace veltra
