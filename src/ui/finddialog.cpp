#include "ui/finddialog.h"

#include "execution/runcontrol.h"
#include "model/dados.h"
#include "model/elementkind.h"
#include "ui/desktophost.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/netscroller.h"
#include "ui/prompter.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltra {

TFindDialog::TFindDialog(QWidget* parent)
    : QDialog(parent), text_(new QLineEdit(this)), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Find"));
    text_->setObjectName(QStringLiteral("EditFind"));
    text_->setPlaceholderText(QStringLiteral("part of a label"));
    list_->setObjectName(QStringLiteral("ListFound"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Label:"), this));
    layout->addWidget(text_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(320, 360);
    connect(text_, &QLineEdit::textChanged, this, [this] { Filter(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    text_->installEventFilter(this);
}

void TFindDialog::Load(const std::vector<TProtoNeuronio*>& elements) {
    elements_ = elements;
    Filter();
    text_->selectAll();
    text_->setFocus();
}

void TFindDialog::Filter() {
    const QString wanted = text_->text();
    shown_.clear();
    list_->clear();
    for (TProtoNeuronio* e : elements_) {
        const QString label = QString::fromStdString(e->Label());
        if (!label.contains(wanted, Qt::CaseInsensitive)) continue;
        shown_.push_back(e);
        list_->addItem(
            QStringLiteral("%1  (%2)").arg(label, QString::fromLatin1(KindInfo(e->Kind()).name)));
    }
    if (!shown_.empty()) list_->setCurrentRow(0);
}

bool TFindDialog::eventFilter(QObject* watched, QEvent* event) {
    // Up and Down in the text move through the matches, so the keyboard alone picks one.
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(list_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

TProtoNeuronio* TFindDialog::Chosen() const {
    const int row = list_->currentRow();
    return row >= 0 && row < static_cast<int>(shown_.size()) ? shown_[static_cast<std::size_t>(row)]
                                                             : nullptr;
}

void FindItemClick(TDesktopHost& host) {
    TDrawingWindow* child = host.ActiveDrawing();
    if (child == nullptr) {
        host.Prompter().Message(&host.MainWindow(), QString::fromLatin1(NoNetWindowText));
        return;
    }
    auto* dialog = host.MainWindow().findChild<TFindDialog*>(QStringLiteral("FindDialog"));
    if (dialog == nullptr) dialog = new TFindDialog(&host.MainWindow());
    std::vector<TProtoNeuronio*> elements;
    for (const auto& e : child->Document().Elements())
        elements.push_back(e.get());
    dialog->Load(elements);
    if (host.Prompter().ExecDialog(*dialog) != QDialog::Accepted) return;
    TProtoNeuronio* found = dialog->Chosen();
    // The dialog is modal, but a run may change the net between its passes meanwhile.
    if (found == nullptr || host.ActiveDrawing() != child ||
        child->Document().Elements().IndexOf(found) < 0)
        return;
    child->Select({found});
    child->Ecra().Scroller().CentreOn(found->Centre());
}

} // namespace veltra
