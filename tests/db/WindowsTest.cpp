// The registration, ratings and journal windows on the offscreen platform,
// over a real SQLite file and a real PostgreSQL server; message boxes are
// answered through the hook.
#include "RatingsFolder.h"
#include "RecordedGame.h"
#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/Outbox.h"
#include "db/ResultRecording.h"
#include "db/Unit6.h"
#include "record/MatchRecord.h"
#include "record/RecordText.h"
#include "shell/AppOptions.h"
#include "shell/DbMenuActions.h"
#include "shell/MessageBoxes.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"
#include "shell/Unit8.h"
#include "text/Win1251.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSqlQueryModel>
#include <QTest>
#include <gtest/gtest.h>

using shell::BoxKind;

namespace {

struct Box {
    BoxKind kind;
    QString caption;
    QString text;
};

// Sends one key press (and release) as typing it would.
void Key(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
    for (QChar c : text)
        Key(w, c.isLetter() ? int(c.toUpper().unicode()) : int(c.unicode()), QString(c));
}

void Backspace(QWidget* w) {
    Key(w, Qt::Key_Backspace, QStringLiteral("\b"));
}

// The widgets Tab visits from the first one, in order.
QList<QWidget*> TabChain(QWidget* first) {
    QList<QWidget*> chain{first};
    for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w;
    return chain;
}

// Every case of the suite runs on both engines.
struct WindowsTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    std::unique_ptr<db::TDModule> dm;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm7> form7;
    std::unique_ptr<TForm8> form8;
    QList<Box> boxes;
    bool confirmAnswer = true;

    void SetUp() override {
        shell::SetMessageBoxHook([this](BoxKind kind, const QString& caption, const QString& text) {
            boxes << Box{kind, caption, text};
            return confirmAnswer;
        });
        shell::DialogBackground = folder.Path() + "/Dialog.bmp";
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        picture.save(shell::DialogBackground, "BMP");
        folder.AddPlayer(2, "Анна", 3);
        folder.AddPlayer(3, "Борис", 5);
        folder.AddPlayer(4, "Вера", 3);
        folder.AddGame(1, 2, 3, 2, 2);
        folder.AddGame(2, 3, 1, 4, 1);
        folder.AddGame(3, 4, 2, 1, 1);
        Create();
    }
    void Create() {
        dm = std::make_unique<db::TDModule>(folder.Path(), 0);
        try {
            dm->DataModuleCreate();
        } catch (const db::DbError&) {
        }
        form5 = std::make_unique<TForm5>(*dm);
        form7 = std::make_unique<TForm7>(*dm);
        form8 = std::make_unique<TForm8>(*dm);
        Form7 = form7.get();
        Form8 = form8.get();
    }
    void TearDown() override {
        form8.reset();
        form7.reset();
        form5.reset();
        dm.reset();
        shell::SetMessageBoxHook(nullptr);
        shell::DialogBackground.clear();
        shell::ProgramFolder.clear();
    }
    bool Server() const { return GetParam() == db::Dialect::PostgreSQL; }
    QString GridColumn(QSqlQueryModel* model, int column) {
        QStringList values;
        for (int row = 0; row < model->rowCount(); ++row)
            values << model->index(row, column).data().toString();
        return values.join(';');
    }
};

} // namespace

TEST_P(WindowsTest, RegistrationLayout) {
    EXPECT_EQ(form5->windowTitle(), "Регистрация нового игрока");
    EXPECT_EQ(form5->size(), QSize(442, 169));
    EXPECT_TRUE(form5->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form5->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form5->Edit1->geometry(), QRect(80, 40, 289, 27));
    EXPECT_EQ(form5->Button1->geometry(), QRect(24, 128, 129, 25));
    EXPECT_EQ(form5->Button2->geometry(), QRect(296, 128, 129, 25));
    EXPECT_EQ(form5->Label2->pos(), QPoint(48, 72));
    EXPECT_EQ(form5->Label3->text(), "из уже зарегистрированных игроков!");
    EXPECT_EQ(form5->Label1->font().pixelSize(), 21);
    EXPECT_EQ(shell::LabelColor(form5->Label2), QColor(0, 255, 0));
    EXPECT_FALSE(form5->Background->pixmap().isNull());
    EXPECT_EQ(TabChain(form5->Button1).mid(0, 3),
              (QList<QWidget*>{form5->Button1, form5->Edit1, form5->Button2}));
}

TEST_P(WindowsTest, RegistrationNameCheck) {
    struct Case {
        const char* typed;
        int backspaces;
        bool enabled;
    };
    const Case cases[] = {
        {"", 0, false},         {"Компьютер", 0, false}, {"компьютер", 0, true},
        {"Анна", 0, false},     {"Анна", 1, true},       {"Борисс", 1, false},
        {"Computer", 0, false}, {"Annа", 0, true},       {"иван", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        form5->OpenRegistration();
        EXPECT_TRUE(form5->isVisible());
        EXPECT_FALSE(form5->Button2->isEnabled());
        Type(form5->Edit1, c.typed);
        for (int i = 0; i < c.backspaces; ++i)
            Backspace(form5->Edit1);
        EXPECT_EQ(form5->Button2->isEnabled(), c.enabled);
    }
    EXPECT_TRUE(boxes.isEmpty());
}

// The computers' names in the lists are nobody's to register, letter for
// letter; the engine's cannot even be typed (the filter drops its space).
TEST(Registration, TheComputersNamesAreNotFree) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},         {"Компьютер", false},     {"GNU Backgammon", false},
        {"компьютер", true}, {"gnu backgammon", true}, {"GNUBackgammon", true},
        {"Анна", true},      {"GNU Backgammon ", true},
    };
    for (const auto& [name, free] : cases)
        EXPECT_EQ(TForm5::FreeName(QString::fromUtf8(name)), free) << name;
}

TEST_P(WindowsTest, RegistrationFilterForTypedAndPastedText) {
    form5->OpenRegistration();
    Type(form5->Edit1, "Aa[`z");
    EXPECT_EQ(form5->Edit1->text(), "Aa[`z");
    form5->Edit1->clear();
    Type(form5->Edit1, "Ив 1'а-нЁё.");
    EXPECT_EQ(form5->Edit1->text(), "Иван");
    Key(form5->Edit1, Qt::Key_V, QString(QChar(22)), Qt::ControlModifier); // Ctrl+V is dropped
    EXPECT_EQ(form5->Edit1->text(), "Иван");
    form5->Edit1->clear();
    QApplication::clipboard()->setText("O'Brien 2nd");
    form5->Edit1->paste();
    form5->Edit1->insert(" Пётр;");
    EXPECT_EQ(form5->Edit1->text(), "OBrienndПтр");
    form5->Edit1->setText("Иван Грозный");
    EXPECT_EQ(form5->Edit1->text(), "ИванГрозный");
    form5->Edit1->clear();
    QApplication::clipboard()->setText(QString(40000, QChar('a')));
    form5->Edit1->paste(); // no length limit
    EXPECT_EQ(form5->Edit1->text().size(), 40000);

    QChar key('7');
    form5->Edit1KeyPress(key);
    EXPECT_EQ(key, QChar(0));
    key = QChar(8);
    form5->Edit1KeyPress(key);
    EXPECT_EQ(key, QChar(8));
    for (int code : {64, 65, 122, 123, 168, 184, 191, 192, 255}) {
        SCOPED_TRACE(code);
        const bool admitted = (code >= 65 && code <= 122) || code >= 192;
        const QChar c = text::FromWin1251(QByteArray(1, char(code))).at(0);
        EXPECT_EQ(TForm5::IsNameChar(c), admitted);
    }
}

TEST_P(WindowsTest, RegistrationAddsThePlayerAndTellsTheRule) {
    form5->OpenRegistration();
    Type(form5->Edit1, "Глеб");
    ASSERT_TRUE(form5->Button2->isEnabled());
    form5->Button2->click();
    EXPECT_EQ(folder.Rows("SELECT * FROM PLAYERS WHERE P_NAME = 'Глеб'"), "5|Глеб|0");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[0].caption, "Вертан");
    EXPECT_EQ(boxes[0].text,
              "Новому игроку для участия в турнире необходимо победить компьютер 3 раза подрят!");
    EXPECT_FALSE(form5->isVisible());
    EXPECT_EQ(form5->Edit1->text(), "Глеб");
    EXPECT_TRUE(form5->Button2->isEnabled());
}

TEST_P(WindowsTest, FirstPlayerOfAnEmptyDatabaseGetsCodeTwo) {
    folder.Exec("DELETE FROM GAMES");
    folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
    form5->OpenRegistration();
    Type(form5->Edit1, "Гость");
    form5->Button2->click();
    EXPECT_EQ(folder.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"), "1|Computer|0;2|Гость|0");
    EXPECT_EQ(form7->GenID("PLAYERS"), "3");
}

TEST_P(WindowsTest, FailedRegistrationIsToldAndStaysOpen) {
    form5->OpenRegistration();
    Type(form5->Edit1, "Глеб");
    if (Server()) {
        folder.Exec("CREATE FUNCTION NO_PLAYERS() RETURNS trigger LANGUAGE plpgsql "
                    "AS $$BEGIN RAISE EXCEPTION 'no'; END$$");
        folder.Exec("CREATE TRIGGER NO_PLAYERS BEFORE INSERT ON PLAYERS "
                    "FOR EACH ROW EXECUTE FUNCTION NO_PLAYERS()");
    } else {
        folder.Exec("CREATE TRIGGER NO_PLAYERS BEFORE INSERT ON PLAYERS "
                    "BEGIN SELECT RAISE(ABORT, 'no'); END");
    }
    form5->Button2->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(boxes[0].text.startsWith("Игрок не зарегистрирован!\n")) << qPrintable(boxes[0].text);
    EXPECT_FALSE(boxes[0].text.contains("уже зарегистрированных")) << qPrintable(boxes[0].text);
    EXPECT_TRUE(form5->isVisible());
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM PLAYERS").toInt(), 4);
}

// Another launcher registers the same name between the check and the click.
TEST_P(WindowsTest, NameRegisteredMeanwhileIsToldInTheProgramsWords) {
    form5->OpenRegistration();
    Type(form5->Edit1, "Глеб");
    ASSERT_TRUE(form5->Button2->isEnabled());
    folder.AddPlayer(5, "Глеб", 0);
    form5->Button2->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes[0].text, "Игрок не зарегистрирован!\nВы не можете ввести имя одного из уже "
                             "зарегистрированных игроков!");
    EXPECT_TRUE(form5->isVisible());
    EXPECT_FALSE(form5->Button2->isEnabled());
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM PLAYERS WHERE P_NAME = 'Глеб'").toInt(), 1);
}

TEST_P(WindowsTest, RegistrationOpensWithTheFocusInTheName) {
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        form5->OpenRegistration();
        // The focus arrives with the window's activation.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == form5->Edit1; }));
        // Keys go to the window as a keyboard sends them, and land in the name.
        for (char c : QByteArray("gleb"))
            QTest::keyClick(form5->windowHandle(), c);
        EXPECT_EQ(form5->Edit1->text(), "gleb");
        form5->Button2->setFocus(); // where the user may leave it before "Назад"
        form5->Button1->click();
        form7->OpenRatings(); // another window is active in between
        ASSERT_TRUE(QTest::qWaitForWindowActive(form7.get()));
    }
    EXPECT_EQ(TabChain(form5->Button1).mid(0, 3),
              (QList<QWidget*>{form5->Button1, form5->Edit1, form5->Button2}));
}

TEST_P(WindowsTest, RegistrationEnterPressesAnEnabledRegisterButton) {
    struct Case {
        const char* typed;
        int key;
        bool registers;
    };
    const Case cases[] = {{"", Qt::Key_Return, false},
                          {"Анна", Qt::Key_Return, false},
                          {"Компьютер", Qt::Key_Enter, false},
                          {"Глеб", Qt::Key_Return, true},
                          {"Дина", Qt::Key_Enter, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        boxes.clear();
        const int players = folder.Scalar("SELECT COUNT(*) FROM PLAYERS").toInt();
        form5->OpenRegistration();
        Type(form5->Edit1, c.typed);
        Key(form5->Edit1, c.key, QStringLiteral("\r"));
        EXPECT_EQ(form5->Edit1->text(), c.typed);
        EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM PLAYERS").toInt(), players + c.registers);
        EXPECT_EQ(boxes.size(), c.registers ? 1 : 0);
        EXPECT_EQ(form5->isVisible(), !c.registers);
    }
}

TEST_P(WindowsTest, RegistrationCtrlASelectsTheWholeName) {
    form5->OpenRegistration();
    Type(form5->Edit1, "Иван");
    Key(form5->Edit1, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    EXPECT_EQ(form5->Edit1->selectedText(), "Иван");
    Type(form5->Edit1, "Пётр"); // replaces the selection, still filtered
    EXPECT_EQ(form5->Edit1->text(), "Птр");
    // Other control characters stay dropped.
    Key(form5->Edit1, Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
    EXPECT_EQ(form5->Edit1->text(), "Птр");
}

TEST_P(WindowsTest, JournalColumnsFitBesideTheVerticalScrollBar) {
    for (int code = 4; code <= 40; ++code)
        folder.AddGame(code, 2 + code % 3, 1);
    form7->OpenRatings();
    form7->Button2->click();
    const QScrollBar* vertical = form8->DBGrid->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([vertical] { return vertical->isVisible(); }));
    // The horizontal range follows the viewport at once; no scroll bar needed.
    EXPECT_EQ(form8->DBGrid->horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(form8->DBGrid->horizontalScrollBar()->isVisible());
}

TEST_P(WindowsTest, RatingsListAndLayout) {
    form7->OpenRatings();
    EXPECT_TRUE(form7->isVisible());
    EXPECT_EQ(form7->size(), QSize(416, 300));
    EXPECT_TRUE(form7->Button2->isEnabled());
    EXPECT_TRUE(form7->Button3->isEnabled());
    QSqlQueryModel* model = dm->DataSource1();
    EXPECT_EQ(GridColumn(model, form7->DBGrid->ColumnOf("P_NAME")), "Борис;Анна;Вера");
    auto* titles = static_cast<shell::TGridHeader*>(form7->DBGrid->horizontalHeader());
    EXPECT_EQ(titles->Titles, (QStringList{"НОМЕР ИГРОКА", "ИМЯ ИГРОКА", "ОЧКИ"}));
    EXPECT_EQ(form7->DBGrid->columnWidth(1), 187);
    EXPECT_EQ(form7->DBGrid->geometry(), QRect(8, 40, 401, 161));
    EXPECT_EQ(form7->DBGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(form7->DBGrid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(form7->DBGrid->palette().color(QPalette::Base), QColor(192, 220, 192));
    EXPECT_EQ(form7->DBGrid->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(form7->DBGrid->verticalHeader()->isVisible()); // the row indicator
    EXPECT_EQ(TabChain(form7->Button2).mid(0, 4),
              (QList<QWidget*>{form7->Button2, form7->Button3, form7->DBGrid, form7->Button1}));
    form7->Button1->click();
    EXPECT_FALSE(form7->isVisible());
}

TEST_P(WindowsTest, RatingsAndJournalTexts) {
    EXPECT_EQ(form7->windowTitle(), "Рейтинги игроков");
    EXPECT_EQ(form7->Label1->text(), "Список всех зарегистрированных игроков");
    EXPECT_EQ(form7->Label1->pos(), QPoint(10, 10));
    EXPECT_EQ(form7->Label1->font().pixelSize(), 19);
    EXPECT_EQ(shell::LabelColor(form7->Label1), QColor(255, 255, 0));
    const QList<std::pair<QPushButton*, QString>> buttons{{form7->Button2, "Журнал игр"},
                                                          {form7->Button3, "Информация об игроке"},
                                                          {form7->Button1, "Назад"},
                                                          {form8->Button2, "Очистить журнал"},
                                                          {form8->Button1, "Назад"}};
    for (const auto& [button, text] : buttons)
        EXPECT_EQ(button->text(), text);
    EXPECT_EQ(form7->Button2->geometry(), QRect(8, 216, 185, 25));
    EXPECT_EQ(form7->Button3->geometry(), QRect(224, 216, 185, 25));
    EXPECT_EQ(form7->Button1->geometry(), QRect(152, 256, 113, 25));

    EXPECT_EQ(form8->windowTitle(), "Журнал игр");
    EXPECT_EQ(form8->size(), QSize(552, 330));
    EXPECT_TRUE(form8->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form8->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form8->DBGrid->geometry(), QRect(8, 40, 537, 201));
    EXPECT_EQ(form8->Button2->geometry(), QRect(208, 256, 137, 25));
    EXPECT_EQ(form8->Button1->geometry(), QRect(208, 288, 137, 25));
    EXPECT_EQ(TabChain(form8->DBGrid).mid(0, 3),
              (QList<QWidget*>{form8->DBGrid, form8->Button1, form8->Button2}));
    form7->OpenRatings();
    form7->Button2->click();
    struct Column {
        const char* field;
        const char* title;
        int width;
    };
    const Column columns[] = {{"G_GAMEDATE", "Дата", 64},
                              {"P_NAME", "Победитель", 111},
                              {"P_NAME1", "Проигравший", 131},
                              {"G_SUPER", "Превосходство", 109},
                              {"G_POINTS", "Награда", 68}};
    auto* titles = static_cast<shell::TGridHeader*>(form8->DBGrid->horizontalHeader());
    for (const Column& c : columns) {
        SCOPED_TRACE(c.field);
        const int logical = form8->DBGrid->ColumnOf(c.field);
        EXPECT_EQ(titles->Titles.value(logical), c.title);
        EXPECT_EQ(form8->DBGrid->columnWidth(logical), c.width);
    }
    form8->Button1->click(); // "Назад" hides the journal only
    EXPECT_FALSE(form8->isVisible());
    EXPECT_TRUE(form7->isVisible());
    form7->Button2->click();
    form7->Button1->click(); // and the ratings' leaves the journal open
    EXPECT_FALSE(form7->isVisible());
    EXPECT_TRUE(form8->isVisible());
}

TEST_P(WindowsTest, RatingsWithoutPlayersDisableTheJournalButtons) {
    folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
    form7->OpenRatings();
    EXPECT_TRUE(form7->isVisible());
    EXPECT_EQ(dm->DataSource1()->rowCount(), 0);
    EXPECT_FALSE(form7->Button2->isEnabled());
    EXPECT_FALSE(form7->Button3->isEnabled());
}

TEST_P(WindowsTest, JournalOfAllGamesAndOfOnePlayer) {
    form7->OpenRatings();
    form7->move(100, 120);
    form7->Button2->click();
    EXPECT_TRUE(form8->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), form8.get()); // shown in front, with the focus
    EXPECT_EQ(form8->Label1->text(), "Список всех игр");
    EXPECT_EQ(form8->pos(), form7->pos() + QPoint(40, 40));
    EXPECT_TRUE(form8->JournalPlayerCode.isEmpty());
    QSqlQueryModel* games = dm->DataSource2();
    EXPECT_EQ(GridColumn(games, form8->DBGrid->ColumnOf("P_NAME1")), "Борис;Computer;Анна");
    EXPECT_TRUE(form8->DBGrid->isColumnHidden(form8->DBGrid->ColumnOf("G_CODE")));
    auto* titles = static_cast<shell::TGridHeader*>(form8->DBGrid->horizontalHeader());
    EXPECT_EQ(titles->Titles.value(form8->DBGrid->ColumnOf("P_NAME1")), "Проигравший");

    // Without a click the first (highest) player is used; then a selected row.
    form7->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), form7.get());
    form7->Button3->click();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), form8.get()); // an open journal comes to the front
    EXPECT_EQ(form8->Label1->text(), "Список всех игр игрока Борис");
    EXPECT_EQ(form8->JournalPlayerCode, "3");
    EXPECT_EQ(GridColumn(games, 0), "1;2");
    form7->DBGrid->selectRow(2);
    form7->Button3->click();
    EXPECT_EQ(form8->Label1->text(), "Список всех игр игрока Вера");
    EXPECT_EQ(GridColumn(games, 0), "3");
    form7->Button2->click();
    EXPECT_TRUE(form8->JournalPlayerCode.isEmpty());
}

// Registration's transaction closes the journal's query; an open journal
// window shows its rows again afterwards, whether the registration worked.
TEST_P(WindowsTest, OpenJournalKeepsItsRowsThroughARegistration) {
    const struct {
        const char* name;
        bool journalOpen;
        bool lockHeld; // another writer holds the lock: the registration fails
    } cases[] = {{"Глеб", true, false}, {"Дина", true, true}, {"Егор", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form8->hide();
        dm->IBGames.Close();
        if (c.journalOpen) {
            form7->OpenRatings();
            form7->Button2->click();
        }
        form5->OpenRegistration();
        Type(form5->Edit1, c.name);
        if (c.lockHeld)
            folder.HoldWriteLock();
        form5->Button2->click();
        if (c.lockHeld)
            folder.Exec("ROLLBACK");
        EXPECT_EQ(dm->IBGames.Active(), c.journalOpen);
        EXPECT_EQ(GridColumn(dm->DataSource2(), 0), c.journalOpen ? "1;2;3" : "");
    }
}

TEST_P(WindowsTest, ClearingTheJournal) {
    form7->OpenRatings();
    form7->DBGrid->selectRow(1); // Анна: games 1 and 3
    form7->Button3->click();
    confirmAnswer = false;
    form8->Button2->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Confirm);
    EXPECT_EQ(boxes[0].caption, "Confirm");
    EXPECT_EQ(boxes[0].text, "Вы действительно хотите очистить журнал?");
    EXPECT_EQ(folder.Rows("SELECT G_CODE FROM GAMES ORDER BY G_CODE"), "1;2;3");
    confirmAnswer = true;
    form8->Button2->click();
    EXPECT_EQ(folder.Rows("SELECT G_CODE FROM GAMES ORDER BY G_CODE"), "2");
    EXPECT_EQ(dm->DataSource2()->rowCount(), 0); // the grid stays empty until reopened
    EXPECT_EQ(dm->IBPlayers.RecNo(), 1);          // the ratings keep their row
    EXPECT_EQ(folder.Rows("SELECT P_POINTS FROM PLAYERS ORDER BY P_CODE"), "0;3;5;3");
    form7->Button2->click();
    form8->Button2->click();
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 0);
}

// A journal row offers its game when the archive has its record: to save in
// the format the file's type names, and to view in the board client.
TEST_P(WindowsTest, JournalRowsOfferTheirRecordedGames) {
    const record::GameRecord game =
        selfplay::RecordedGame(record::StandardStart(), 5, "Борис", "Компьютер");
    const QString text = record::RecordText(game, game.StartTime());
    db::StoreRecord(*dm, "2", {QString(), text});
    // Game 3 was a match: its row saves the whole match.
    record::MatchGame matchGame;
    matchGame.game = game;
    record::SettleGame(matchGame);
    const QString matchText =
        record::MatchText({3, "Борис", "Компьютер", {matchGame}}, game.StartTime());
    db::StoreRecord(*dm, "3", {QString(), matchText});
    form7->OpenRatings();
    form7->Button2->click(); // all games: codes 1, 2, 3
    const auto unrecorded = form8->GameMenu(0);
    const auto before = unrecorded->actions();
    ASSERT_GE(before.size(), 2);
    EXPECT_EQ(before[0]->text(), "Просмотреть партию");
    EXPECT_EQ(before[1]->text(), "Сохранить партию…");
    for (QAction* action : before)
        EXPECT_FALSE(action->isEnabled()) << "a game recorded before the archive";
    const auto menu = form8->GameMenu(1);
    for (QAction* action : menu->actions())
        EXPECT_TRUE(action->isEnabled());

    proc::Board asked{};
    const QString sgf = folder.Path() + "/saved.sgf";
    form8->AskGamePath = [&](const record::GameRecord& offered) {
        return asked = offered.Board(), sgf;
    };
    menu->actions()[1]->trigger();
    EXPECT_EQ(asked, game.Board()); // the row's game, read back
    QFile saved(sgf);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("(;FF[4]GM[6]"));
    const QString mat = folder.Path() + "/match.mat";
    form8->AskGamePath = [&](const record::GameRecord& offered) {
        return asked = offered.Board(), mat;
    };
    form8->GameMenu(2)->actions()[1]->trigger();
    QFile savedMatch(mat);
    ASSERT_TRUE(savedMatch.open(QIODevice::ReadOnly));
    EXPECT_TRUE(savedMatch.readAll().contains("\n 3 point match\n")) << "the whole match";

    // The board client named in the options starts on the game, in the program folder.
    const QString told = folder.Path() + "/client-args";
    QFile client(folder.Path() + "/client");
    ASSERT_TRUE(client.open(QIODevice::WriteOnly));
    client.write("#!/bin/sh\n{ pwd; echo \"$1\"; cat \"$2\"; } > " + told.toUtf8() + ".part\n"
                 "mv " + told.toUtf8() + ".part " + told.toUtf8() + "\n");
    client.close();
    client.setPermissions(client.permissions() | QFile::ExeOwner);
    shell::ProgramFolder = folder.Path();
    shell::ClientPath = "client";
    menu->actions()[0]->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(told), 20000);
    QFile args(told);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), folder.Path() + "\n--open\n" + text);
    // The client is handed the match's text: it shows the match's first game.
    args.close();
    QFile::remove(told);
    form8->GameMenu(2)->actions()[0]->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(told), 20000);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), folder.Path() + "\n--open\n" + matchText);
    EXPECT_TRUE(boxes.isEmpty());
    shell::ClientPath.clear();
}

TEST_P(WindowsTest, FailingStatementsLeaveWindowsAsTheyWere) {
    form7->OpenRatings();
    folder.Exec("ALTER TABLE GAMES RENAME TO OLD_GAMES");
    form7->Button2->click();
    EXPECT_FALSE(form8->isVisible());
    folder.Exec("ALTER TABLE PLAYERS RENAME TO OLD_PLAYERS");
    form7->hide();
    EXPECT_THROW(form7->OpenRatings(), db::DbError);
    EXPECT_FALSE(form7->isVisible());
    EXPECT_TRUE(form7->Button2->isEnabled());
    EXPECT_TRUE(boxes.isEmpty());
}

// On the server the database is there without its tables.
TEST_P(WindowsTest, MissingDatabaseShowsNothingAndCreatesNothing) {
    form8.reset();
    form7.reset();
    form5.reset();
    dm.reset();
    if (Server()) {
        for (const char* table : {"CORRECTIONS", "TOURNAMENT_PAIRINGS", "TOURNAMENT_ENTRIES",
                                  "TOURNAMENTS"})
            folder.Exec(QStringLiteral("DROP TABLE ") + table);
        folder.Exec("DROP TABLE GAME_RECORDS");
        folder.Exec("DROP TABLE GAMES");
        folder.Exec("DROP TABLE PLAYERS");
    } else {
        folder.Connection().close();
        ASSERT_TRUE(QFile::remove(folder.DatabaseFile()));
        QFile::remove(folder.DatabaseFile() + "-wal");
        QFile::remove(folder.DatabaseFile() + "-shm");
    }
    shell::ProgramFolder = folder.Path();
    std::vector<std::unique_ptr<QObject>> objects;
    shell::CreateDatabaseObjects(objects);
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_THROW(shell::OpenRatings(), db::DbError);
    EXPECT_FALSE(Form7->isVisible());
    shell::OpenRegistration();
    Type(Form5->Edit1, "Глеб");
    EXPECT_FALSE(Form5->Button2->isEnabled());
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.DatabaseFile()));
    if (Server()) {
        EXPECT_EQ(folder.Rows("SELECT table_name FROM information_schema.tables "
                              "WHERE table_schema = 'public'"),
                  "");
    }
    while (!objects.empty())
        objects.pop_back();
    EXPECT_EQ(Form5, nullptr);
    EXPECT_EQ(db::DModule, nullptr);
}

TEST_P(WindowsTest, UnreachableServerAtStartUpIsOneNoticeThenNoDatabase) {
    form8.reset();
    form7.reset();
    form5.reset();
    dm.reset();
    QFile config(folder.Path() + "/Data/Database.cfg");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("postgresql\nhost=/nonexistent-vertan-club port=5998 dbname=club\n");
    config.close();
    shell::ProgramFolder = folder.Path();
    std::vector<std::unique_ptr<QObject>> objects;
    shell::CreateDatabaseObjects(objects);
    ASSERT_EQ(objects.size(), 4u);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[0].caption, "Вертан");
    EXPECT_TRUE(boxes[0].text.contains("/nonexistent-vertan-club/.s.PGSQL.5998")) << boxes[0].text.toStdString();
    // Then every step stops, telling once that the server is away; the file is not used.
    const QString away = "Нет связи с базой данных игроков: ";
    EXPECT_NO_THROW(shell::OpenRatings());
    EXPECT_FALSE(Form7->isVisible());
    shell::OpenRegistration();
    Type(Form5->Edit1, "Глеб");
    EXPECT_FALSE(Form5->Button2->isEnabled());
    shell::RecordGameResult(1, "Гость", "Компьютер", true, false);
    ASSERT_EQ(boxes.size(), 5); // then the announcement and the result kept for later
    EXPECT_TRUE(boxes[1].text.startsWith(away)) << boxes[1].text.toStdString();
    EXPECT_EQ(boxes[2].text, boxes[1].text); // one box for the whole name typed
    EXPECT_EQ(boxes[4].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[4].text, db::QueuedText);
    EXPECT_EQ(db::Outbox(folder.Path()).Pending().size(), 1u);
    for (const Box& box : boxes)
        EXPECT_FALSE(box.text.section('\n', 1).contains('\t')) << box.text.toStdString();
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM PLAYERS").toInt(), 4);
}

TEST_P(WindowsTest, MissingBackgroundIsSilent) {
    form8.reset();
    form7.reset();
    form5.reset();
    shell::DialogBackground = folder.Path() + "/missing.jpg";
    Create();
    EXPECT_TRUE(form5->Background->pixmap().isNull());
    EXPECT_TRUE(boxes.isEmpty());
    form7->OpenRatings();
    EXPECT_TRUE(form7->isVisible());
}

TEST_P(WindowsTest, StartUpObjectsRecordThroughNotices) {
    shell::ProgramFolder = folder.Path();
    std::vector<std::unique_ptr<QObject>> objects;
    shell::CreateDatabaseObjects(objects);
    shell::RecordGameResult(-1, "Вера", "Компьютер", true, false);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[0].text, "Вера победил Компьютер с преимуществом в 1 фишек (фишку)!");
    EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 4").toInt(), 4);
}

// A closed query leaves the designed columns and titles, with no rows; the
// corner cell is painted like the other title cells.
TEST_P(WindowsTest, ClosedQueryKeepsTheTitles) {
    struct Case {
        shell::TDBGrid* grid;
        db::TQuery* query;
        QStringList titles;
    };
    const std::vector<Case> cases = {
        {form7->DBGrid, &dm->IBPlayers, {"НОМЕР ИГРОКА", "ИМЯ ИГРОКА", "ОЧКИ"}},
        {form8->DBGrid,
         &dm->IBGames,
         {"Дата", "Победитель", "Проигравший", "Превосходство", "Награда"}},
    };
    for (const Case& c : cases) {
        c.query->Close();
        auto* header = static_cast<shell::TGridHeader*>(c.grid->horizontalHeader());
        QStringList shown;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!c.grid->isColumnHidden(logical))
                shown << header->Titles.value(logical);
        }
        EXPECT_EQ(shown, c.titles);
        EXPECT_EQ(c.grid->model()->rowCount(), 0);
        c.grid->resize(300, 100);
        const QImage image = c.grid->grab().toImage();
        const QPoint corner(c.grid->verticalHeader()->width() / 2,
                            c.grid->horizontalHeader()->height() / 2);
        EXPECT_EQ(image.pixelColor(corner), QColor(166, 202, 240));
    }
    // Opened again, the rows come back under the same titles.
    form7->OpenRatings();
    EXPECT_EQ(form7->DBGrid->model()->rowCount(), 3);
    EXPECT_EQ(GridColumn(dm->DataSource1(), form7->DBGrid->ColumnOf("P_NAME")), "Борис;Анна;Вера");
}

// Among equal points names go in Russian alphabetical order, ignoring case,
// with "Ё" beside "Е"; the exact text breaks ties.
TEST_P(WindowsTest, RatingsOrderNamesAsAReaderExpects) {
    folder.Exec("DELETE FROM GAMES");
    folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
    int code = 2;
    for (const char* name :
         {"ёж", "Ель", "Ежевика", "Ёж", "Жанна", "анна", "Анна", "Яна", "Евгений"})
        folder.AddPlayer(code++, QString::fromUtf8(name), 3);
    folder.AddPlayer(code++, "Борис", 7);
    form7->OpenRatings();
    EXPECT_EQ(GridColumn(dm->DataSource1(), form7->DBGrid->ColumnOf("P_NAME")),
              "Борис;Анна;анна;Евгений;Ёж;ёж;Ежевика;Ель;Жанна;Яна");
}

INSTANTIATE_TEST_SUITE_P(Engines, WindowsTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

namespace {

// A result that can never be recorded (its player is gone) is set aside, and
// a file that cannot be read stays where it is: the user is told of each in
// the window, once, and the other results still go in.
TEST_P(WindowsTest, ResultsThatCannotBeRecordedAreToldInTheWindowOnce) {
    shell::ProgramFolder = folder.Path();
    db::DModule = dm.get();
    db::Outbox outbox(folder.Path());
    QString error;
    ASSERT_TRUE(outbox.Put({"id-gone", -1, "Никто", "Компьютер", true, false, "01.12.2026", "x"},
                           error));
    ASSERT_TRUE(outbox.Put({"id-vera", -1, "Вера", "Компьютер", true, false, "01.12.2026", "x"},
                           error));
    QFile unreadable(folder.Path() + "/Data/Outbox/19990101T000000000-bad.result");
    ASSERT_TRUE(unreadable.open(QIODevice::WriteOnly));
    unreadable.write("{ not json");
    unreadable.close();

    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
    ASSERT_EQ(boxes.size(), 2) << (boxes.isEmpty() ? "" : boxes[0].text.toStdString());
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(boxes[0].text.startsWith("Результаты, которые нельзя записать, отложены"))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains("Игрок «Никто» не зарегистрирован в базе данных.")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains("19990101T000000000-bad.result"));
    EXPECT_EQ(boxes[1].text, "Анна победил Компьютер с преимуществом в 1 фишек (фишку)!");
    EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 4").toInt(), 4);
    EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2").toInt(), 4);

    // The unreadable file is still there: not told again.
    boxes.clear();
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Notice);
}

} // namespace
