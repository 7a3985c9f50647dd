// "Select IO": asks which inner element of a module a synapse drawn into or out of that
// module should really join. The caller fills the list, shows it modally and reads the
// chosen element when the result is OK.
#pragma once

#include "ui/dialogs/promptersource.h"

#include <QDialog>
#include <vector>

class QListWidget;
class QPushButton;

namespace veltra {

class TProtoNeuronio;

class TForm_Mod_IO final : public QDialog {
    Q_OBJECT
public:
    TForm_Mod_IO(TPrompterSource prompter, QWidget* parent = nullptr);

    // Empties the list and adds the candidates in their order.
    void Fill(const std::vector<TProtoNeuronio*>& candidates);
    // Fill, then show modally through the prompter; the chosen element on OK, else null.
    TProtoNeuronio* Ask(const std::vector<TProtoNeuronio*>& candidates);

    TProtoNeuronio* ChosenElement() const { return chosenElement_; }
    bool Chosen() const { return chosen_; }
    QListWidget* List() const { return listbox_io_; }

    void OKBtnClick();
    void CancelBtnClick();

private:
    TPrompterSource prompter_;
    QListWidget* listbox_io_;
    QPushButton* OKBtn_;
    QPushButton* CancelBtn_;
    TProtoNeuronio* chosenElement_ = nullptr;
    bool chosen_ = false;
};

} // namespace veltra
