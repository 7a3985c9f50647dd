#include "ui/guidewindow.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

// The guide's resources live in this static library; they register on first use.
static void InitGuideResources() {
    Q_INIT_RESOURCE(guide);
}

namespace veltra {

namespace {

// The anchor a heading gets where the guide is read on the web as well: lower case, letters,
// digits, dashes and underscores kept, blanks made dashes, the rest dropped.
QString HeadingAnchor(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

// Qt's Markdown reader gives headings no anchors, so the guide's contents links ("#files")
// would lead nowhere; each heading is named here after its text.
void AddHeadingAnchors(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({HeadingAnchor(block.text())});
        cursor.mergeCharFormat(format);
    }
}

} // namespace

void TGuideWindow::RegisterResources() {
    static const bool once = (InitGuideResources(), true);
    (void)once;
}

TGuideWindow::TGuideWindow(QWidget* parent)
    // On top, as the tool windows are, so that they never hide it when it opens.
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), browser_(new QTextBrowser(this)) {
    RegisterResources();
    setObjectName(QStringLiteral("GuideWindow"));
    setWindowTitle(QStringLiteral("VELTRA Guide"));
    browser_->setObjectName(QStringLiteral("GuideBrowser"));
    // Links inside the guide move within it; a web address goes to the desktop's browser.
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    // A contents link loads the guide again, and the browser looks for the link's section
    // before the new text has its anchors: the section is sought again once it has them.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& source) {
        AddHeadingAnchors(*browser_->document());
        if (source.hasFragment()) browser_->scrollToAnchor(source.fragment());
    });
    browser_->setSource(QUrl(QString::fromLatin1(kSource)), QTextDocument::MarkdownResource);
    AddHeadingAnchors(*browser_->document());
    resize(760, 640);
}

TGuideWindow& TGuideWindow::ShowFor(QWidget& owner, const std::function<void(QWidget&)>& place) {
    auto* guide =
        owner.findChild<TGuideWindow*>(QStringLiteral("GuideWindow"), Qt::FindDirectChildrenOnly);
    if (guide == nullptr) guide = new TGuideWindow(&owner);
    if (place && !guide->isVisible()) place(*guide);
    guide->show();
    guide->raise();
    guide->activateWindow();
    return *guide;
}

} // namespace veltra
