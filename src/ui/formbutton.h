// A push button of a form laid out by hand: its control name, caption and place. Buttons of
// tool windows never become the default by taking the focus (Enter belongs to the form).
#pragma once

#include <QPushButton>
#include <QRect>

namespace veltra {

inline QPushButton* FormButton(QWidget* parent, const char* name, const QString& caption,
                               QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace veltra
