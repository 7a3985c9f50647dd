// "Select open window for module": asks which open drawing window should lend its element
// list to a module. The caller fills it with window captions, each item holding its
// window, shows it modally and reads the chosen window when the result is OK.
#pragma once

#include "ui/dialogs/promptersource.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <vector>

class QListWidget;
class QPushButton;

namespace veltra {

class TFormMDIWindowsList final : public QDialog {
    Q_OBJECT
public:
    explicit TFormMDIWindowsList(TPrompterSource prompter, QWidget* parent = nullptr);

    void Clear();
    void AddWindow(const QString& caption, QWidget* window);

    // The chosen window, or null (also when it has closed since).
    QWidget* ChosenWindow() const { return chosenWindow_.data(); }
    bool Chosen() const { return chosen_; }
    QListWidget* List() const { return listbox_mdi_windows_; }

    void OKBtnClick();

private:
    TPrompterSource prompter_;
    QListWidget* listbox_mdi_windows_;
    QPushButton* OKBtn_;
    QPushButton* CancelBtn_;
    std::vector<QPointer<QWidget>> windows_; // parallel to the list's items
    QPointer<QWidget> chosenWindow_;
    bool chosen_ = false;
};

} // namespace veltra
