#include "ui/recentfiles.h"

#include "ui/desktophost.h"
#include "ui/prompter.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace veltra {

namespace {
const QString Key = QStringLiteral("file/recent");
} // namespace

TRecentFiles::TRecentFiles(TDesktopHost& host, QMenu& file, const QAction* after)
    : QObject(&host.MainWindow()), host_(host),
      menu_(new QMenu(QStringLiteral("Open &Recent"), &file)) {
    menu_->setObjectName(QStringLiteral("FileRecentMenu"));
    QAction* item = menu_->menuAction();
    item->setObjectName(QStringLiteral("FileOpenRecentItem"));
    item->setStatusTip(QStringLiteral("Open one of the nets opened or saved last"));
    // After `after`: before the item that follows it.
    const QList<QAction*> items = file.actions();
    const qsizetype at = items.indexOf(const_cast<QAction*>(after));
    file.insertMenu(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, menu_);
    connect(menu_, &QMenu::aboutToShow, this, [this] { Fill(); });
    Fill();
}

QStringList TRecentFiles::Files() {
    QStringList files = QSettings().value(Key).toStringList();
    files.removeAll(QString());
    while (files.size() > Most)
        files.removeLast();
    return files;
}

void TRecentFiles::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = Files();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > Most)
        files.removeLast();
    QSettings().setValue(Key, files);
}

void TRecentFiles::Remove(const QString& path) {
    QStringList files = Files();
    files.removeAll(path);
    QSettings().setValue(Key, files);
}

void TRecentFiles::Fill() {
    menu_->clear();
    const QStringList files = Files();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        // "&1 worked.net", the whole path as the hint.
        QAction* a =
            menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setObjectName(QStringLiteral("FileRecent%1").arg(i + 1));
        a->setStatusTip(QDir::toNativeSeparators(path));
        a->setToolTip(QDir::toNativeSeparators(path));
        connect(a, &QAction::triggered, this, [this, path] { Choose(path); });
    }
    menu_->setToolTipsVisible(true);
    menu_->menuAction()->setEnabled(!files.isEmpty());
}

void TRecentFiles::Choose(const QString& path) {
    if (!QFileInfo::exists(path)) {
        Remove(path);
        Fill();
        host_.Prompter().Message(
            &host_.MainWindow(),
            QStringLiteral("\"%1\" is no longer there; it is taken off Open Recent.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    host_.OpenNetFile(path);
}

} // namespace veltra
