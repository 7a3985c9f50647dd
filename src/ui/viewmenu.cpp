#include "ui/viewmenu.h"

#include "ui/desktophost.h"
#include "ui/drawingtexts.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/netscroller.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <cmath>
#include <functional>

namespace veltra {

TViewMenu::TViewMenu(TDesktopHost& host, QMenu& view)
    : QObject(&host.MainWindow()), host_(host), zoomLabel_(new QLabel(&host.MainWindow())) {
    zoomLabel_->setObjectName(QStringLiteral("ZoomLabel"));
    zoomLabel_->setToolTip(QStringLiteral("Zoom of the active drawing"));
    host.MainWindow().statusBar()->addPermanentWidget(zoomLabel_);
    ShowZoom(1.0);

    view.addSeparator()->setObjectName(QStringLiteral("N4"));
    auto item = [&](const char* name, const QString& caption, const QList<QKeySequence>& keys,
                    void (TNetScroller::*command)()) {
        QAction* a = view.addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [this, command] {
            if (TDrawingWindow* child = host_.ActiveDrawing())
                std::invoke(command, child->Ecra().Scroller());
        });
    };
    item("ViewZoomInItem", QStringLiteral("Zoom &In"),
         {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
         &TNetScroller::ZoomIn);
    item("ViewZoomOutItem", QStringLiteral("Zoom &Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
         &TNetScroller::ZoomOut);
    item("ViewActualSizeItem", QStringLiteral("&Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
         &TNetScroller::ZoomReset);
    item("ViewFitItem", QStringLiteral("&Fit to Window"), {QKeySequence(Qt::CTRL | Qt::Key_9)},
         &TNetScroller::FitToWindow);

    view.addSeparator()->setObjectName(QStringLiteral("N5"));
    QSettings settings;
    TDrawingTexts& texts = DrawingTexts();
    const struct {
        const char* name;
        const char* caption;
        const char* key;
        bool TDrawingTexts::*flag;
    } toggles[] = {
        {"ViewLabelsItem", "Show &Labels", "view/showLabels", &TDrawingTexts::labels},
        {"ViewValuesItem", "Show &Values", "view/showValues", &TDrawingTexts::values},
        {"ViewWeightsItem", "Show &Weights", "view/showWeights", &TDrawingTexts::weights}};
    for (const auto& t : toggles) {
        texts.*t.flag = settings.value(QString::fromLatin1(t.key), false).toBool();
        QAction* a = view.addAction(QString::fromLatin1(t.caption));
        a->setObjectName(QString::fromLatin1(t.name));
        a->setCheckable(true);
        a->setChecked(texts.*t.flag);
        const QString key = QString::fromLatin1(t.key);
        const auto flag = t.flag;
        connect(a, &QAction::toggled, this, [this, key, flag](bool on) {
            DrawingTexts().*flag = on;
            QSettings().setValue(key, on);
            TextsChanged();
        });
    }
}

void TViewMenu::TextsChanged() {
    for (int i = 0; i < host_.DrawingCount(); ++i) {
        TEcra& ecra = host_.DrawingAt(i)->Ecra();
        ecra.InvalidateAll();
        ecra.update();
    }
}

void TViewMenu::Follow(TDrawingWindow* child) {
    disconnect(followed_);
    if (child == nullptr) return;
    TNetScroller& scroller = child->Ecra().Scroller();
    followed_ = connect(&scroller, &TNetScroller::ViewChanged, this,
                        [this](double zoom) { ShowZoom(zoom); });
    ShowZoom(child->Ecra().View().Zoom());
}

void TViewMenu::ShowZoom(double zoom) {
    zoomLabel_->setText(QStringLiteral("%1%").arg(std::lround(zoom * 100)));
}

} // namespace veltra
