// A net drawn with the mouse and saved by the application: tests/data/golden/drawn.net holds
// its bytes, so other ways of building nets (the Python module's tests build the same net in
// code) can be held to exactly what the application writes.
#include "appfixture.h"

#include <QLineEdit>
#include <fstream>
#include <iterator>
#include <sstream>

namespace veltra {
namespace {

class DrawnNetTest : public AppTest {};

TEST_F(DrawnNetTest, SavesAsTheGoldenFile) {
    TProtoNeuronio* in = Place(TTool::Input, 40, 60);
    TProtoNeuronio* bias = Place(TTool::Bias, 40, 140);
    TProtoNeuronio* neuron = Place(TTool::Neuron, 160, 100);
    TProtoNeuronio* out = Place(TTool::Output, 280, 100);
    ASSERT_TRUE(in && bias && neuron && out);

    auto draw = [&](TProtoNeuronio* from, TProtoNeuronio* to, const char* weight) {
        main->WeightBox()->setText(QString::fromLatin1(weight));
        Tool(TTool::Synapse);
        Drag(QPoint(from->Centre().x, from->Centre().y), QPoint(to->Centre().x, to->Centre().y));
    };
    draw(in, neuron, "0.5");
    draw(bias, neuron, "-0.25");
    draw(neuron, neuron, "0.125");
    draw(neuron, out, "7"); // into an output: 1 whatever the box says

    std::ostringstream saved;
    ASSERT_TRUE(Child().Document().Save(saved));
    std::ifstream golden(std::string(VELTRA_TEST_DATA) + "/golden/drawn.net", std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(golden),
                               std::istreambuf_iterator<char>()};
    EXPECT_EQ(saved.str(), expected);
}

} // namespace
} // namespace veltra
