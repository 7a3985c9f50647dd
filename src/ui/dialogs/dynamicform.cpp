#include "ui/dialogs/dynamicform.h"

#include "execution/dynamics.h"
#include "model/dados.h"
#include "ui/desktophost.h"
#include "ui/drawingwindow.h"
#include "ui/prompter.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <sstream>

namespace veltra {

namespace {

constexpr const char* ScratchFileName = "t.aux";

QFont DynamicsFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

} // namespace

Tdynamicform::Tdynamicform(TDesktopHost& host)
    : QDialog(&host.MainWindow(), Qt::Window), host_(host) {
    setObjectName(QStringLiteral("dynamicform"));
    setWindowTitle(QString::fromLatin1(DynamicsCaption));
    resize(410, 279);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);

    // The panel is larger than the window; the window scrolls over it.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("dynamicScroll"));
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("dynamic_panel"));
    panel->setFixedSize(1200, 2000);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    dynamics_ = new QTextEdit(panel);
    dynamics_->setObjectName(QStringLiteral("DYNAMICS"));
    dynamics_->setReadOnly(true);
    dynamics_->setLineWrapMode(QTextEdit::NoWrap);
    dynamics_->setFont(DynamicsFont());
    QPalette text = dynamics_->palette();
    text.setColor(QPalette::Base, Qt::white);
    text.setColor(QPalette::Text, Qt::black);
    dynamics_->setPalette(text);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(3, 3, 3, 3);
    panelLayout->addWidget(dynamics_);
    dynamics_->setPlainText(QString::fromLatin1(DynamicsTitle));
    scroll->setWidget(panel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QStringList Tdynamicform::Lines() const {
    const QString text = dynamics_->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void Tdynamicform::BuildDynamics() {
    dynamics_->clear();
    dynamics_->repaint();
    TDrawingWindow* child = host_.ActiveDrawing();
    if (child == nullptr) {
        host_.Prompter().Message(this, QString::fromLatin1(NoMdiChildText));
        return;
    }
    QStringList lines;
    for (const std::string& line : veltra::BuildDynamics(child->Document().Elements()))
        lines << QString::fromStdString(line);
    dynamics_->setPlainText(lines.join(QLatin1Char('\n')));
}

void Tdynamicform::ShowDynamics() {
    BuildDynamics();
    show();
    raise();
    activateWindow();
    // The speed button only triggers the command; it never stays down.
    if (auto* button = host_.MainWindow().findChild<QToolButton*>(QStringLiteral("dynamic_bt")))
        button->setChecked(false);
}

void Tdynamicform::closeEvent(QCloseEvent* event) {
    if (auto* item = host_.MainWindow().findChild<QAction*>(QStringLiteral("Dynamic1")))
        item->setChecked(false);
    if (auto* button = host_.MainWindow().findChild<QToolButton*>(QStringLiteral("dynamic_bt")))
        button->setChecked(false);
    QDialog::closeEvent(event);
}

std::optional<QStringList> Tdynamicform::PreparePrintout() {
    BuildDynamics();
    TDrawingWindow* child = host_.ActiveDrawing();
    if (child == nullptr) return std::nullopt; // nothing to caption; the message was shown

    std::vector<std::string> viewLines;
    for (const QString& line : Lines())
        viewLines.push_back(line.toStdString());
    std::ostringstream scratch;
    WriteDynamicsScratch(scratch, viewLines);
    const QByteArray bytes = QByteArray::fromStdString(scratch.str());

    QFile file(QString::fromLatin1(ScratchFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        host_.Prompter().Message(
            this,
            QStringLiteral("Cannot write \"%1\": %2").arg(file.fileName(), file.errorString()));
        return std::nullopt;
    }
    file.close();
    if (!file.open(QIODevice::ReadOnly)) {
        host_.Prompter().Message(
            this,
            QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
        return std::nullopt;
    }
    std::istringstream in(file.readAll().toStdString());
    if (file.error() != QFileDevice::NoError) {
        host_.Prompter().Message(
            this,
            QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
        return std::nullopt;
    }
    QStringList text;
    for (const std::string& line :
         DynamicsPrintout(child->Caption().toStdString(), ReadDynamicsScratch(in)))
        text << QString::fromStdString(line);
    return text;
}

void Tdynamicform::PrintText(QPrinter& printer, const QStringList& text) const {
    printer.setDocName(QString::fromLatin1(DynamicsTitle));
    QTextDocument document;
    document.setDefaultFont(DynamicsFont());
    document.setPlainText(text.join(QLatin1Char('\n')));
    // Paginated to the printer's page in screen units, so the text prints at the size the
    // view shows and without the page numbers an unpaginated document gets.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
    document.setPageSize(printer.pageLayout().paintRect(QPageLayout::Inch).size() * dpi);
    document.print(&printer);
}

void Tdynamicform::PrintDynamics() {
    const std::optional<QStringList> text = PreparePrintout();
    if (!text) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(DynamicsTitle));
    QPrintDialog dialog(&printer, &host_.MainWindow());
    dialog.setWindowTitle(QStringLiteral("Print Dynamics"));
    if (host_.Prompter().ExecDialog(dialog) != QDialog::Accepted) return;
    PrintText(printer, *text);
}

} // namespace veltra
