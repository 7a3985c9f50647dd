// A running application (offscreen) with a scripted prompter, and helpers that drive the
// drawing area with real mouse events.
#pragma once

#include "model/protoneuronio.h"
#include "scriptedprompter.h"
#include "ui/application.h"
#include "ui/ecra.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/toolbar.h"

#include <QApplication>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace veltra {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test process keeps its settings in a folder of its own, so that tests run side by
    // side neither see each other's choices (Show Labels, say) nor the developer's own.
    static QTemporaryDir settings;
    static const bool isolated = [] {
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, settings.path());
        return true;
    }();
    (void)isolated;
    // Deliberately never destroyed: a QApplication torn down by the exit handlers, after Qt's
    // own globals are gone, crashes every test process on its way out.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        auto p = std::make_unique<TScriptedPrompter>();
        prompter = p.get();
        main = CreateApplicationWindows(std::move(p));
        main->show();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        QApplication::processEvents();
    }
    void TearDown() override {
        // Nothing asks about unsaved work while the fixture closes down.
        for (int i = 0; i < main->ChildCount(); ++i)
            main->ChildAt(i)->SetModified(false);
        main.reset();
        QApplication::processEvents();
    }

    TMDIChild& Child() { return *main->ActiveChild(); }
    QWidget& Ecra() { return Child().Ecra(); }
    TProtoLista& List() { return Child().Document().Elements(); }
    void Tool(TTool tool) { main->Toolbar().ChooseTool(tool); }
    void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(&Ecra(), b, Qt::NoModifier, QPoint(x, y));
    }
    // Press at a, move through the midpoint to b, release at b.
    void Drag(QPoint a, QPoint b) {
        QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, a);
        QTest::mouseMove(&Ecra(), (a + b) / 2);
        QTest::mouseMove(&Ecra(), b);
        QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, b);
    }
    // The element placed by a click: the one labelled with the counter before it.
    TProtoNeuronio* Place(TTool tool, int x, int y) {
        const std::string label = std::to_string(Child().Document().Net().ElementCounter());
        Tool(tool);
        Click(x, y);
        for (const auto& e : List())
            if (e->Label() == label) return e.get();
        return nullptr;
    }
    QString Status() { return main->StatusText(); }
    template <typename T> T* Find(const char* name) {
        return main->findChild<T*>(QString::fromLatin1(name));
    }

    TScriptedPrompter* prompter = nullptr;
    std::unique_ptr<TMainForm> main;
};

} // namespace veltra
