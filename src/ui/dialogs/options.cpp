#include "ui/dialogs/options.h"

#include "numeric/infinito.h"
#include "ui/desktophost.h"
#include "ui/formbutton.h"
#include "ui/guard.h"
#include "ui/numbertip.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <exception>

namespace veltra {

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    return e;
}

} // namespace

TFormOptions::TFormOptions(TDesktopHost& host)
    : QDialog(&host.MainWindow(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), host_(host) {
    setObjectName(QStringLiteral("FormOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(285, 196);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(0, 196 - 44, 285, 44);
    QPushButton* ok = FormButton(panel, "OKBtn", QStringLiteral("OK"), {62, 9, 75, 26});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    QPushButton* cancel =
        FormButton(panel, "CancelBtn", QStringLiteral("Cancel"), {148, 9, 75, 26});
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pagecontrol_options"));
    pages_->setGeometry(0, 0, 285, 196 - 44);

    auto* hints = new QWidget;
    hints->setObjectName(QStringLiteral("TabSheet1"));
    auto* show = new QGroupBox(QStringLiteral("Show"), hints);
    show->setObjectName(QStringLiteral("GroupBox1"));
    show->setGeometry(8, 6, 120, 84);
    checkLabel_ = new QCheckBox(QStringLiteral("Label"), show);
    checkLabel_->setObjectName(QStringLiteral("check_label"));
    checkLabel_->setGeometry(10, 24, 100, 20);
    checkValue_ = new QCheckBox(QStringLiteral("Value"), show);
    checkValue_->setObjectName(QStringLiteral("check_value"));
    checkValue_->setGeometry(10, 52, 100, 20);
    comboElementos_ = new QComboBox(hints);
    comboElementos_->setObjectName(QStringLiteral("combo_elementos"));
    comboElementos_->addItems({QStringLiteral("Neuron"), QStringLiteral("Pendor"),
                               QStringLiteral("Inputs"), QStringLiteral("Outputs"),
                               QStringLiteral("Module"), QStringLiteral("Sinapse")});
    comboElementos_->setCurrentIndex(0);
    comboElementos_->setGeometry(140, 14, 130, 24);
    pages_->addTab(hints, QStringLiteral("Hints"));

    auto* precision = new QWidget;
    precision->setObjectName(QStringLiteral("TInfinito"));
    editX_ = Edit(precision, "edit_x", QStringLiteral("1.0"), {8, 8, 160, 22});
    editY_ = Edit(precision, "edit_y", QStringLiteral(".25"), {8, 36, 160, 22});
    auto* result = new QLabel(QStringLiteral("Result"), precision);
    result->setObjectName(QStringLiteral("Label1"));
    result->setGeometry(8, 66, 160, 16);
    editResult_ = Edit(precision, "edit_result", QString(), {8, 84, 160, 22});
    for (QLineEdit* box : {editX_, editY_, editResult_})
        ShowWholeNumberOnHover(box);
    connect(FormButton(precision, "button_soma", QStringLiteral("Sum"), {176, 4, 98, 24}),
            &QPushButton::clicked, this, [this] { button_somaClick(); });
    connect(
        FormButton(precision, "button_mult", QStringLiteral("Multiplication"), {176, 30, 98, 24}),
        &QPushButton::clicked, this, [this] { button_multClick(); });
    connect(FormButton(precision, "button_maior", QStringLiteral("Bigger than"), {176, 56, 98, 24}),
            &QPushButton::clicked, this, [this] { button_maiorClick(); });
    connect(FormButton(precision, "button_igual", QStringLiteral("Equal to"), {176, 82, 98, 24}),
            &QPushButton::clicked, this, [this] { button_igualClick(); });
    pages_->addTab(precision, QStringLiteral("Precision"));
    pages_->setCurrentWidget(precision);
}

void TFormOptions::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        checkLabel_->setChecked(host_.HintSettings().showLabel);
        checkValue_->setChecked(host_.HintSettings().showValue);
    }
    QDialog::showEvent(event);
}

void TFormOptions::OKBtnClick() {
    host_.HintSettings().showLabel = checkLabel_->isChecked();
    host_.HintSettings().showValue = checkValue_->isChecked();
    accept();
}

template <typename Operation> void TFormOptions::Calculate(Operation operation) {
    Guarded(host_.Prompter(), this, [&] {
        // x first, then y: the first unreadable integer part is the one reported.
        TInfinito x = ReadTypedNumber(editX_->text().toStdString());
        TInfinito y = ReadTypedNumber(editY_->text().toStdString());
        editResult_->setText(QString::fromStdString(operation(x, y)));
    });
}

void TFormOptions::button_somaClick() {
    Calculate([](TInfinito& x, TInfinito& y) { return TInfinito::Add(x, y).ToText(); });
}

void TFormOptions::button_multClick() {
    Calculate([](TInfinito& x, TInfinito& y) { return TInfinito::Multiply(x, y).ToText(); });
}

void TFormOptions::button_maiorClick() {
    Calculate([](TInfinito& x, TInfinito& y) {
        return std::string(TInfinito::GreaterThan(x, y) ? "Bigger" : "Not bigger");
    });
}

void TFormOptions::button_igualClick() {
    Calculate([](TInfinito& x, TInfinito& y) {
        return std::string(TInfinito::EqualTo(x, y) ? "Equal" : "Not Equal");
    });
}

} // namespace veltra
