#include "ui/dialogs/modio.h"

#include "ui/dialogs/imagelist.h"
#include "ui/prompter.h"

#include <QListWidget>
#include <QPushButton>

namespace veltra {

TForm_Mod_IO::TForm_Mod_IO(TPrompterSource prompter, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      prompter_(std::move(prompter)), listbox_io_(new QListWidget(this)),
      OKBtn_(new QPushButton(QStringLiteral("OK"), this)),
      CancelBtn_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Form_Mod_IO"));
    setWindowTitle(QStringLiteral("Select IO"));
    setModal(true);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    setFixedSize(162, 102);

    listbox_io_->setObjectName(QStringLiteral("listbox_io"));
    listbox_io_->setGeometry(4, 4, 154, 66);
    listbox_io_->setSortingEnabled(false); // items stay in the caller's order
    listbox_io_->setUniformItemSizes(true);
    listbox_io_->setItemDelegate(new TElementItemDelegate(listbox_io_));

    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setGeometry(4, 74, 75, 24);
    OKBtn_->setDefault(true);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(83, 74, 75, 24);
    connect(OKBtn_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn_, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    hide();
}

void TForm_Mod_IO::Fill(const std::vector<TProtoNeuronio*>& candidates) {
    listbox_io_->clear();
    for (TProtoNeuronio* e : candidates)
        AddElementItem(*listbox_io_, e);
}

TProtoNeuronio* TForm_Mod_IO::Ask(const std::vector<TProtoNeuronio*>& candidates) {
    Fill(candidates);
    const int result = prompter_().ExecDialog(*this);
    TProtoNeuronio* answer = result == QDialog::Accepted ? chosenElement_ : nullptr;
    listbox_io_->clear(); // the items must not outlive the question
    return answer;
}

void TForm_Mod_IO::OKBtnClick() {
    QListWidgetItem* item = listbox_io_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        prompter_().Message(this, QStringLiteral("Please select the IO"));
        setResult(0); // stays open for another try
        return;
    }
    chosenElement_ = ItemElement(item);
    chosen_ = true;
    accept();
}

void TForm_Mod_IO::CancelBtnClick() {
    chosenElement_ = nullptr;
    chosen_ = false;
    reject();
}

} // namespace veltra
