// The View menu's zoom items and the zoom shown in the status bar. They act on the active
// drawing window; each window keeps its own zoom and scroll position.
#pragma once

#include <QMetaObject>
#include <QObject>

class QLabel;
class QMenu;

namespace veltra {

class TDesktopHost;
class TDrawingWindow;

class TViewMenu final : public QObject {
    Q_OBJECT
public:
    TViewMenu(TDesktopHost& host, QMenu& view);

    // Shows the active window's zoom and follows its changes.
    void Follow(TDrawingWindow* child);

private:
    void ShowZoom(double zoom);
    // Keeps the choice for the next run and draws every window again.
    void TextsChanged();

    TDesktopHost& host_;
    QLabel* zoomLabel_;
    QMetaObject::Connection followed_;
};

} // namespace veltra
