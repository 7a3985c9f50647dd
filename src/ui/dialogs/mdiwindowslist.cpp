#include "ui/dialogs/mdiwindowslist.h"

#include "ui/prompter.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>

namespace veltra {

TFormMDIWindowsList::TFormMDIWindowsList(TPrompterSource prompter, QWidget* parent)
    : QDialog(parent), prompter_(std::move(prompter)) {
    setObjectName(QStringLiteral("FormMDIWindowsList"));
    setWindowTitle(QStringLiteral("Select open window for module"));
    setModal(true);
    QFont font14 = font();
    font14.setPixelSize(14);
    setFont(font14);
    setFixedSize(394, 181);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 281, 161);
    listbox_mdi_windows_ = new QListWidget(bevel);
    listbox_mdi_windows_->setObjectName(QStringLiteral("listbox_mdi_windows"));
    listbox_mdi_windows_->setGeometry(8, 8, 265, 145);

    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setGeometry(300, 8, 85, 27);
    OKBtn_->setDefault(true);
    CancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(300, 40, 85, 27);
    connect(OKBtn_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
    hide();
}

void TFormMDIWindowsList::Clear() {
    listbox_mdi_windows_->clear();
    windows_.clear();
}

void TFormMDIWindowsList::AddWindow(const QString& caption, QWidget* window) {
    auto* item = new QListWidgetItem(caption, listbox_mdi_windows_);
    item->setData(Qt::UserRole, static_cast<int>(windows_.size()));
    windows_.emplace_back(window);
}

void TFormMDIWindowsList::OKBtnClick() {
    QListWidgetItem* item = listbox_mdi_windows_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        prompter_().Message(this, QStringLiteral("Please select a window"));
        setResult(0); // stays open for another try
        return;
    }
    chosenWindow_ = windows_.at(static_cast<std::size_t>(item->data(Qt::UserRole).toInt()));
    chosen_ = true;
    accept();
}

} // namespace veltra
