// The user guide in a help window: docs/guide.md, bundled as a resource so that an installed
// application has it, shown with Qt's Markdown support; its pictures load from the same place.
#pragma once

#include <QWidget>
#include <functional>

class QTextBrowser;

namespace veltra {

class TGuideWindow final : public QWidget {
    Q_OBJECT
public:
    // Where the guide lives among the application's resources.
    static constexpr const char* kSource = "qrc:/docs/guide.md";

    explicit TGuideWindow(QWidget* parent = nullptr);
    // Makes the bundled guide readable under ":/docs" (done by the constructor too).
    static void RegisterResources();
    QTextBrowser& Browser() { return *browser_; }

    // Shows the one guide window of `owner` (made on first use), in front; `place` puts it
    // somewhere before it opens (not when it is shown already).
    static TGuideWindow& ShowFor(QWidget& owner, const std::function<void(QWidget&)>& place = {});

private:
    QTextBrowser* browser_;
};

} // namespace veltra
