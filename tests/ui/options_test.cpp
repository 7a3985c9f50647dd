#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "runbrowser_fixture.h"
#include "ui/dialogs/hinttext.h"
#include "ui/dialogs/options.h"
#include "ui/ecra.h"
#include "ui/hint.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace veltra::runview_test {
namespace {

class OptionsTest : public RunViewTest {
protected:
    TFormOptions& Options() { return *Find<TFormOptions>("FormOptions"); }
    template <typename T> T& Control(const char* name) {
        T* found = Options().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    QString Calculate(const QString& x, const QString& y, const char* button) {
        Control<QLineEdit>("edit_x").setText(x);
        Control<QLineEdit>("edit_y").setText(y);
        QTest::mouseClick(&Control<QPushButton>(button), Qt::LeftButton);
        return Control<QLineEdit>("edit_result").text();
    }
    // Opens the dialog through the Options menu item; `answer` drives it while it is open.
    void OpenOptions(std::function<void(TFormOptions&)> answer) {
        prompter->answers.push_back([answer = std::move(answer)](QDialog& dialog) {
            dialog.show();
            answer(static_cast<TFormOptions&>(dialog));
            return dialog.result();
        });
        Find<QAction>("Options1")->trigger();
    }
};

TEST_F(OptionsTest, LayoutAtStart) {
    EXPECT_EQ(Options().windowTitle(), "Options");
    auto& pages = Control<QTabWidget>("pagecontrol_options");
    ASSERT_EQ(pages.count(), 2);
    EXPECT_EQ(pages.tabText(0), "Hints");
    EXPECT_EQ(pages.tabText(1), "Precision");
    EXPECT_EQ(pages.currentWidget()->objectName(), "TInfinito");
    EXPECT_EQ(Control<QLineEdit>("edit_x").text(), "1.0");
    EXPECT_EQ(Control<QLineEdit>("edit_y").text(), ".25");
    EXPECT_EQ(Control<QLineEdit>("edit_result").text(), "");
    EXPECT_EQ(Control<QComboBox>("combo_elementos").currentText(), "Neuron");
    EXPECT_EQ(Control<QComboBox>("combo_elementos").count(), 6);
}

TEST_F(OptionsTest, CalculatorKeepsEveryDigit) {
    EXPECT_EQ(Calculate("1.0", ".25", "button_soma"), "1.25");
    EXPECT_EQ(Calculate("1.0", ".25", "button_mult"), "0.25");
    EXPECT_EQ(Calculate("1.0", ".25", "button_maior"), "Bigger");
    EXPECT_EQ(Calculate("1.0", ".25", "button_igual"), "Not Equal");
    EXPECT_EQ(Calculate("1.0", "1", "button_igual"), "Equal");
    EXPECT_EQ(Calculate("-1", "-100000000", "button_maior"), "Bigger");
    EXPECT_EQ(Calculate("0", "-0", "button_igual"), "Equal");
    EXPECT_EQ(Calculate("0.1", "0.1", "button_maior"), "Not bigger");
    EXPECT_EQ(Calculate("99999999.99999999", "0.00000001", "button_soma"), "100000000");
    EXPECT_EQ(Calculate("123456789012345678901234567890", "123456789012345678901234567890",
                        "button_mult"),
              "15241578753238836750495351562536198787501905199875019052100");
    EXPECT_EQ(Calculate("", "7.5", "button_soma"), "7.5") << "an empty x counts as 0";
    EXPECT_EQ(Calculate("", "7.5", "button_mult"), "0");
    EXPECT_EQ(Calculate(".", "7.5", "button_soma"), "7.5") << "a lone point is 0";
    EXPECT_EQ(Calculate("-.", "0", "button_igual"), "Equal");
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(OptionsTest, UnreadableIntegerPartIsShownAndTheResultKept) {
    EXPECT_EQ(Calculate("2", "3", "button_mult"), "6");
    EXPECT_EQ(Calculate("12a", "3", "button_soma"), "6");
    EXPECT_EQ(prompter->messages, QStringList{"'12a' is not a valid floating point value"});
    // x is read before y, so a bad x is the one reported.
    EXPECT_EQ(Calculate("x1", "y2", "button_igual"), "6");
    EXPECT_EQ(prompter->messages.back(), "'x1' is not a valid floating point value");
}

TEST_F(OptionsTest, OperandsThatAreNotNumbersAreNamedAndTheResultKept) {
    EXPECT_EQ(Calculate("2", "3", "button_mult"), "6");
    const struct {
        const char* x;
        const char* y;
        const char* message;
    } cases[] = {{"1.5x", "1", "'1.5x' is not a valid floating point value"},
                 {"1", "0.2.5", "'0.2.5' is not a valid floating point value"},
                 {"1,5", "1", "'1,5' is not a valid floating point value"},
                 {"-", "1", "'-' is not a valid floating point value"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Calculate(c.x, c.y, "button_soma"), "6") << c.x << " " << c.y;
        EXPECT_EQ(prompter->messages.back(), c.message);
    }
}

TEST_F(OptionsTest, LongNumbersShowWholeOnHover) {
    auto& x = Control<QLineEdit>("edit_x");
    auto& result = Control<QLineEdit>("edit_result");
    x.setText("1.5");
    EXPECT_TRUE(x.toolTip().isEmpty());
    const QString digits(300, '7');
    EXPECT_EQ(Calculate(digits, "1", "button_soma"), QString(299, '7') + "8");
    EXPECT_EQ(x.toolTip().remove('\n'), digits);
    EXPECT_EQ(result.toolTip().remove('\n'), result.text());
    EXPECT_EQ(x.toolTip().section('\n', 0, 0).size(), 64) << "wrapped for the screen";
}

TEST_F(OptionsTest, BoxesShowTheSettingsWhenOpenedAndOkOrCancelDecide) {
    ASSERT_TRUE(main->HintSettings().showLabel && main->HintSettings().showValue);
    // Opening shows both settings ticked; OK untouched keeps them.
    bool labelShown = false, valueShown = false;
    OpenOptions([&](TFormOptions& d) {
        labelShown = d.findChild<QCheckBox*>("check_label")->isChecked();
        valueShown = d.findChild<QCheckBox*>("check_value")->isChecked();
        QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    EXPECT_TRUE(labelShown && valueShown);
    EXPECT_TRUE(main->HintSettings().showLabel && main->HintSettings().showValue);

    OpenOptions([](TFormOptions& d) {
        d.findChild<QCheckBox*>("check_value")->setChecked(false);
        QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    EXPECT_TRUE(main->HintSettings().showLabel);
    EXPECT_FALSE(main->HintSettings().showValue);

    // Cancel after changing the boxes changes nothing, and the next opening shows the
    // settings again rather than the abandoned boxes.
    OpenOptions([](TFormOptions& d) {
        d.findChild<QCheckBox*>("check_label")->setChecked(false);
        d.findChild<QCheckBox*>("check_value")->setChecked(true);
        QTest::mouseClick(d.findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
    });
    EXPECT_TRUE(main->HintSettings().showLabel);
    EXPECT_FALSE(main->HintSettings().showValue);
    OpenOptions([&](TFormOptions& d) {
        labelShown = d.findChild<QCheckBox*>("check_label")->isChecked();
        valueShown = d.findChild<QCheckBox*>("check_value")->isChecked();
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(labelShown);
    EXPECT_FALSE(valueShown);
    EXPECT_EQ(prompter->dialogs, QStringList(4, "FormOptions"));
}

TEST_F(OptionsTest, HoverHintsFollowTheSettingsChosenWithOk) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    // The hint raised by hovering over the neuron (its box starts at 160, 100); empty: none.
    int shift = 0; // a hint is raised only at a point other than the last hint's
    auto hover = [&] {
        child.FormKeyDown(); // hides a hint still up
        const QPoint at(166 + shift++ % 6, 110);
        QTest::mouseMove(&child.Ecra(), at + QPoint(0, 1));
        QTest::mouseMove(&child.Ecra(), at);
        child.Timer1Timer();
        return child.HintWindow() != nullptr ? child.HintWindow()->text() : QString();
    };
    auto choose = [&](bool label, bool value) {
        OpenOptions([&](TFormOptions& d) {
            d.findChild<QCheckBox*>("check_label")->setChecked(label);
            d.findChild<QCheckBox*>("check_value")->setChecked(value);
            QTest::mouseClick(d.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        });
    };
    EXPECT_EQ(hover(), "Label:N  Value=0");
    choose(true, false);
    EXPECT_EQ(hover(), "Label:N");
    choose(false, true);
    EXPECT_EQ(hover(), "Value=0");
    choose(false, false);
    EXPECT_EQ(hover(), "");
    EXPECT_FALSE(child.HintActive() && child.HintWindow() != nullptr);
    choose(true, true);
    EXPECT_EQ(hover(), "Label:N  Value=0");
}

TEST(HintText, ShowsLabelAndValueAsSet) {
    TNeuronio neuron;
    neuron.SetLabel("N7");
    EXPECT_EQ(HintTextFor(neuron, true, true), "Label:N7  Value=0");
    EXPECT_EQ(HintTextFor(neuron, true, false), "Label:N7");
    EXPECT_EQ(HintTextFor(neuron, false, true), "Value=0");
    EXPECT_EQ(HintTextFor(neuron, false, false), "");
    EXPECT_EQ(HintTextFor(neuron, true, true), neuron.HintText()) << "both on: the usual hint";
    TInputs input;
    input.SetLabel("I");
    input.SetSequence("0110");
    EXPECT_EQ(HintTextFor(input, false, true), "Value=0110");
    TModule module;
    module.SetLabel("M");
    EXPECT_EQ(HintTextFor(module, true, true), "Label:M");
    EXPECT_EQ(HintTextFor(module, false, true), "") << "a module has no value to show";
}

} // namespace
} // namespace veltra::runview_test
