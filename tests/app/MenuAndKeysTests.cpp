// The whole program under the mouse and the keyboard: menu clicks whose
// database step fails, focus movement through the grids, Enter on buttons.
#include "WholeGame.h"

#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"
#include "shell/Unit8.h"

#include <QApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using apptest::WaitFor;

class WholeProgram : public ::testing::Test {
  protected:
    void TearDown() override {
        program.reset();
        if (database.isValid()) {
            database.close();
            database = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        }
    }

    // Another process's connection to the program's database.
    void OpenOtherConnection() {
        database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        database.setDatabaseName(folder.DatabasePath());
        ASSERT_TRUE(database.open());
        Exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }

    void Exec(const QString& statement) {
        QSqlQuery query(database);
        ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
    }

    static void Activate(QWidget* window) {
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(WaitFor([window] { return QApplication::activeWindow() == window; }, 5000));
    }

    apptest::GameFolder folder;
    shelltest::BoxRecorder boxes;
    QSqlDatabase database;
    std::unique_ptr<shell::Program> program;
};

// The database step fails inside a real click: the error stops the handler
// (the ratings are not shown) and never travels through Qt's frames.
TEST_F(WholeProgram, RatingsClickWithAnUnreadableDatabase) {
    struct Case {
        const char* name;
        bool missing;
    };
    for (const Case c : {Case{"locked", false}, Case{"missing", true}}) {
        OpenOtherConnection();
        if (c.missing) {
            ASSERT_TRUE(QFile::remove(folder.DatabasePath()));
        }
        program = std::make_unique<shell::Program>();
        Form1->show();
        if (!c.missing)
            Exec(QStringLiteral("BEGIN EXCLUSIVE")); // readers are locked out too
        QTest::mouseClick(Form1->Label4, Qt::LeftButton);
        EXPECT_FALSE(Form7->isVisible()) << c.name;
        EXPECT_TRUE(Form1->isVisible()) << c.name;
        // The other windows still open.
        QTest::mouseClick(Form1->Label2, Qt::LeftButton);
        EXPECT_TRUE(Form2->isVisible()) << c.name;
        EXPECT_FALSE(Form1->isVisible()) << c.name;
        TearDown();
    }
}

TEST_F(WholeProgram, TabMovesBetweenTheControlsArrowsWithinTheGrid) {
    OpenOtherConnection();
    Exec(QStringLiteral("INSERT INTO PLAYERS VALUES (2, 'Анна', 5), (3, 'Борис', 4)"));
    Exec(QStringLiteral("INSERT INTO GAMES VALUES (1, '01.01.2026', 2, 3, 1, 1)"));
    program = std::make_unique<shell::Program>();
    Form1->Label4Click();
    Form7->Button2Click();
    struct Step {
        QWidget* window;
        QWidget* from;
        Qt::Key key;
        QWidget* to;
    };
    for (const Step& s : std::vector<Step>{{Form7, Form7->DBGrid, Qt::Key_Tab, Form7->Button1},
                                           {Form7, Form7->DBGrid, Qt::Key_Backtab, Form7->Button3},
                                           {Form7, Form7->Button3, Qt::Key_Tab, Form7->DBGrid},
                                           {Form8, Form8->DBGrid, Qt::Key_Tab, Form8->Button1},
                                           {Form8, Form8->DBGrid, Qt::Key_Backtab, Form8->Button2},
                                           {Form7, Form7->DBGrid, Qt::Key_Down, Form7->DBGrid}}) {
        Activate(s.window);
        s.from->setFocus();
        QTest::keyClick(s.from, s.key);
        EXPECT_EQ(QApplication::focusWidget(), s.to) << int(s.key);
    }
    EXPECT_EQ(Form7->DBGrid->currentIndex().row(), 1) << "the arrow moved to the next row";
}

// Every "Назад" answers Enter and Return by hiding its window.
TEST_F(WholeProgram, EnterAndReturnPressTheFocusedButton) {
    program = std::make_unique<shell::Program>();
    const std::vector<std::pair<QWidget*, QPushButton*>> backs = {
        {Form2, Form2->Button2}, {Form3, Form3->Button1}, {Form4, Form4->Button1},
        {Form5, Form5->Button1}, {Form7, Form7->Button1}, {Form8, Form8->Button1}};
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        for (const auto& [window, button] : backs) {
            window->show();
            QTest::keyClick(button, key);
            EXPECT_FALSE(window->isVisible())
                << int(key) << " " << window->windowTitle().toStdString();
        }
    }
}

} // namespace
