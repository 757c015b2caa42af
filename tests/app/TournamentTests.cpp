// The tournament window over the program folder's database: a tournament
// made and started from the window, a pairing's game played through the
// board client into the journal and the pairing, claims, forfeits and
// withdrawals as the director records them.
#include "WholeGame.h"

#include "db/TournamentStore.h"
#include "db/Unit6.h"
#include "game/GamePorts.h"
#include "proc/proc.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit9.h"

#include "common/SqlRows.h"
#include <QTimer>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

using apptest::WaitFor;

class NoPause : public game::IPause {
  public:
    void Wait(int) override {}
};

// The program folder's database on a connection of the test's own.
struct CheckConnection {
    explicit CheckConnection(const QString& path) {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        database.setDatabaseName(path);
        EXPECT_TRUE(database.open());
    }
    ~CheckConnection() {
        QSqlDatabase::database(Name, false).close();
        QSqlDatabase::removeDatabase(Name);
    }
    QString Rows(const QString& statement) const {
        return testcommon::SqlRows(QSqlDatabase::database(Name, false), statement);
    }
    inline static const QString Name = QStringLiteral("tournament-check");
};

class Tournament : public ::testing::Test {
  protected:
    void SetUp() override {
        Exec("INSERT INTO PLAYERS VALUES (2, 'Anna', 7), (3, 'Boris', 5), (4, 'Vera', 4), "
             "(5, 'Gena', 2)");
        program = std::make_unique<shell::Program>();
        Form2->SetPause(pause);
        Form2->Timer->setInterval(1);
        Form1->Label8Click();
        ASSERT_TRUE(Form9->isVisible());
        ASSERT_FALSE(Form1->isVisible());
    }
    void TearDown() override {
        program.reset();
        proc::SetDiceClock({});
    }
    void Exec(const QString& statement) { check.Rows(statement); }
    QString Rows(const QString& statement) { return check.Rows(statement); }
    // A tournament made, entered and started as the director does it.
    void MakeTournament(const QString& name, int system, const QStringList& players) {
        Form9->Edit1->setText(name);
        Form9->ComboBox2->setCurrentIndex(system);
        Form9->Button1->click();
        for (const QString& player : players) {
            Form9->ComboBox3->setCurrentText(player);
            Form9->Button2->click();
        }
        Form9->Button3->click();
    }
    QString Cell(QTableWidget* table, int row, int column) {
        return table->item(row, column) ? table->item(row, column)->text() : QString();
    }
    QString Header(QTableWidget* table, int column) {
        return table->horizontalHeaderItem(column)->text();
    }

    apptest::GameFolder folder;
    CheckConnection check{folder.DatabasePath()};
    shelltest::BoxRecorder boxes;
    NoPause pause;
    std::unique_ptr<shell::Program> program;
};

} // namespace

TEST_F(Tournament, APairingIsPlayedThroughTheBoardClientIntoTheJournalAndTheTable) {
    QStringList offered;
    for (int i = 0; i < Form9->ComboBox3->count(); ++i)
        offered << Form9->ComboBox3->itemText(i);
    EXPECT_EQ(offered, (QStringList{"Компьютер", "Anna", "Boris", "Vera"}));

    MakeTournament("Кубок <весны>", 0, {"Anna", "Boris"});
    EXPECT_EQ(boxes.Texts(), QStringList());
    EXPECT_EQ(Form9->ComboBox1->currentText(), "Кубок <весны> (Круговой)");
    ASSERT_EQ(Form9->Pairings->rowCount(), 1);
    EXPECT_EQ(Cell(Form9->Pairings, 0, 2) + "-" + Cell(Form9->Pairings, 0, 3), "Anna-Boris");
    EXPECT_EQ(Header(Form9->Table, 3), "Зоннеборн–Бергер");

    // The first named plays the first list's side, which the dice make white.
    folder.Write("Data/Board.cfg", apptest::WhiteWinsAtOnce(2));
    folder.WriteClient();
    apptest::FirstListPlaysWhite(true);
    // A match chosen in the new-game dialog does not make a pairing one.
    Form2->ComboBox4->setCurrentIndex(Form2->ComboBox4->findText("Матч до 3"));
    Form9->Pairings->selectRow(0);
    Form9->Button4->click();
    EXPECT_FALSE(Form9->isVisible());
    ASSERT_TRUE(WaitFor([] { return Form9->isVisible(); }));
    EXPECT_EQ(boxes.Texts(), QStringList{"Anna победил Boris с преимуществом в 2 фишек (фишку)!"});
    EXPECT_EQ(Rows("SELECT G_CODE, G_WINPLAYER, G_LOSEPLAYER FROM GAMES"), "1|2|3");
    EXPECT_EQ(Rows("SELECT N_WINNER, N_GAME FROM TOURNAMENT_PAIRINGS"), "1|1");
    EXPECT_EQ(Cell(Form9->Pairings, 0, 4), "1:0");
    EXPECT_EQ(Cell(Form9->Table, 0, 1) + " " + Cell(Form9->Table, 0, 2), "Anna 1");
    EXPECT_EQ(Cell(Form9->Cross, 0, 2), "1");
    EXPECT_EQ(Cell(Form9->Cross, 1, 1), "0");
}

TEST_F(Tournament, ClaimsForfeitsAndWithdrawalsFromTheWindow) {
    MakeTournament("Швейцарка", 1, {"Anna", "Boris", "Vera", "Компьютер"});
    EXPECT_EQ(Header(Form9->Table, 3), "Бухгольц");
    ASSERT_EQ(Form9->Pairings->rowCount(), 2);
    // Another computer is playing board 1.
    Exec("UPDATE TOURNAMENT_PAIRINGS SET N_CLAIM = 'зал-2' WHERE N_BOARD = 1");
    Form9->Pairings->selectRow(0);
    Form9->Button4->click();
    EXPECT_EQ(boxes.Texts(), QStringList{"Эта пара уже играется на другом компьютере."});
    EXPECT_EQ(Cell(Form9->Pairings, 0, 5), "зал-2");
    // It crashed: the claim is freed after the question, then the first did not come.
    boxes.boxes.clear();
    Form9->Pairings->selectRow(0);
    Form9->Button8->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(Rows("SELECT COALESCE(N_CLAIM, '-') FROM TOURNAMENT_PAIRINGS WHERE N_BOARD = 1"),
              "-");
    Form9->Pairings->selectRow(0);
    Form9->Button5->click();
    EXPECT_EQ(Cell(Form9->Pairings, 0, 4), "0:1 (неявка)");

    // A client that cannot be started frees the claim it took.
    folder.WriteOptions("./missing-client");
    program.reset();
    program = std::make_unique<shell::Program>();
    Form1->Label8Click();
    Form9->Pairings->selectRow(1);
    Form9->Button4->click();
    EXPECT_TRUE(Form9->isVisible());
    EXPECT_EQ(Rows("SELECT COALESCE(N_CLAIM, '-') FROM TOURNAMENT_PAIRINGS WHERE N_BOARD = 2"),
              "-");

    // Vera withdraws from board 2: the computer wins it, and round 2 is
    // paired: Boris and the computer lead, Anna has the bye.
    boxes.boxes.clear();
    for (int row = 0; row < Form9->Table->rowCount(); ++row)
        if (Cell(Form9->Table, row, 1) == "Vera")
            Form9->Table->selectRow(row);
    Form9->Button7->click();
    EXPECT_EQ(boxes.boxes.size(), 1u) << "asked first";
    EXPECT_EQ(Rows("SELECT N_ROUND, N_BOARD, N_FIRST, N_SECOND, N_WINNER, N_FORFEIT "
                   "FROM TOURNAMENT_PAIRINGS ORDER BY N_ROUND, N_BOARD"),
              "1|1|1|2|2|1;1|2|3|4|4|1;2|1|2|4||0;2|2|1||1|0");
    EXPECT_EQ(Form9->Pairings->rowCount(), 4);
    EXPECT_EQ(Cell(Form9->Table, 3, 1), "Vera (выбыл)");
}

// A game whose result is neither recorded nor kept leaves its pairing to be
// played again: the claim goes back, nothing is decided.
TEST_F(Tournament, APairingWhoseResultIsLostIsFreedAgain) {
    MakeTournament("Кубок", 0, {"Anna", "Boris"});
    Exec("CREATE TRIGGER refuse BEFORE INSERT ON GAMES BEGIN SELECT RAISE(ABORT, 'refused'); END");
    folder.Write("Data/Outbox", "a file where the outbox's folder would be");
    folder.Write("Data/Board.cfg", apptest::WhiteWinsAtOnce(2));
    folder.WriteClient();
    apptest::FirstListPlaysWhite(true);
    Form9->Pairings->selectRow(0);
    Form9->Button4->click();
    ASSERT_TRUE(WaitFor([] { return Form9->isVisible(); }));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM GAMES"), "0");
    ASSERT_TRUE(boxes.Texts().last().startsWith("Результат игры не записан")) << "told";
    EXPECT_EQ(Rows("SELECT COALESCE(N_CLAIM, '-'), COALESCE(N_WINNER, '-') "
                   "FROM TOURNAMENT_PAIRINGS"),
              "-|-");
}

// A claim the database fails is told as that failure, once: not also as a
// pairing another computer plays.
TEST_F(Tournament, AClaimTheDatabaseFailsIsToldOnce) {
    MakeTournament("Кубок", 0, {"Anna", "Boris"});
    Exec("CREATE TRIGGER refuse BEFORE UPDATE ON TOURNAMENT_PAIRINGS "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Form9->Pairings->selectRow(0);
    Form9->Button4->click();
    EXPECT_TRUE(Form9->isVisible());
    ASSERT_EQ(boxes.Texts().size(), 1) << boxes.Texts().join('\n').toStdString();
    EXPECT_TRUE(boxes.Texts()[0].contains("refused")) << boxes.Texts()[0].toStdString();
}
