// The user guide: Help > VELTRA Guide (F1) shows it from the application's resources, and every
// link and picture in it resolves. GuidePictures.DISABLED_Write remakes the guide's pictures
// from the application itself (run it with --gtest_also_run_disabled_tests).
#include "appfixture.h"
#include "execution/runcontrol.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/guidewindow.h"
#include "ui/newfrommachine.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace veltra {
namespace {

const QString kDocs = QStringLiteral(VELTRA_EXAMPLES "/../docs/");

QString ReadText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// A heading's anchor as Markdown renderers make it: lower case, punctuation dropped, blanks
// turned into dashes.
QString Slug(QString heading) {
    heading = heading.trimmed().toLower();
    QString slug;
    for (const QChar c : heading) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            slug += c;
        else if (c == u' ')
            slug += u'-';
    }
    return slug;
}

TEST(Guide, LinksAndPicturesResolve) {
    TGuideWindow::RegisterResources();
    const QString guide = ReadText(kDocs + QStringLiteral("guide.md"));
    // The bundled copy is the file itself, so the installed application shows the same text.
    EXPECT_EQ(ReadText(QStringLiteral(":/docs/guide.md")), guide);

    QStringList anchors;
    const QRegularExpression heading(QStringLiteral("^#+ (.+)$"),
                                     QRegularExpression::MultilineOption);
    for (auto it = heading.globalMatch(guide); it.hasNext();)
        anchors << Slug(it.next().captured(1));

    int pictures = 0;
    int internal = 0;
    const QRegularExpression link(QStringLiteral("(!?)\\[[^\\]]*\\]\\(([^)\\s]+)\\)"));
    for (auto it = link.globalMatch(guide); it.hasNext();) {
        const auto match = it.next();
        const QString target = match.captured(2);
        SCOPED_TRACE(target.toStdString());
        if (match.captured(1) == QStringLiteral("!")) {
            ++pictures;
            EXPECT_FALSE(QImage(kDocs + target).isNull()) << "the picture is in docs/";
            EXPECT_FALSE(QImage(QStringLiteral(":/docs/") + target).isNull()) << "and bundled";
        } else if (target.startsWith(u'#')) {
            ++internal;
            EXPECT_TRUE(anchors.contains(target.mid(1))) << "no heading has this anchor";
        } else {
            EXPECT_TRUE(target.startsWith(QStringLiteral("https://")))
                << "the guide must work installed: no links to files of the source tree";
        }
    }
    EXPECT_GE(pictures, 2);
    EXPECT_GE(internal, 5);
}

using GuideWindowTest = AppTest;

TEST_F(GuideWindowTest, HelpItemShowsTheGuideWithItsPictures) {
    QAction* item = main->findChild<QAction*>(QStringLiteral("HelpGuideItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("VELTRA Guide"));
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_F1));
    item->trigger();
    auto* guide = main->findChild<TGuideWindow*>(QStringLiteral("GuideWindow"));
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_EQ(guide->windowTitle(), QStringLiteral("VELTRA Guide"));
    QTextBrowser& browser = guide->Browser();
    EXPECT_TRUE(browser.toPlainText().contains(QStringLiteral("Getting started")));
    // Shown as Markdown, not as its source text.
    EXPECT_FALSE(browser.toPlainText().contains(QStringLiteral("## Getting started")));
    const QVariant picture = browser.loadResource(QTextDocument::ImageResource,
                                                  QUrl(QStringLiteral("brackets-net.png")));
    // The browser hands back the file's bytes, found next to the guide among the resources.
    EXPECT_FALSE(QImage::fromData(picture.toByteArray()).isNull());

    // Every link of the contents leads to a heading of the shown guide.
    QStringList anchors;
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            anchors << it.fragment().charFormat().anchorNames();
    const QString text = ReadText(kDocs + QStringLiteral("guide.md"));
    const QRegularExpression link(QStringLiteral("\\]\\(#([^)]+)\\)"));
    int links = 0;
    for (auto it = link.globalMatch(text); it.hasNext(); ++links)
        EXPECT_TRUE(anchors.contains(it.next().captured(1))) << anchors.join(u' ').toStdString();
    EXPECT_GE(links, 5);

    // A second F1 brings the same window forward instead of making another.
    item->trigger();
    EXPECT_EQ(main->findChildren<TGuideWindow*>().size(), 1);
}

// A click on a link of the contents brings its section to the top of the window.
TEST_F(GuideWindowTest, ContentsLinksMoveToTheirSections) {
    TGuideWindow& guide = TGuideWindow::ShowFor(*main);
    guide.resize(700, 500);
    QTextBrowser& browser = guide.Browser();
    QApplication::processEvents();
    for (const QString& section :
         {QStringLiteral("Files"), QStringLiteral("Modules"), QStringLiteral("Getting started")}) {
        SCOPED_TRACE(section.toStdString());
        browser.verticalScrollBar()->setValue(0);
        // The link is the contents line that reads the section's name.
        QTextBlock line = browser.document()->begin();
        while (line.isValid() && (line.text() != section || line.blockFormat().headingLevel() > 0))
            line = line.next();
        ASSERT_TRUE(line.isValid());
        QTextCursor link(line);
        link.setPosition(line.position() + 1);
        ASSERT_TRUE(link.charFormat().isAnchor());
        const QPoint at = browser.cursorRect(link).center();
        QTest::mouseClick(browser.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
        // The heading stands at the top of what shows.
        const QTextCursor top = browser.cursorForPosition(QPoint(4, 4));
        EXPECT_EQ(top.block().text(), section);
        EXPECT_GT(top.block().blockFormat().headingLevel(), 0);
        EXPECT_EQ(browser.source().fileName(), QStringLiteral("guide.md"));
    }
}

// Not a check: writes the guide's pictures from the running application.
TEST_F(GuideWindowTest, DISABLED_WritePictures) {
    prompter->textAnswers.push_back(QStringLiteral("(()())"));
    auto* child = qobject_cast<TMDIChild*>(
        NewFromMachineFile(*main, QStringLiteral(VELTRA_EXAMPLES "/machines/brackets.json")));
    ASSERT_NE(child, nullptr);
    // With its labels and values, as the guide reads them off the picture.
    for (const char* name : {"ViewLabelsItem", "ViewValuesItem"})
        main->findChild<QAction*>(QString::fromLatin1(name))->setChecked(true);
    main->resize(1700, 600);
    child->parentWidget()->resize(1600, 330);
    QApplication::processEvents();
    // Ten steps with the Execution Browser's Step button, as the guide tells the reader to.
    main->findChild<QAction*>(QStringLiteral("Execution1"))->trigger();
    QApplication::processEvents();
    auto* step = main->Windows().FormRunBrowser->findChild<QPushButton*>(QStringLiteral("step"));
    ASSERT_NE(step, nullptr);
    for (int i = 0; i < 10; ++i) {
        step->click();
        QApplication::processEvents();
    }
    ASSERT_TRUE(child->Ecra().grab().save(kDocs + QStringLiteral("brackets-net.png")));
    for (const char* name : {"ViewLabelsItem", "ViewValuesItem"})
        main->findChild<QAction*>(QString::fromLatin1(name))->setChecked(false);
    main->Windows().FormRunBrowser->resize(400, 430);
    QApplication::processEvents();
    ASSERT_TRUE(
        main->Windows().FormRunBrowser->grab().save(kDocs + QStringLiteral("brackets-run.png")));

    // The four-state busy beaver after its run, the machine's line under the list.
    prompter->textAnswers.push_back(QString());
    auto* beaver = qobject_cast<TMDIChild*>(
        NewFromMachineFile(*main, QStringLiteral(VELTRA_EXAMPLES "/machines/bb4.tm")));
    ASSERT_NE(beaver, nullptr);
    QApplication::processEvents();
    auto* browser = qobject_cast<TFormRunBrowser*>(main->Windows().FormRunBrowser);
    ASSERT_NE(browser, nullptr);
    browser->Refresh();
    browser->RunLimited(-1);
    QApplication::processEvents();
    ASSERT_TRUE(beaver->Document().AllFinished());
    browser->resize(400, 330);
    QApplication::processEvents();
    ASSERT_TRUE(browser->grab().save(kDocs + QStringLiteral("beaver-run.png")));
}

} // namespace
} // namespace veltra
