#include "ui/toolbar.h"

#include "ui/desktophost.h"
#include "ui/drawingwindow.h"
#include "ui/glyphimages.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace veltra {

namespace {

struct ToolButtonSpec {
    TTool tool;
    const char* name;
    const char* hint;
};

// Left to right, as on the palette.
constexpr ToolButtonSpec Buttons[] = {
    {TTool::Info, "SpeedInfo", "Info"},         {TTool::Move, "SpeedMover", "Move"},
    {TTool::Neuron, "SpeedNeuronio", "Neuron"}, {TTool::Synapse, "SpeedSinapse", "Synapse"},
    {TTool::Bias, "SpeedPendor", "Bias"},       {TTool::Input, "SpeedIn", "Input"},
    {TTool::Output, "SpeedOut", "Output"},      {TTool::Module, "SpeedModule", "Module"},
    {TTool::Erase, "SpeedErase", "Erase"},
};

QIcon ToolIcon(TTool tool) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const auto& glyphs = TGlyphImages::Shared();
    auto glyph = [&](TGlyphKind kind) {
        const QImage& img = glyphs.Image(kind);
        p.drawImage(QPointF(16 - img.width() / 2.0, 16 - img.height() / 2.0), img);
    };
    QPen pen(Qt::black, 2);
    p.setPen(pen);
    switch (tool) {
    case TTool::Neuron:
        glyph(TGlyphKind::Neuron);
        break;
    case TTool::Bias:
        glyph(TGlyphKind::Bias);
        break;
    case TTool::Input:
        glyph(TGlyphKind::Input);
        break;
    case TTool::Output:
        glyph(TGlyphKind::Output);
        break;
    case TTool::Module:
        glyph(TGlyphKind::Module);
        break;
    case TTool::Synapse:
        p.drawLine(5, 26, 25, 8);
        p.drawLine(25, 8, 17, 10);
        p.drawLine(25, 8, 22, 16);
        break;
    case TTool::Info:
        p.drawEllipse(QPointF(16, 16), 11, 11);
        p.drawLine(16, 14, 16, 23);
        p.drawPoint(16, 10);
        break;
    case TTool::Move:
        p.drawLine(16, 4, 16, 28);
        p.drawLine(4, 16, 28, 16);
        p.drawLine(16, 4, 12, 8);
        p.drawLine(16, 4, 20, 8);
        p.drawLine(16, 28, 12, 24);
        p.drawLine(16, 28, 20, 24);
        p.drawLine(4, 16, 8, 12);
        p.drawLine(4, 16, 8, 20);
        p.drawLine(28, 16, 24, 12);
        p.drawLine(28, 16, 24, 20);
        break;
    case TTool::Erase:
        p.setPen(QPen(QColor(180, 0, 0), 3));
        p.drawLine(8, 8, 24, 24);
        p.drawLine(24, 8, 8, 24);
        break;
    case TTool::None:
        break;
    }
    return QIcon(pm);
}

} // namespace

QString ToolCaption(TTool tool) {
    switch (tool) {
    case TTool::Info:
        return QStringLiteral("&Info");
    case TTool::Move:
        return QStringLiteral("Mo&ve");
    case TTool::Neuron:
        return QStringLiteral("&Neuron");
    case TTool::Synapse:
        return QStringLiteral("&Synapse");
    case TTool::Bias:
        return QStringLiteral("&Bias");
    case TTool::Input:
        return QStringLiteral("&Input");
    case TTool::Output:
        return QStringLiteral("&Output");
    case TTool::Module:
        return QStringLiteral("&Module");
    case TTool::Erase:
        return QStringLiteral("&Erase");
    case TTool::None:
        break;
    }
    return {};
}

TToolbar::TToolbar(TDesktopHost& host, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowDoesNotAcceptFocus),
      host_(host), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("Toolbar"));
    setWindowTitle(QStringLiteral("Action Menu"));
    setFixedSize(472, 48);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    outer->addWidget(panel);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(1);
    group_->setExclusive(true);
    int place = 0;
    for (const ToolButtonSpec& spec : Buttons) {
        // Alt and the button's place on the palette, counted from the left: keys the weight
        // box, which keeps the focus, does not take for text.
        const QKeySequence key(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + place++));
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromLatin1(spec.name));
        b->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(spec.hint),
                                                    key.toString(QKeySequence::NativeText)));
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus); // the keyboard stays with the weight box
        b->setAutoRaise(true);
        b->setIcon(ToolIcon(spec.tool));
        b->setIconSize(QSize(32, 32));
        b->setFixedSize(51, 45);
        group_->addButton(b, static_cast<int>(spec.tool));
        row->addWidget(b);
        // The key works wherever the main window has the keyboard, the palette shown or not.
        auto* choose = new QAction(QString::fromLatin1(spec.hint), this);
        choose->setObjectName(QStringLiteral("Key%1").arg(QString::fromLatin1(spec.name)));
        choose->setShortcut(key);
        host.MainWindow().addAction(choose);
        const TTool tool = spec.tool;
        connect(choose, &QAction::triggered, this, [this, tool] { ChooseTool(tool); });
    }
    connect(group_, &QButtonGroup::idClicked, this,
            [this](int id) { ChooseTool(static_cast<TTool>(id)); });
}

QAbstractButton* TToolbar::Button(TTool tool) const {
    return group_->button(static_cast<int>(tool));
}

void TToolbar::PressButton(TTool tool) {
    if (QAbstractButton* b = Button(tool)) b->setChecked(true);
}

void TToolbar::ChooseTool(TTool tool) {
    if (tool == tool_) return;
    tool_ = tool;
    PressButton(tool);
    if (tool == TTool::Synapse) {
        host_.FocusWeightBox();
        return;
    }
    // Only the first drawing window's pop-up follows the palette, and only while it is open.
    if (TDrawingWindow* first = host_.FirstDrawing()) first->MarkTool(ToolCaption(tool));
}

} // namespace veltra
