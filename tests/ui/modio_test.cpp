// The Select IO and window list dialogs driven directly: their OK and Cancel rules, what
// they keep, and the owner drawing of the element lists.
#include "infotestsupport.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "ui/dialogs/imagelist.h"
#include "ui/dialogs/mdiwindowslist.h"

#include <QImage>

namespace veltra {
namespace {

class ModIOTest : public InfoTest {
protected:
    void SetUp() override {
        InfoTest::SetUp();
        dialog = main->findChild<TForm_Mod_IO*>("Form_Mod_IO");
        ASSERT_NE(dialog, nullptr);
        input.SetLabel("in");
        neuron.SetLabel("n");
    }
    QPushButton* Button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    TForm_Mod_IO* dialog = nullptr;
    TInputs input;
    TNeuronio neuron;
};

TEST_F(ModIOTest, OkNeedsASelectionAndCancelForgetsThePick) {
    EXPECT_EQ(dialog->windowTitle(), "Select IO");
    EXPECT_FALSE(dialog->Chosen());
    dialog->Fill({&neuron, &input});
    ASSERT_EQ(dialog->List()->count(), 2);
    EXPECT_EQ(dialog->List()->item(0)->text(), "n"); // the caller's order, not sorted
    dialog->setResult(0);
    Button(dialog, "OKBtn")->click();
    EXPECT_EQ(prompter->messages, QStringList{"Please select the IO"});
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_FALSE(dialog->Chosen());

    dialog->List()->setCurrentRow(1);
    Button(dialog, "OKBtn")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ChosenElement(), &input);
    EXPECT_TRUE(dialog->Chosen());

    Button(dialog, "CancelBtn")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(dialog->ChosenElement(), nullptr);
    EXPECT_FALSE(dialog->Chosen());
}

TEST_F(ModIOTest, TheCloseBoxKeepsTheEarlierPickButTheCallerSeesCancel) {
    AnswerSelectIO(0);
    EXPECT_EQ(dialog->Ask({&neuron, &input}), &neuron);
    prompter->dialogAnswers.push_back([](QDialog& d) { d.close(); });
    EXPECT_EQ(dialog->Ask({&neuron, &input}), nullptr);
    EXPECT_EQ(dialog->ChosenElement(), &neuron);
    EXPECT_TRUE(dialog->Chosen());
    EXPECT_EQ(dialog->List()->count(), 0); // no item outlives the question
}

TEST_F(ModIOTest, ItemsShowTheirPictureAndTheLabelAfterIt) {
    EXPECT_EQ(TElementItemDelegate::TextOffset(ListPictureIndex(int(TElementKind::Input))), 22);
    EXPECT_EQ(TElementItemDelegate::TextOffset(ListPictureIndex(int(TElementKind::Neuron))), 22);
    EXPECT_EQ(TElementItemDelegate::TextOffset(ListPictureIndex(int(TElementKind::Output))), 6);

    dialog->Fill({&input, &neuron});
    QListWidget* list = dialog->List();
    list->resize(154, 66);
    EXPECT_EQ(list->visualItemRect(list->item(0)).height(), 16);
    EXPECT_EQ(list->visualItemRect(list->item(1)).top(), 16);
    const QImage shot = list->viewport()->grab().toImage();
    const QColor base = list->palette().base().color();
    const QColor olive = TImageList::Transparent();
    auto count = [&](int row, int fromX, int toX, auto pred) {
        int n = 0;
        for (int y = row * 16; y < row * 16 + 16; ++y)
            for (int x = fromX; x <= toX; ++x)
                n += pred(shot.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    auto isRed = [](QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; };
    auto isBlack = [](QColor c) { return c.red() < 40 && c.green() < 40 && c.blue() < 40; };
    auto isOlive = [&](QColor c) { return c == olive; };
    auto notBase = [&](QColor c) { return c != base; };
    EXPECT_GT(count(0, 2, 17, isRed), 20);   // the input picture
    EXPECT_GT(count(1, 2, 17, isBlack), 60); // the neuron picture
    EXPECT_EQ(count(0, 0, 1, notBase), 0);   // the picture starts at left + 2
    EXPECT_EQ(count(0, 18, 21, notBase), 0); // the text starts 22 pixels in
    EXPECT_EQ(count(1, 18, 21, notBase), 0);
    EXPECT_GT(count(0, 22, 60, notBase), 5); // the label
    EXPECT_EQ(count(0, 0, 60, isOlive) + count(1, 0, 60, isOlive), 0);
}

TEST_F(ModIOTest, WindowListOkNeedsASelection) {
    auto* list = main->findChild<TFormMDIWindowsList*>("FormMDIWindowsList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(), "Select open window for module");
    list->Clear();
    list->AddWindow("A", &Child());
    list->AddWindow("A", main.get());
    Button(list, "OKBtn")->click();
    EXPECT_EQ(prompter->messages, QStringList{"Please select a window"});
    EXPECT_FALSE(list->Chosen());
    list->List()->setCurrentRow(1); // same caption: told apart by position only
    Button(list, "OKBtn")->click();
    EXPECT_EQ(list->result(), QDialog::Accepted);
    EXPECT_EQ(list->ChosenWindow(), main.get());
    EXPECT_TRUE(list->Chosen());
}

} // namespace
} // namespace veltra
