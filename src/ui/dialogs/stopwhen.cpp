#include "ui/dialogs/stopwhen.h"

#include "model/protoneuronio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace veltra {

namespace {

constexpr const char* EndsInText = "ends in";

} // namespace

TStopWhenDialog::TStopWhenDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StopWhenDialog"));
    setWindowTitle(QStringLiteral("Stop When..."));
    auto* grid = new QGridLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListConditions"));
    grid->addWidget(list_, 0, 0, 1, 4);
    element_ = new QComboBox(this);
    element_->setObjectName(QStringLiteral("ComboElement"));
    op_ = new QComboBox(this);
    op_->setObjectName(QStringLiteral("ComboOp"));
    for (const char* text : {"=", ">", "<", ">=", "<=", "changes", EndsInText})
        op_->addItem(QString::fromLatin1(text));
    value_ = new QLineEdit(this);
    value_->setObjectName(QStringLiteral("EditValue"));
    value_->setPlaceholderText(QStringLiteral("0.3, or a pattern such as 01x"));
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("ButtonAddCondition"));
    add->setAutoDefault(false);
    grid->addWidget(element_, 1, 0);
    grid->addWidget(op_, 1, 1);
    grid->addWidget(value_, 1, 2);
    grid->addWidget(add, 1, 3);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("LabelConditionError"));
    grid->addWidget(error_, 2, 0, 1, 3);
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("ButtonRemoveCondition"));
    remove->setAutoDefault(false);
    grid->addWidget(remove, 2, 3);
    repeats_ = new QCheckBox(QStringLiteral("state repeats"), this);
    repeats_->setObjectName(QStringLiteral("CheckStateRepeats"));
    grid->addWidget(repeats_, 3, 0, 1, 4);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 4, 0, 1, 4);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveClick(); });
}

void TStopWhenDialog::Load(const std::vector<TStopCondition>& conditions,
                           const std::vector<TProtoNeuronio*>& elements) {
    items_.clear();
    repeats_->setChecked(false);
    for (const TStopCondition& c : conditions) {
        if (c.kind == TStopCondition::Kind::StateRepeats)
            repeats_->setChecked(true);
        else
            items_.push_back(c);
    }
    elements_ = elements;
    element_->clear();
    for (const TProtoNeuronio* e : elements_)
        element_->addItem(QString::fromStdString(e->Label()));
    error_->clear();
    ShowList();
}

std::vector<TStopCondition> TStopWhenDialog::Conditions() const {
    std::vector<TStopCondition> all = items_;
    if (repeats_->isChecked()) all.push_back(TStopCondition::OnStateRepeat());
    return all;
}

bool TStopWhenDialog::AddClick() {
    error_->clear();
    const int at = element_->currentIndex();
    if (at < 0 || at >= static_cast<int>(elements_.size())) {
        error_->setText(QStringLiteral("No watched element to compare"));
        return false;
    }
    TProtoNeuronio* element = elements_[static_cast<std::size_t>(at)];
    const std::string text = value_->text().trimmed().toStdString();
    if (op_->currentText() == QLatin1String(EndsInText)) {
        if (element->Kind() != TElementKind::Output || !IsHistoryPattern(text)) {
            error_->setText(QStringLiteral("An output's history ends in a pattern of 0, 1 and x"));
            return false;
        }
        items_.push_back(TStopCondition::OnPattern(element, text));
    } else {
        TCompareOp op{};
        ParseCompareOp(op_->currentText().toStdString(), op);
        TInfinito value;
        if (op != TCompareOp::Changes) {
            try {
                value = ReadTypedNumber(text);
            } catch (const std::exception& e) {
                error_->setText(QString::fromStdString(e.what()));
                return false;
            }
        }
        items_.push_back(TStopCondition::OnValue(element, op, std::move(value)));
    }
    ShowList();
    return true;
}

void TStopWhenDialog::RemoveClick() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(items_.size())) return;
    items_.erase(items_.begin() + row);
    ShowList();
}

void TStopWhenDialog::ShowList() {
    list_->clear();
    for (const TStopCondition& c : items_)
        list_->addItem(QString::fromStdString(c.Text()));
}

} // namespace veltra
