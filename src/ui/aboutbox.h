// The About box: a fixed panel with the author line, the date and the version.
#pragma once

#include <QDialog>

namespace veltra {

class TAboutBox final : public QDialog {
public:
    explicit TAboutBox(QWidget* parent);
};

} // namespace veltra
