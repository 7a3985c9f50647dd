// Labels, values and weights on the drawing, and the exported picture.
#include "appfixture.h"
#include "numeric/infinito.h"
#include "ui/drawingtexts.h"
#include "ui/exportimage.h"
#include "ui/netview.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace veltra {
namespace {

TEST(ElideNumber, LongNumbersKeepTheirEndsAndTellTheirLength) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"0.5", "0.5"},
        {"-1234567890123456789.123", "-1234567890123456789.123"}, // 24 characters stay
        {"0." + std::string(1203, '3'), "0.3333\xe2\x80\xa6"
                                        "3333 (1,204 digits)"},
        {"-" + std::string(30, '9') + "." + std::string(5, '1'), "-99999\xe2\x80\xa6"
                                                                 "1111 (35 digits)"},
        {std::string(1234567, '7'), "777777\xe2\x80\xa6"
                                    "7777 (1,234,567 digits)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ElideNumber(c.in), c.out) << c.in.size();
}

class DrawingTextsTest : public AppTest {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        AppTest::SetUp();
    }
    void TearDown() override {
        for (const char* name : {"ViewLabelsItem", "ViewValuesItem", "ViewWeightsItem"})
            Find<QAction>(name)->setChecked(false);
        AppTest::TearDown();
    }
    // Pixels that are not white in a screen area.
    int Inked(const QRect& area) {
        Child().Ecra().Compose();
        const QImage& s = Child().Ecra().Screen();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += s.pixel(x, y) != qRgb(255, 255, 255);
        return n;
    }
};

TEST_F(DrawingTextsTest, LabelsAndValuesShowBesideTheGlyphAndTheChoiceIsRemembered) {
    TProtoNeuronio* n = Place(TTool::Neuron, 100, 100);
    const QRect beside(112, 90, 100, 30);
    EXPECT_EQ(Inked(beside), 0);
    Find<QAction>("ViewLabelsItem")->trigger();
    QApplication::processEvents();
    const int label = Inked(beside);
    EXPECT_GT(label, 5);
    Find<QAction>("ViewValuesItem")->trigger();
    QApplication::processEvents();
    EXPECT_GT(Inked(beside), label);

    // A value that changes shows after a step, by the next frame.
    const QImage before = Child().Ecra().Screen().copy(beside);
    n->SetValue(TInfinito("0." + std::string(500, '3')));
    Child().Ecra().ValuesChanged();
    QTest::qWait(50);
    EXPECT_NE(Child().Ecra().Screen().copy(beside), before);

    // A new main window (the next run) starts with the same choice.
    main.reset();
    QApplication::processEvents();
    AppTest::SetUp();
    EXPECT_TRUE(Find<QAction>("ViewLabelsItem")->isChecked());
    EXPECT_TRUE(Find<QAction>("ViewValuesItem")->isChecked());
    EXPECT_FALSE(Find<QAction>("ViewWeightsItem")->isChecked());
}

TEST_F(DrawingTextsTest, AMovedElementTakesItsLabelAlongHoweverLongItIs) {
    TProtoNeuronio* n = Place(TTool::Neuron, 100, 100);
    n->SetLabel(std::string(300, 'W'));
    Find<QAction>("ViewLabelsItem")->trigger();
    QApplication::processEvents();
    EXPECT_GT(Inked(QRect(112, 90, 100, 30)), 5);
    Tool(TTool::Move);
    Drag({100, 100}, {100, 250});
    QApplication::processEvents();
    EXPECT_EQ(Inked(QRect(105, 85, Ecra().width() - 106, 40)), 0);
    EXPECT_GT(Inked(QRect(112, 240, 100, 30)), 5);
}

// The exported picture at 100% is the window's drawing, pixel for pixel; at 200% each
// net pixel is a 2 x 2 block of the same colour.
TEST_F(DrawingTextsTest, ExportedPngIsTheWindowsDrawing) {
    ASSERT_TRUE(main->OpenNetFile(QStringLiteral(VELTRA_EXAMPLES "/worked.net")));
    QApplication::processEvents();
    Child().Ecra().Compose();
    const QImage screen = Child().Ecra().Screen().copy();
    TRect bounds;
    ASSERT_TRUE(NetBounds(List(), bounds));
    QTemporaryDir dir;
    const QString png100 = dir.filePath("a.png");
    const QString png200 = dir.filePath("b.png");
    for (const auto& [path, percent] : {std::pair{png100, 100.0}, std::pair{png200, 200.0}}) {
        prompter->fileAnswers.push_back(path);
        prompter->dialogAnswers.push_back([percent](QDialog& d) {
            d.findChild<QDoubleSpinBox*>("ExportScale")->setValue(percent);
            d.setResult(QDialog::Accepted);
        });
        Find<QAction>("FileExportImageItem")->trigger();
    }
    EXPECT_TRUE(prompter->messages.isEmpty());
    const QImage a(png100);
    const QImage b(png200);
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    const QPoint origin(bounds.left - 48, bounds.top - 48);
    int glyphPixels = 0;
    for (int y = bounds.top; y < bounds.bottom; ++y)
        for (int x = bounds.left; x < bounds.right; ++x) {
            const QRgb want = screen.pixel(x, y);
            ASSERT_EQ(a.pixel(x - origin.x(), y - origin.y()), want) << x << "," << y;
            glyphPixels += want != qRgb(255, 255, 255);
        }
    EXPECT_GT(glyphPixels, 200);
    // Key pixels at 200% (the border stays 48 picture pixels): the glyph centres keep
    // their colours.
    const QPoint origin2(2 * bounds.left - 48, 2 * bounds.top - 48);
    for (const auto& e : List()) {
        const TPoint c = e->Centre();
        const QRgb want = screen.pixel(c.x, c.y);
        EXPECT_EQ(b.pixel(2 * c.x - origin2.x(), 2 * c.y - origin2.y()), want) << e->Label();
    }
}

} // namespace
TEST_F(DrawingTextsTest, WithASelectionTheExportedPictureIsTheSelectionAlone) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Neuron, 400, 300);
    ASSERT_TRUE(a && b);
    QTemporaryDir dir;
    const auto exported = [&](const QString& name) {
        const QString path = dir.filePath(name);
        prompter->fileAnswers.push_back(path);
        prompter->dialogAnswers.push_back([](QDialog& d) { d.setResult(QDialog::Accepted); });
        Find<QAction>("FileExportImageItem")->trigger();
        return QImage(path);
    };
    const QImage whole = exported(QStringLiteral("whole.png"));
    Tool(TTool::Move);
    QTest::mouseClick(&Child().Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(400, 300));
    ASSERT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{b}));
    const QImage part = exported(QStringLiteral("part.png"));
    EXPECT_TRUE(prompter->messages.isEmpty());
    ASSERT_FALSE(whole.isNull());
    ASSERT_FALSE(part.isNull());
    // The whole net spans both glyphs; the selection's picture is one glyph and its border,
    // with b's glyph where the whole picture has it, relative to b's own corner.
    EXPECT_GT(whole.width(), 340 + 2 * 48);
    EXPECT_LT(part.width(), 40 + 2 * 48);
    TRect bounds;
    ASSERT_TRUE(NetBounds(List(), bounds));
    const TRect box = b->GlyphBox();
    const QPoint inWhole(box.left - (bounds.left - 48), box.top - (bounds.top - 48));
    int differing = 0;
    int inked = 0;
    for (int y = 0; y < box.bottom - box.top; ++y)
        for (int x = 0; x < box.right - box.left; ++x) {
            const QRgb want = whole.pixel(inWhole.x() + x, inWhole.y() + y);
            differing += part.pixel(48 + x, 48 + y) != want;
            inked += want != qRgb(255, 255, 255);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 20);
}

// With labels and values shown the exported picture is the drawing and an even border at
// every scale: no side keeps the room the longest text could have taken.
TEST_F(DrawingTextsTest, AnExportWithTextsHasTheSameBorderOnEverySide) {
    for (const char* name : {"ViewLabelsItem", "ViewValuesItem", "ViewWeightsItem"})
        Find<QAction>(name)->setChecked(true);
    ASSERT_TRUE(main->OpenNetFile(QStringLiteral(VELTRA_EXAMPLES "/worked.net")));
    QTemporaryDir dir;
    for (const double percent : {50.0, 100.0, 200.0, 400.0}) {
        SCOPED_TRACE(percent);
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(percent));
        prompter->fileAnswers.push_back(path);
        prompter->dialogAnswers.push_back([percent](QDialog& d) {
            d.findChild<QDoubleSpinBox*>("ExportScale")->setValue(percent);
            d.setResult(QDialog::Accepted);
        });
        Find<QAction>("FileExportImageItem")->trigger();
        const QImage picture(path);
        ASSERT_FALSE(picture.isNull());
        // The white rows and columns at each edge, counted from the picture itself.
        const auto blank = [&picture](int x, int y) {
            return picture.pixel(x, y) == qRgb(255, 255, 255);
        };
        const auto emptyColumn = [&](int x) {
            for (int y = 0; y < picture.height(); ++y)
                if (!blank(x, y)) return false;
            return true;
        };
        const auto emptyRow = [&](int y) {
            for (int x = 0; x < picture.width(); ++x)
                if (!blank(x, y)) return false;
            return true;
        };
        int left = 0, right = 0, top = 0, bottom = 0;
        while (left < picture.width() && emptyColumn(left))
            ++left;
        while (right < picture.width() && emptyColumn(picture.width() - 1 - right))
            ++right;
        while (top < picture.height() && emptyRow(top))
            ++top;
        while (bottom < picture.height() && emptyRow(picture.height() - 1 - bottom))
            ++bottom;
        ASSERT_LT(left, picture.width());
        for (const int side : {left, right, top, bottom}) {
            EXPECT_GE(side, 48);
            EXPECT_LE(side, 52); // a glyph's picture may have a white edge of its own
        }
    }
    EXPECT_TRUE(prompter->messages.isEmpty());
}

} // namespace veltra
