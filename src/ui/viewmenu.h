// The View menu's zoom items and the zoom shown in the status bar. They act on the active
// drawing window; each window keeps its own zoom and scroll position.
#pragma once

#include <QMetaObject>
#include <QObject>

class QLabel;
class QMenu;

namespace veltra {

class TMainForm;
class TMDIChild;

class TViewMenu final : public QObject {
    Q_OBJECT
public:
    TViewMenu(TMainForm& mainForm, QMenu& view);

    // Shows the active window's zoom and follows its changes.
    void Follow(TMDIChild* child);

private:
    void ShowZoom(double zoom);
    // Keeps the choice for the next run and draws every window again.
    void TextsChanged();

    TMainForm& mainForm_;
    QLabel* zoomLabel_;
    QMetaObject::Connection followed_;
};

} // namespace veltra
