// The running application (offscreen) for the Execution Browser, dynamics and Options tests:
// a prompter that records every message and answers the application's own modal dialogs by
// driving their controls, and helpers to read the browser's rows.
#pragma once

#include "appfixture.h"
#include "ui/application.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDialog>
#include <QItemSelectionModel>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTreeView>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace veltra::runview_test {

class TDialogPrompter final : public TPrompter {
public:
    using Answer = std::function<int(QDialog&)>;

    void Message(QWidget*, const QString& text) override { messages << text; }
    bool Confirm(QWidget*, const QString&, QPoint) override { return false; }
    QString OpenFileName(QWidget*, const TFileRequest&) override { return {}; }
    QString SaveFileName(QWidget*, const TFileRequest&) override { return {}; }
    TSaveChoice AskSave(QWidget*, const QString&) override { return TSaveChoice::Discard; }
    int Pick(QWidget*, const QString&, const QStringList&) override { return -1; }
    // Each dialog is answered by the next scripted answer; with none left it is cancelled.
    int ExecDialog(QDialog& dialog) override {
        dialogs << dialog.objectName();
        if (answers.empty()) return QDialog::Rejected;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer(dialog);
    }

    QStringList messages;
    QStringList dialogs;
    std::deque<Answer> answers;
};

inline std::string DataPath(const char* name) {
    return std::string(VELTRA_TEST_DATA) + "/" + name;
}
inline std::string ExamplePath(const char* name) {
    return std::string(VELTRA_EXAMPLES) + "/" + name;
}

class RunViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp(); // the one application object of the test program
        auto owned = std::make_unique<TDialogPrompter>();
        prompter = owned.get();
        main = CreateApplicationWindows(std::move(owned));
        main->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        for (int i = 0; i < main->ChildCount(); ++i)
            main->ChildAt(i)->SetModified(false);
        main.reset();
        QApplication::processEvents();
    }

    // Opens a net file in a new drawing window, which becomes the active one.
    TMDIChild& Open(const std::string& path) {
        EXPECT_TRUE(main->OpenNetFile(QString::fromStdString(path))) << path;
        return *main->ActiveChild();
    }
    void CloseAllWindows() {
        for (int guard = 0; main->ChildCount() > 0 && guard < 100; ++guard) {
            main->ChildAt(0)->SetModified(false);
            main->ChildAt(0)->parentWidget()->close();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(main->ChildCount(), 0);
    }
    template <typename T> T* Find(const char* name) {
        T* found = main->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TDialogPrompter* prompter = nullptr;
    std::unique_ptr<TMainForm> main;
};

// "Element=Value" of every row of RunView, joined by "|".
inline std::string RowsText(QTreeView& view) {
    const QAbstractItemModel& rows = *view.model();
    std::string text;
    for (int i = 0; i < rows.rowCount(); ++i) {
        if (i > 0) text += "|";
        text += (rows.index(i, 0).data().toString() + "=" + rows.index(i, 1).data().toString())
                    .toStdString();
    }
    return text;
}

inline void SelectRow(QTreeView& view, int row) {
    view.selectionModel()->select(view.model()->index(row, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace veltra::runview_test
