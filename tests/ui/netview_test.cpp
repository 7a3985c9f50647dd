// Scrolling and zoom of a drawing window, driven with real wheel, key and mouse events.
#include "appfixture.h"
#include "model/sinapse.h"
#include "ui/glyphimages.h"
#include "ui/netscroller.h"
#include "ui/netview.h"
#include "ui/qtcanvas.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <random>

namespace veltra {
namespace {

using NetViewTest = AppTest;

void Wheel(QWidget& w, QPoint at, QPoint angle, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(at), QPointF(w.mapToGlobal(at)), QPoint(), angle, Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
    QApplication::processEvents();
}

TEST(NetViewMapping, ScreenAndNetPointsComeBackAtEveryZoomOfTheLadder) {
    for (double zoom = TNetView::MinZoom; zoom <= TNetView::MaxZoom;
         zoom = TNetView::StepUp(zoom)) {
        TNetView view;
        view.SetZoom(zoom);
        view.SetScroll({-37, 91});
        for (int v = -400; v <= 400; ++v) {
            const TPoint net{v * 7 - 3, v};
            if (zoom >= 1.0) {
                // Zoomed in every net pixel has screen pixels of its own.
                EXPECT_EQ(view.ToNet(view.ToScreen(net)), net) << zoom << " " << v;
            }
            // Every screen pixel lies in the span of the net pixel it shows (zoomed out the
            // span is that one screen pixel).
            const QPoint screen(v, v * 3 + 1);
            const TPoint shown = view.ToNet(screen);
            const QPoint from = view.ToScreen(shown);
            const QPoint to = view.ToScreen(TPoint{shown.x + 1, shown.y + 1});
            if (zoom <= 1.0) {
                EXPECT_EQ(from, screen) << zoom << " " << v;
            }
            EXPECT_TRUE(from.x() <= screen.x() && screen.x() < std::max(to.x(), from.x() + 1) &&
                        from.y() <= screen.y() && screen.y() < std::max(to.y(), from.y() + 1))
                << zoom << " " << v;
        }
        if (zoom >= TNetView::MaxZoom) break;
    }
}

// The zoom and scroll position of a row of the table, reached by the user's own gestures.
struct ViewCase {
    const char* name;
    int zoomKeys;    // Ctrl++ (positive) or Ctrl+- (negative) presses
    int zoomNotches; // Ctrl+wheel notches about the paint box's centre
    QPoint scrollNotches;
};

TEST_F(NetViewTest, PlacingAndConnectingLandOnTheSameNetPointsAtEveryZoomAndScroll) {
    const ViewCase cases[] = {{"100%", 0, 0, {0, 0}},          {"50% by keys", -4, 0, {0, 0}},
                              {"200% by wheel", 0, 3, {0, 0}}, {"100% scrolled", 0, 0, {2, 3}},
                              {"200% scrolled", 3, 0, {1, 2}}, {"50% scrolled", 0, -4, {3, 1}}};
    const TPoint a{200, 160};
    const TPoint b{320, 240};
    std::vector<TPoint> reference;
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.name);
        main->FileNewItemClick();
        QWidget& ecra = Ecra();
        for (int i = 0; i < std::abs(c.zoomKeys); ++i)
            QTest::keyClick(main.get(), c.zoomKeys > 0 ? Qt::Key_Plus : Qt::Key_Minus,
                            Qt::ControlModifier);
        if (c.zoomNotches != 0)
            Wheel(ecra, ecra.rect().center(), {0, 120 * c.zoomNotches}, Qt::ControlModifier);
        const double expected = c.name[0] == '5' ? 0.5 : c.name[0] == '2' ? 2.0 : 1.0;
        ASSERT_DOUBLE_EQ(Child().Ecra().View().Zoom(), expected);
        // Scrolling needs something beyond the window: a neuron far down and right.
        TNetView first = Child().Ecra().View();
        TProtoNeuronio* far = Place(TTool::Neuron, 10, 10);
        ASSERT_TRUE(far);
        Tool(TTool::Move);
        const QPoint at = first.ToScreen(far->Centre());
        Drag(at, at + QPoint(1500, 1200));
        QApplication::processEvents();
        Wheel(ecra, {10, 10}, {0, -120 * c.scrollNotches.y()});
        Wheel(ecra, {10, 10}, {0, -120 * c.scrollNotches.x()}, Qt::ShiftModifier);
        const TNetView view = Child().Ecra().View();
        EXPECT_EQ(view.Scroll(), first.Scroll() + c.scrollNotches * 60);
        EXPECT_EQ(main->findChild<QLabel*>("ZoomLabel")->text(),
                  QStringLiteral("%1%").arg(int(expected * 100)));

        main->WeightBox()->setText("0.25");
        TProtoNeuronio* na = Place(TTool::Neuron, view.ToScreen(a).x(), view.ToScreen(a).y());
        TProtoNeuronio* nb = Place(TTool::Neuron, view.ToScreen(b).x(), view.ToScreen(b).y());
        ASSERT_TRUE(na && nb);
        Tool(TTool::Synapse);
        Drag(view.ToScreen(a), view.ToScreen(b));
        ASSERT_EQ(na->OutgoingSynapses().Count(), 1);
        const TSinapse* s = na->OutgoingSynapses().Item(0);
        EXPECT_EQ(s->Destination(), nb);
        const std::vector<TPoint> got = {na->Centre(), nb->Centre(), s->StartPoint(),
                                         s->EndPoint()};
        if (reference.empty()) {
            EXPECT_EQ(got[0], a);
            EXPECT_EQ(got[1], b);
            reference = got;
        } else {
            EXPECT_EQ(got, reference);
        }
    }
}

TEST_F(NetViewTest, AnElementMovedPastTheEdgeCanBeScrolledTo) {
    TProtoNeuronio* n = Place(TTool::Neuron, 100, 100);
    QWidget& ecra = Ecra();
    EXPECT_FALSE(Child().Ecra().Scroller().HorizontalBar().isVisible());
    Tool(TTool::Move);
    const QPoint far(ecra.width() + 700, ecra.height() + 400);
    Drag({100, 100}, far);
    QApplication::processEvents();
    EXPECT_EQ(n->Centre(), (TPoint{far.x(), far.y()}));
    EXPECT_TRUE(Child().Ecra().Scroller().HorizontalBar().isVisible());
    EXPECT_TRUE(Child().Ecra().Scroller().VerticalBar().isVisible());
    for (int i = 0; i < 100; ++i) {
        Wheel(ecra, {5, 5}, {0, -120});
        Wheel(ecra, {5, 5}, {0, -120}, Qt::ShiftModifier);
    }
    // Scrolled to the end, the element is on screen with room to spare, and the mouse
    // finds it there.
    const QRect box = Child().Ecra().View().ToScreen(n->GlyphBox());
    EXPECT_TRUE(ecra.rect().contains(box)) << box.x() << "," << box.y();
    EXPECT_LE(box.right(), ecra.width() - TNetScroller::Margin + 2);
    Tool(TTool::Info);
    prompter->messages.clear();
    Click(box.center().x(), box.center().y());
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(NetViewTest, FitToWindowShowsEveryElementAndActualSizeComesBack) {
    const QPoint spots[] = {{100, 100}, {300, 50}, {200, 250}};
    for (QPoint p : spots)
        Place(TTool::Neuron, p.x(), p.y());
    Tool(TTool::Move);
    Drag({300, 50}, {1600, 1300});
    Drag({200, 250}, {-500, -300});
    for (const bool wide : {true, false}) {
        if (!wide) Child().parentWidget()->resize(420, 520);
        QApplication::processEvents();
        QTest::keyClick(main.get(), Qt::Key_9, Qt::ControlModifier);
        QApplication::processEvents();
        const TNetView view = Child().Ecra().View();
        EXPECT_LT(view.Zoom(), 1.0);
        for (const auto& e : List())
            EXPECT_TRUE(Ecra().rect().contains(view.ToScreen(e->GlyphBox())))
                << view.Zoom() << " " << view.ToScreen(e->GlyphBox()).x() << ","
                << view.ToScreen(e->GlyphBox()).y() << " in " << Ecra().width() << "x"
                << Ecra().height();
        EXPECT_EQ(main->findChild<QLabel*>("ZoomLabel")->text(),
                  QStringLiteral("%1%").arg(std::lround(view.Zoom() * 100)));
    }
    QTest::keyClick(main.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Child().Ecra().View().Zoom(), 1.0);
    EXPECT_EQ(main->findChild<QLabel*>("ZoomLabel")->text(), "100%");
}

TEST_F(NetViewTest, ScrollingAtActualSizeShiftsTheSamePixels) {
    Place(TTool::Neuron, 100, 100);
    Place(TTool::Output, 260, 180);
    Tool(TTool::Synapse);
    Drag({100, 100}, {260, 180});
    Tool(TTool::Move);
    Drag({260, 180}, {260, 1180}); // room to scroll
    Place(TTool::Neuron, 300, 300);
    Tool(TTool::Synapse);
    Drag({300, 300}, {100, 100});
    QApplication::processEvents();
    Child().Ecra().Compose();
    const QImage before = Child().Ecra().Screen().copy();
    Wheel(Ecra(), {5, 5}, {0, -120});
    Child().Ecra().Compose();
    const QImage after = Child().Ecra().Screen();
    ASSERT_EQ(Child().Ecra().View().Scroll(), QPoint(0, 60));
    int compared = 0;
    for (int y = 60; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x, ++compared)
            ASSERT_EQ(before.pixel(x, y), after.pixel(x, y - 60)) << x << "," << y;
    EXPECT_GT(compared, 10000);
}

TEST_F(NetViewTest, PanningWithTheMiddleButtonAndWithSpaceMovesTheView) {
    Place(TTool::Neuron, 100, 100);
    Tool(TTool::Move);
    Drag({100, 100}, {2000, 2000});
    Tool(TTool::Neuron);
    QWidget& ecra = Ecra();
    QTest::mousePress(&ecra, Qt::MiddleButton, Qt::NoModifier, {200, 200});
    QTest::mouseMove(&ecra, {150, 120});
    QTest::mouseRelease(&ecra, Qt::MiddleButton, Qt::NoModifier, {150, 120});
    EXPECT_EQ(Child().Ecra().View().Scroll(), QPoint(50, 80));
    QTest::mouseMove(&ecra, {150, 120});
    QTest::keyPress(main->WeightBox(), Qt::Key_Space);
    QTest::mousePress(&ecra, Qt::LeftButton, Qt::NoModifier, {150, 120});
    QTest::mouseMove(&ecra, {140, 100});
    QTest::mouseRelease(&ecra, Qt::LeftButton, Qt::NoModifier, {140, 100});
    QTest::keyRelease(main->WeightBox(), Qt::Key_Space);
    EXPECT_EQ(Child().Ecra().View().Scroll(), QPoint(60, 100));
    // Neither pan placed a neuron, and the space never reached the weight box.
    EXPECT_EQ(List().Count(), 1);
    EXPECT_FALSE(main->WeightBox()->text().contains(' '));
}

// A repaint draws only what reaches the invalid area, and a scroll composes only the strip
// it uncovers: both must give exactly the picture of the whole net drawn afresh.
TEST_F(NetViewTest, PartialRepaintsEqualTheWholeNetDrawnAfresh) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> x(-200, 1400);
    std::uniform_int_distribution<int> y(-150, 1000);
    std::vector<QPoint> at;
    for (int i = 0; i < 40; ++i) {
        at.emplace_back(x(rng) / 40 * 40, y(rng) / 40 * 40);
        Place(TTool::Neuron, 300, 200);
        Tool(TTool::Move);
        Drag({300, 200}, at.back());
    }
    std::uniform_int_distribution<int> pick(0, int(at.size()) - 1);
    TDados& doc = Child().Document();
    TNullCanvas none;
    for (int i = 0; i < 120; ++i) {
        const QPoint a = at[std::size_t(pick(rng))];
        const QPoint b = at[std::size_t(pick(rng))];
        doc.BeginSynapse(doc.ElementAt(a.x(), a.y()), {a.x(), a.y()}, none);
        doc.EndSynapse(none, b.x(), b.y());
    }
    TEcra& ecra = Child().Ecra();
    auto afresh = [&] {
        QImage whole(ecra.size(), QImage::Format_RGB32);
        whole.fill(Qt::white);
        TQtCanvas canvas(whole, TGlyphImages::Shared());
        canvas.SetView(ecra.View());
        doc.DrawAll(canvas);
        return whole;
    };
    QApplication::processEvents();
    ecra.InvalidateAll();
    ecra.Compose();
    EXPECT_EQ(ecra.Screen(), afresh());
    for (const int notches : {0, -4, -2}) { // 100%, 50%, 25%
        if (notches != 0)
            Wheel(ecra, ecra.rect().center(), {0, 120 * notches}, Qt::ControlModifier);
        for (int step = 0; step < 6; ++step) {
            Wheel(ecra, {5, 5}, {0, -120});
            Wheel(ecra, {5, 5}, {0, -120}, Qt::ShiftModifier);
            ecra.Compose();
            ASSERT_EQ(ecra.Screen(), afresh()) << ecra.View().Zoom() << " " << step;
        }
    }
}

// A repaint composes on the screen picture itself: a copy taken of it before keeps what it
// showed, and the picture shows the net as it is now.
TEST_F(NetViewTest, ACopyOfThePictureKeepsWhatItShowedAfterARepaint) {
    Place(TTool::Neuron, 100, 100);
    TEcra& ecra = Child().Ecra();
    QApplication::processEvents();
    ecra.InvalidateAll();
    ecra.Compose();
    const QImage held = ecra.Screen(); // shares the pixels until one side writes
    const QImage before = held.copy();
    Place(TTool::Neuron, 300, 200);
    QApplication::processEvents();
    ecra.InvalidateAll();
    ecra.Compose();
    EXPECT_EQ(held, before);
    EXPECT_NE(ecra.Screen(), before);
}

// Ctrl and the wheel, anywhere over the drawing, scrolled or not, with the bars coming and
// going: the net point under the mouse stays under it.
TEST_F(NetViewTest, TheWheelZoomsAboutTheNetPointUnderTheMouse) {
    for (const QPoint p : {QPoint(80, 70), QPoint(400, 300), QPoint(250, 120)})
        Place(TTool::Neuron, p.x(), p.y());
    TEcra& ecra = Child().Ecra();
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const QPoint mouse(static_cast<int>(random() % static_cast<unsigned>(ecra.width())),
                           static_cast<int>(random() % static_cast<unsigned>(ecra.height())));
        if (round % 7 == 3) Wheel(ecra, mouse, {0, -120}); // a scroll now and then
        const int notches = static_cast<int>(random() % 5) - 2;
        if (notches == 0) continue;
        const TNetView before = ecra.View();
        Wheel(ecra, mouse, {0, 120 * notches}, Qt::ControlModifier);
        const TNetView after = ecra.View();
        // The plane point under the mouse, in net units, before and after.
        const double xBefore = (mouse.x() + before.Scroll().x()) / before.Zoom();
        const double yBefore = (mouse.y() + before.Scroll().y()) / before.Zoom();
        const double xAfter = (mouse.x() + after.Scroll().x()) / after.Zoom();
        const double yAfter = (mouse.y() + after.Scroll().y()) / after.Zoom();
        const double slack = 1.0 / after.Zoom(); // the scroll is whole screen pixels
        EXPECT_NEAR(xAfter, xBefore, slack) << round << " " << after.Zoom();
        EXPECT_NEAR(yAfter, yBefore, slack) << round << " " << after.Zoom();
    }
}

// Ctrl++ and Ctrl+- zoom about the middle of the view and keep the net in view: wholly where it
// fits, and where it does not, filling the view on that side.
TEST_F(NetViewTest, ZoomKeysKeepTheNetInView) {
    for (const QPoint p : {QPoint(40, 40), QPoint(140, 60), QPoint(90, 130)})
        Place(TTool::Neuron, p.x(), p.y());
    TEcra& ecra = Child().Ecra();
    const auto check = [&](const char* what, int press) {
        QApplication::processEvents();
        TRect bounds;
        ASSERT_TRUE(NetBounds(List(), bounds));
        const QRect net = ecra.View().ToScreen(bounds);
        const QRect view = ecra.rect();
        const double zoom = ecra.View().Zoom();
        // Each axis: a net that fits is wholly in view; one that does not leaves at most the
        // margin of the view beyond it.
        constexpr int M = TNetScroller::Margin;
        if (net.width() <= view.width()) {
            EXPECT_GE(net.left(), 0) << what << press << " at " << zoom;
            EXPECT_LE(net.right(), view.right()) << what << press << " at " << zoom;
        } else {
            EXPECT_LE(net.left(), M) << what << press << " at " << zoom;
            EXPECT_GE(net.right(), view.right() - M) << what << press << " at " << zoom;
        }
        if (net.height() <= view.height()) {
            EXPECT_GE(net.top(), 0) << what << press << " at " << zoom;
            EXPECT_LE(net.bottom(), view.bottom()) << what << press << " at " << zoom;
        } else {
            EXPECT_LE(net.top(), M) << what << press << " at " << zoom;
            EXPECT_GE(net.bottom(), view.bottom() - M) << what << press << " at " << zoom;
        }
    };
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(main.get(), Qt::Key_Plus, Qt::ControlModifier);
        check("Ctrl++ ", i);
    }
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(main.get(), Qt::Key_Minus, Qt::ControlModifier);
        check("Ctrl+- ", i);
    }
    QTest::keyClick(main.get(), Qt::Key_0, Qt::ControlModifier);
    check("Ctrl+0 ", 0);
}

// Zooming or scrolling in the middle of a synapse gesture leaves no trace of the band.
TEST_F(NetViewTest, ARubberBandSurvivesAZoomAndAScrollInTheMiddleOfTheGesture) {
    Place(TTool::Neuron, 100, 100);
    Place(TTool::Neuron, 300, 220);
    Tool(TTool::Move);
    Drag({300, 220}, {300, 900}); // room to scroll
    Tool(TTool::Synapse);
    QWidget& ecra = Ecra();
    QTest::mousePress(&ecra, Qt::LeftButton, Qt::NoModifier, {100, 100});
    QTest::mouseMove(&ecra, {200, 160});
    Wheel(ecra, {200, 160}, {0, 240}, Qt::ControlModifier);
    QTest::mouseMove(&ecra, {220, 180});
    Wheel(ecra, {220, 180}, {0, -120});
    QTest::mouseMove(&ecra, {240, 150});
    QTest::mouseRelease(&ecra, Qt::LeftButton, Qt::NoModifier, {240, 150});
    QApplication::processEvents();
    TEcra& paint = Child().Ecra();
    paint.Compose();
    QImage whole(paint.size(), QImage::Format_RGB32);
    whole.fill(Qt::white);
    TQtCanvas canvas(whole, TGlyphImages::Shared());
    canvas.SetView(paint.View());
    Child().Document().DrawAll(canvas);
    EXPECT_DOUBLE_EQ(paint.View().Zoom(), 1.5);
    EXPECT_EQ(paint.Screen(), whole);
}

} // namespace
} // namespace veltra

namespace veltra {
namespace {

// Elements at the two ends of the coordinate range, with synapses between them and to two near
// ones: every way of looking at them (texts and selection marks shown, centred on at every
// zoom, fitted, scrolled to the bars' ends, hovered) paints them without arithmetic leaving
// int, which the sanitizer build checks, and centring on one brings its glyph into view.
TEST_F(NetViewTest, ElementsAtTheEndsOfTheCoordinateRangeShowAtEveryZoom) {
    auto neuron = [](int id, const std::string& at, const std::string& targets) {
        std::string synapses;
        for (char t : targets)
            synapses += std::string("<TSINAPSE>\r\nValor:0.5\r\nDestino:") + t +
                        "\r\nvisible:true\r\n</TSINAPSE>\r\n";
        return "<TPROTONEURONIO=TNEURONIO>\r\nId:" + std::to_string(id) + "\r\nEtiqueta:far " +
               std::to_string(id) + "\r\nPosicao:" + at +
               "\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n<TListaSinapses=" +
               std::to_string(targets.size()) + ">\r\n" + synapses +
               "</TListaSinapses>\r\nActividade:0.25\r\nFuncaoActivacao:TSacturated_Linear\r\n"
               "loop:false\r\n</TPROTONEURONIO>\r\n";
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corners.net"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("<TREDE=version 0.4>\r\n<TProtoLista=4>\r\n" +
                    neuron(0, "2147483647;2147483647", "0123") +
                    neuron(1, "-2147483648;-2147483648", "0123") + neuron(2, "20;40", "01") +
                    neuron(3, "2147483647;-2147483648", "1") + "</TProtoLista>\r\n</TREDE>\r\n")
                       .c_str());
    }
    ASSERT_TRUE(main->OpenNetFile(path));
    ASSERT_EQ(List().Count(), 4);
    for (const char* name : {"ViewLabelsItem", "ViewValuesItem", "ViewWeightsItem"})
        if (auto* item = main->findChild<QAction*>(QString::fromLatin1(name)))
            if (!item->isChecked()) item->trigger();
    Child().SelectAll();
    TEcra& ecra = Child().Ecra();
    TNetScroller& scroller = ecra.Scroller();
    // Pixels not white within `reach` of the paint box's centre.
    const auto inkNearCentre = [&](int reach) {
        ecra.Compose();
        const QPoint mid = ecra.rect().center();
        int ink = 0;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (ecra.Screen().valid(mid + QPoint(dx, dy)) &&
                    ecra.Screen().pixel(mid + QPoint(dx, dy)) != qRgb(255, 255, 255))
                    ++ink;
        return ink;
    };
    for (int zoomSteps = -4; zoomSteps <= 4; ++zoomSteps) {
        scroller.ZoomReset();
        for (int i = 0; i < std::abs(zoomSteps); ++i)
            zoomSteps > 0 ? scroller.ZoomIn() : scroller.ZoomOut();
        const double zoom = ecra.View().Zoom();
        for (const auto& e : List()) {
            scroller.CentreOn(e->Centre());
            // The view's pixels are ints: zoomed in, the ends of the range lie beyond them,
            // and the view stops at its own end; at or below actual size a far element is
            // at least in view, a near one mid-box.
            const bool far = std::abs(std::int64_t{e->Centre().x}) > 1000000000;
            if (!far) {
                EXPECT_GT(inkNearCentre(14), 0) << e->Label() << " at zoom " << zoom;
            } else if (zoom <= 1.0) {
                EXPECT_GT(inkNearCentre(1000), 0) << e->Label() << " at zoom " << zoom;
            }
            // Hovering it raises its hint.
            Child().EcraMouseMove(e->Centre().x, e->Centre().y);
            Child().Timer1Timer();
            Child().Timer2Timer();
        }
        for (QScrollBar* bar : {&scroller.HorizontalBar(), &scroller.VerticalBar()})
            for (int to : {bar->minimum(), bar->maximum()}) {
                bar->setValue(to);
                ecra.Compose();
            }
        scroller.FitToWindow();
        ecra.Compose();
    }
    ecra.grab(); // a real paint event as well
}

} // namespace
} // namespace veltra
