// File > Export Image...: the active window's whole net as a PNG, SVG or PDF picture at a
// chosen scale, with the labels, values and weights the View menu shows.
#pragma once

#include <QDialog>

class QDoubleSpinBox;
class QMenu;

namespace veltra {

class TDesktopHost;

// Asks for the scale of the picture (in percent, as the zoom).
class TExportImageDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TExportImageDialog(QWidget* parent);
    QDoubleSpinBox& Scale() { return *scale_; }

private:
    QDoubleSpinBox* scale_;
};

// Adds the item to the File menu, after Save As.
void AddExportImageItem(TDesktopHost& host, QMenu& file);
void ExportImageItemClick(TDesktopHost& host);

} // namespace veltra
