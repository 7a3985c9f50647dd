// The modal "Options" dialog: the two hover-hint settings ("Hints") and a small calculator
// that applies the exact decimal operations to two typed numbers ("Precision").
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace veltra {

class TDesktopHost;

class TFormOptions final : public QDialog {
    Q_OBJECT
public:
    explicit TFormOptions(TDesktopHost& host);

    // Calculator buttons: x and y are read from edit_x and edit_y each time.
    void button_somaClick();
    void button_multClick();
    void button_maiorClick();
    void button_igualClick();

    void OKBtnClick();

protected:
    // The boxes show the current settings whenever the dialog opens.
    void showEvent(QShowEvent* event) override;

private:
    // Runs one calculator operation; a conversion error is shown and leaves edit_result as
    // it was.
    template <typename Operation> void Calculate(Operation operation);

    TDesktopHost& host_; // holds the hint settings and the prompter
    QTabWidget* pages_;
    QCheckBox* checkLabel_;
    QCheckBox* checkValue_;
    QComboBox* comboElementos_;
    QLineEdit* editX_;
    QLineEdit* editY_;
    QLineEdit* editResult_;
};

} // namespace veltra
