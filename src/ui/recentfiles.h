// File -> Open Recent: the nets opened or saved last, newest first, kept in the settings so
// that the next start of the application offers them too. A file that has gone since is
// taken off the list when it is chosen, with a message.
#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

namespace veltra {

class TDesktopHost;

class TRecentFiles final : public QObject {
public:
    static constexpr int Most = 8;

    // Adds the submenu "Open Recent" to the File menu after the item `after`.
    TRecentFiles(TDesktopHost& host, QMenu& file, const QAction* after);

    // The files, newest first (absolute paths).
    static QStringList Files();
    // A net was opened from or saved to the file: it goes to the top.
    static void Add(const QString& path);
    static void Remove(const QString& path);

    QMenu& Menu() { return *menu_; }

private:
    void Fill();
    void Choose(const QString& path);

    TDesktopHost& host_;
    QMenu* menu_;
};

} // namespace veltra
