// The running application with helpers for the Info dialog, the Select IO dialog and
// modules drawn in the editor.
#pragma once

#include "appfixture.h"
#include "model/dados.h"
#include "model/module.h"
#include "ui/dialogs/loglist.h"
#include "ui/dialogs/modio.h"
#include "ui/dialogs/multpagedlg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <string>

namespace veltra {

class InfoTest : public AppTest {
protected:
    TMultPageDlg& Info() { return *main->findChild<TMultPageDlg*>("MultPageDlg"); }
    template <typename T> T* In(const char* name) {
        T* w = Info().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QTreeWidget& Tree() { return *In<QTreeWidget>("TreeView"); }
    QString Text(const char* field) { return In<QLineEdit>(field)->text(); }
    void Set(const char* field, const QString& text) { In<QLineEdit>(field)->setText(text); }
    void Press(const char* button) { In<QPushButton>(button)->click(); }
    bool ApplyEnabled() { return In<QPushButton>("button_apply")->isEnabled(); }
    void ToProperties() { In<QTabBar>("TabSet")->setCurrentIndex(1); }
    QString Box() { return In<QPlainTextEdit>("Memo_input_output_binario")->toPlainText(); }

    // Places an element with the palette and returns it (found by its new label).
    TProtoNeuronio* Add(TTool tool, int x, int y) {
        const std::string label = std::to_string(Child().Document().Net().ElementCounter());
        Tool(tool);
        Click(x, y);
        for (const auto& e : List())
            if (e->Label() == label) return e.get();
        ADD_FAILURE() << "nothing placed at " << x << "," << y;
        return nullptr;
    }
    QPoint At(const TProtoNeuronio* e) { return {e->Centre().x, e->Centre().y}; }
    void Connect(const TProtoNeuronio* from, const TProtoNeuronio* to, const QString& weight) {
        main->WeightBox()->setText(weight);
        Tool(TTool::Synapse);
        Drag(At(from), At(to));
    }
    // The Info tool clicked on the element.
    void ShowInfo(const TProtoNeuronio* e) {
        Tool(TTool::Info);
        Click(At(e).x(), At(e).y());
    }

    // The next Select IO question is answered by picking that row (or pressing Cancel
    // when row < 0); the rows offered are recorded in `offered`.
    void AnswerSelectIO(int row) {
        prompter->dialogAnswers.push_back([this, row](QDialog& dialog) {
            auto* list = dialog.findChild<QListWidget*>("listbox_io");
            QStringList rows;
            for (int i = 0; i < list->count(); ++i)
                rows << list->item(i)->text();
            offered << rows;
            if (row < 0) {
                dialog.findChild<QPushButton*>("CancelBtn")->click();
                return;
            }
            list->setCurrentRow(row);
            dialog.findChild<QPushButton*>("OKBtn")->click();
        });
    }

    std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
    QString WriteFile(const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QByteArray ReadFile(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    // Loads a module file into the module through its pop-up's "&Load".
    void LoadModule(TProtoNeuronio* module, const QString& file) {
        prompter->fileAnswers.push_back(file);
        Click(At(module).x(), At(module).y(), Qt::RightButton);
        for (QAction* a : Child().ElementPopup()->actions())
            if (a->objectName() == "PopupMenuProtoNeuronioLoad") a->trigger();
        Child().ElementPopup()->hide();
    }

    QTemporaryDir dir;
    QList<QStringList> offered;
};

// A module file: two neurons A -> B (0.5) and B -> A (0.25).
inline QByteArray TwoNeuronModule() {
    return "<TREDE=version 0.4>\n<TProtoLista=2>\n"
           "<TPROTONEURONIO=TNEURONIO>\nId:0\nEtiqueta:A\nPosicao:40;40\nVisible_in_runform:true\n"
           "Pos_Sinapses:\n<TListaSinapses=1>\n<TSINAPSE>\nValor:0.5\nDestino:1\nvisible:true\n"
           "</TSINAPSE>\n</TListaSinapses>\nActividade:0\nFuncaoActivacao:TSacturated_Linear\n"
           "loop:false\n</TPROTONEURONIO>\n"
           "<TPROTONEURONIO=TNEURONIO>\nId:1\nEtiqueta:B\nPosicao:120;40\nVisible_in_runform:true\n"
           "Pos_Sinapses:\n<TListaSinapses=1>\n<TSINAPSE>\nValor:0.25\nDestino:0\nvisible:true\n"
           "</TSINAPSE>\n</TListaSinapses>\nActividade:0\nFuncaoActivacao:TSacturated_Linear\n"
           "loop:false\n</TPROTONEURONIO>\n"
           "</TProtoLista>\n</TREDE>\n";
}

} // namespace veltra
