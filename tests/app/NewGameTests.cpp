// A game as the user plays it: the new-game dialog launches a scripted board
// client, the referee plays it out over loopback, and the result lands in the
// program folder's database.
#include "RatingsFolder.h"
#include "WholeGame.h"

#include "db/GameArchive.h"
#include "db/PlayerCache.h"
#include "db/ResultRecording.h"
#include "db/Unit6.h"
#include "record/MatchRecord.h"
#include "record/RecordText.h"
#include "game/EngineSeat.h"
#include "game/GamePorts.h"
#include "net/TDM.h"
#include "proc/proc.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

using apptest::FirstListPlaysWhite;
using apptest::WaitFor;
using shelltest::BoxRecorder;

const QString Computer = game::ComputerName;

class NoPause : public game::IPause {
  public:
    void Wait(int ms) override { waits.push_back(ms); }
    std::vector<int> waits;
};

using apptest::WhiteWinsAtOnce;

struct JournalRow {
    int code, winner, loser, margin, award;
    QString date;
};

class NewGame : public ::testing::Test {
  protected:
    void SetUp() override {
        port = folder.Port();
        database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        database.setDatabaseName(folder.DatabasePath());
        ASSERT_TRUE(database.open());
    }

    void TearDown() override {
        program.reset();
        proc::SetDiceClock({});
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // "./client" as this shell script.
    void WriteScript(const QByteArray& body) {
        folder.Write(QStringLiteral("client"), "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(folder.File(QStringLiteral("client")),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    void AddPlayer(int code, const QString& name, int points) {
        QSqlQuery insert(database);
        insert.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (?, ?, ?)"));
        insert.addBindValue(code);
        insert.addBindValue(name);
        insert.addBindValue(points);
        ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
    }

    int Points(const QString& name) {
        QSqlQuery q(database);
        q.prepare(QStringLiteral("SELECT P_POINTS FROM PLAYERS WHERE P_NAME = ?"));
        q.addBindValue(name);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

    std::vector<JournalRow> Journal() {
        std::vector<JournalRow> rows;
        QSqlQuery q(QStringLiteral("SELECT * FROM GAMES ORDER BY G_CODE"), database);
        while (q.next())
            rows.push_back({q.value(0).toInt(), q.value(2).toInt(), q.value(3).toInt(),
                            q.value(4).toInt(), q.value(5).toInt(), q.value(1).toString()});
        return rows;
    }

    void StartProgram() {
        program = std::make_unique<shell::Program>();
        Form2->SetPause(pause);
        Form2->Timer->setInterval(1);
    }

    // The dialog fills its lists when it becomes the active window.
    void OpenDialog() { ASSERT_TRUE(apptest::OpenDialog()); }

    static void Pick(QComboBox* box, const QString& name) {
        ASSERT_TRUE(apptest::Pick(box, name)) << name.toStdString();
    }

    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    // Starts the game and waits until the main menu is back.
    void PlayGame() {
        Form2->Button1->click();
        ASSERT_FALSE(Form2->isVisible()) << boxes.Texts().join('|').toStdString();
        ASSERT_TRUE(WaitFor([] { return Form1->isVisible(); }));
    }

    apptest::GameFolder folder;
    BoxRecorder boxes;
    NoPause pause;
    uint16_t port = 0;
    QSqlDatabase database;
    std::unique_ptr<shell::Program> program;
};

TEST_F(NewGame, ComputerAgainstComputerRecordsNothing) {
    folder.WriteClient();
    StartProgram();
    OpenDialog();
    EXPECT_EQ(Form2->ComboBox1->currentText(), Computer);
    EXPECT_EQ(Form2->ComboBox2->currentText(), Computer);
    PlayGame();
    EXPECT_EQ(boxes.Texts(), QStringList{db::TwoComputersText});
    EXPECT_TRUE(Journal().empty());
    EXPECT_FALSE(Form2->Game().GameRunning);
    EXPECT_FALSE(net::DM->ClientConnected);
    EXPECT_EQ(net::DM->ListeningPort(), 0);
}

struct AgainstComputerCase {
    bool personWhite; // white wins at once on the short board
    int pointsBefore;
    int pointsAfter;
};

class PersonAgainstComputer : public NewGame,
                              public ::testing::WithParamInterface<AgainstComputerCase> {};

TEST_P(PersonAgainstComputer, AnnouncesAndRecords) {
    const AgainstComputerCase c = GetParam();
    folder.Write(QStringLiteral("Data/Board.cfg"), WhiteWinsAtOnce(3));
    AddPlayer(2, QStringLiteral("Гость"), c.pointsBefore);
    folder.WriteClient();
    FirstListPlaysWhite(c.personWhite);
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    PlayGame();

    const QString winner = c.personWhite ? QStringLiteral("Гость") : Computer;
    const QString loser = c.personWhite ? Computer : QStringLiteral("Гость");
    EXPECT_EQ(boxes.Texts(),
              QStringList{winner + " победил " + loser + " с преимуществом в 3 фишек (фишку)!"});
    EXPECT_EQ(Points(QStringLiteral("Гость")), c.pointsAfter);
    const auto rows = Journal();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].code, 1);
    EXPECT_EQ(rows[0].winner, c.personWhite ? 2 : 1);
    EXPECT_EQ(rows[0].loser, c.personWhite ? 1 : 2);
    EXPECT_EQ(rows[0].margin, 3);
    EXPECT_EQ(rows[0].award, 1);
    EXPECT_EQ(rows[0].date, db::TodayShortDate()); // its format is tested with the recording

    // The game's record is kept beside its row and replays, by the rules, to
    // the referee's final board.
    const auto text = db::ReadGameRecord(*db::DModule, 1);
    ASSERT_TRUE(text);
    QString error;
    const auto game = record::ReadRecord(*text, error);
    ASSERT_TRUE(game) << error.toStdString();
    EXPECT_EQ(game->Board(), Form2->Game().GameBoard);
    EXPECT_EQ(game->Margin(), 3);
    EXPECT_EQ(record::PlayerOf(*game, *game->Winner()), winner);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, PersonAgainstComputer,
                         ::testing::Values(AgainstComputerCase{true, 0, 1},
                                           AgainstComputerCase{true, 7, 8},
                                           AgainstComputerCase{false, 2, 1},
                                           AgainstComputerCase{false, 0, 0}));

TEST_F(NewGame, PersonBeatsPersonAndGainsAThirdOfTheLosersPoints) {
    folder.Write(QStringLiteral("Data/Board.cfg"), WhiteWinsAtOnce(2));
    AddPlayer(2, QStringLiteral("Anna"), 7);
    AddPlayer(3, QStringLiteral("Boris"), 5);
    folder.WriteClient();
    FirstListPlaysWhite(true);
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Anna"));
    Pick(Form2->ComboBox2, QStringLiteral("Boris"));
    PlayGame();
    EXPECT_EQ(boxes.Texts(),
              QStringList{QStringLiteral("Anna победил Boris с преимуществом в 2 фишек (фишку)!")});
    EXPECT_EQ(Points(QStringLiteral("Anna")), 9);
    EXPECT_EQ(Points(QStringLiteral("Boris")), 5);
    const auto rows = Journal();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].winner, 2);
    EXPECT_EQ(rows[0].loser, 3);
    EXPECT_EQ(rows[0].margin, 2);
    EXPECT_EQ(rows[0].award, 2);
}

// Two people play a match to 3 on one computer: one journal row for the
// whole match (the winner by the score, the score's difference as margin, the
// award by the usual rule), and the archive holds every game of it.
TEST_F(NewGame, TwoPeoplePlayAMatchIntoTheJournalAndTheArchive) {
    folder.Write(QStringLiteral("Data/Board.cfg"), WhiteWinsAtOnce(2));
    AddPlayer(2, QStringLiteral("Anna"), 7);
    AddPlayer(3, QStringLiteral("Boris"), 5);
    folder.WriteClient();
    FirstListPlaysWhite(true);
    StartProgram();
    OpenDialog();
    EXPECT_EQ(Items(Form2->ComboBox4), (QStringList{"Игра", "Матч до 3", "Матч до 5", "Матч до 7",
                                                   "Матч до 9", "Матч до 11"}));
    EXPECT_EQ(Form2->ComboBox4->geometry(), QRect(128, 152, 92, 25));
    Pick(Form2->ComboBox1, QStringLiteral("Anna"));
    Pick(Form2->ComboBox2, QStringLiteral("Boris"));
    Pick(Form2->ComboBox4, QStringLiteral("Матч до 3"));
    PlayGame();

    const auto text = db::ReadGameRecord(*db::DModule, 1);
    ASSERT_TRUE(text);
    QString error;
    const auto played = record::ReadMatch(*text, true, error);
    ASSERT_TRUE(played) << error.toStdString();
    EXPECT_EQ(played->length, 3);
    const auto [anna, boris] = played->Score();
    EXPECT_EQ(std::max(anna, boris), 3);
    const bool annaWon = anna > boris;
    EXPECT_EQ(boxes.Texts(),
              QStringList{QStringLiteral("Матч до 3 очков окончен. Победитель: %1, счёт 3:%2 (%1 — %3).")
                              .arg(annaWon ? "Anna" : "Boris")
                              .arg(std::min(anna, boris))
                              .arg(annaWon ? "Boris" : "Anna")});
    const auto rows = Journal();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].winner, annaWon ? 2 : 3);
    EXPECT_EQ(rows[0].loser, annaWon ? 3 : 2);
    EXPECT_EQ(rows[0].margin, std::abs(anna - boris));
    EXPECT_EQ(rows[0].award, 2); // a third of the loser's points, either way
    // The winner gains a third of the loser's points; the loser keeps its own.
    EXPECT_EQ(Points(QStringLiteral("Anna")), annaWon ? 9 : 7);
    EXPECT_EQ(Points(QStringLiteral("Boris")), annaWon ? 5 : 7);

    // The choice is kept for the next game.
    program.reset();
    StartProgram();
    OpenDialog();
    EXPECT_EQ(Form2->ComboBox4->currentText(), QStringLiteral("Матч до 3"));
}

TEST_F(NewGame, ClientLeavingMidGameRecordsNothing) {
    AddPlayer(2, QStringLiteral("Гость"), 1);
    folder.WriteClient("--pick first --disconnect-after 6");
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    PlayGame();
    EXPECT_TRUE(boxes.Texts().isEmpty());
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(Points(QStringLiteral("Гость")), 1);
    EXPECT_FALSE(Form2->Game().GameRunning);
    EXPECT_EQ(net::DM->ListeningPort(), 0);
}

// The launched program ends before any connection. A failure means no client
// is coming: the socket closes at once and the dialog comes back with the
// players chosen. A clean end (a launcher) leaves the client's retry time.
struct EndedLaunchCase {
    const char* script;
    bool clean;
};

class LaunchedProgramEnds : public NewGame,
                            public ::testing::WithParamInterface<EndedLaunchCase> {};

TEST_P(LaunchedProgramEnds, DialogComesBackWithThePlayersAndTheSocketClosed) {
    const EndedLaunchCase c = GetParam();
    WriteScript(c.script);
    AddPlayer(2, QStringLiteral("Гость"), 0);
    StartProgram();
    Form2->ClientWaitMs = c.clean ? 1 : 60000; // the retry time after a clean end runs out
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    std::optional<bool> ended;
    QObject::connect(Form2, &TForm2::LaunchedProgramEnded, [&](bool clean) { ended = clean; });
    Form2->Button1->click();
    EXPECT_FALSE(Form2->isVisible());
    ASSERT_TRUE(WaitFor([&] { return ended.has_value() && Form2->isVisible(); }));
    EXPECT_EQ(*ended, c.clean);
    EXPECT_EQ(net::DM->ListeningPort(), 0);
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_TRUE(boxes.Texts().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(Form2->ComboBox1->currentText(), QStringLiteral("Гость"));
}

TEST_F(NewGame, CleanEndKeepsWaitingForTheClient) {
    WriteScript("exit 0");
    StartProgram();
    Form2->ClientWaitMs = 60000;
    OpenDialog();
    bool ended = false;
    QObject::connect(Form2, &TForm2::LaunchedProgramEnded, [&] { ended = true; });
    Form2->Button1->click();
    ASSERT_TRUE(WaitFor([&] { return ended; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(net::DM->ListeningPort(), port);
}

INSTANTIATE_TEST_SUITE_P(Endings, LaunchedProgramEnds,
                         ::testing::Values(EndedLaunchCase{"exit 3", false},
                                           EndedLaunchCase{"kill -KILL $$", false},
                                           EndedLaunchCase{"exit 0", true}));

// A launcher starts the board client in the background and ends at once.
TEST_F(NewGame, LauncherStartsTheGameOfTheChosenPlayers) {
    folder.Write(QStringLiteral("Data/Board.cfg"), WhiteWinsAtOnce(3));
    AddPlayer(2, QStringLiteral("Гость"), 0);
    folder.WriteLauncher();
    FirstListPlaysWhite(true);
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    PlayGame();
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral(
                                 "Гость победил Компьютер с преимуществом в 3 фишек (фишку)!")});
    EXPECT_EQ(Points(QStringLiteral("Гость")), 1);
    EXPECT_FALSE(Form2->isVisible());
}

struct LaunchCase {
    const char* clientPath;
    QByteArray file; // written at clientPath when not empty
    bool executable;
    const char* message;
};

class LaunchErrors : public NewGame, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchErrors, ShowTheirBoxAndKeepTheDialog) {
    const LaunchCase c = GetParam();
    folder.WriteOptions(QString::fromUtf8(c.clientPath));
    if (!c.file.isEmpty()) {
        folder.Write(QString::fromUtf8(c.clientPath), c.file);
        QFile::setPermissions(
            folder.File(QString::fromUtf8(c.clientPath)),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                (c.executable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
    }
    AddPlayer(2, QStringLiteral("Гость"), 0);
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    Form2->Button1->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, shell::BoxKind::Error);
    EXPECT_EQ(boxes.boxes[0].text, QString::fromUtf8(c.message));
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->ComboBox1->currentText(), Computer) << "lists reset after the box";

    // The socket stays open: a second try reuses it without "already running".
    Form2->Button1->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, QString::fromUtf8(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Shell, LaunchErrors,
    ::testing::Values(
        LaunchCase{"missing", {}, false, "Не найден файл tolvaner.exe!"},
        LaunchCase{"nofolder/client", {}, false, "Не найден путь к файлу tolvaner.exe!"},
        LaunchCase{"client", "#!/bin/sh\n", false, "Не удалось запустить программу tolvaner.exe!"},
        LaunchCase{"client",
                   QByteArray("\x7f"
                              "ELF garbage",
                              12),
                   true, "Неправильный формат файла tolvaner.exe!"}));

TEST_F(NewGame, TakenPortSaysTheProgramIsAlreadyRunning) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, port));
    folder.WriteClient();
    StartProgram();
    OpenDialog();
    Form2->Button1->click();
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Программа уже запущена!")});
    EXPECT_EQ(boxes.boxes[0].kind, shell::BoxKind::Notice);
    EXPECT_TRUE(Form2->isVisible());
}

TEST_F(NewGame, PairingRuleOffersPeopleOnlyFromThreePoints) {
    AddPlayer(2, QStringLiteral("Dima"), 2);
    AddPlayer(3, QStringLiteral("Eva"), 3);
    AddPlayer(4, QStringLiteral("Fedor"), 5);
    AddPlayer(5, QStringLiteral("Gleb"), 0);
    StartProgram();
    OpenDialog();
    EXPECT_EQ(Items(Form2->ComboBox1),
              (QStringList{Computer, "Computer", "Dima", "Eva", "Fedor", "Gleb"}));

    Pick(Form2->ComboBox1, QStringLiteral("Dima"));
    EXPECT_EQ(Items(Form2->ComboBox2), QStringList{Computer});

    Pick(Form2->ComboBox1, QStringLiteral("Eva"));
    QStringList offered = Items(Form2->ComboBox2);
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.takeFirst(), Computer);
    offered.sort();
    EXPECT_EQ(offered, QStringList{"Fedor"});
    EXPECT_EQ(Form2->ComboBox2->currentText(), Computer);

    Pick(Form2->ComboBox1, Computer);
    EXPECT_EQ(Items(Form2->ComboBox2), QStringList{Computer});
}

// Where GNU Backgammon is installed both lists offer it right after
// "Компьютер", and it pairs like the computer; its own row is never listed.
// The level chooser shows while either list shows it.
TEST_F(NewGame, TheEngineIsOfferedWhereInstalledAndPairsLikeTheComputer) {
    const QString engine = game::EngineName;
    AddPlayer(2, QStringLiteral("Dima"), 2);
    AddPlayer(3, QStringLiteral("Eva"), 3);
    AddPlayer(4, QStringLiteral("Fedor"), 5);
    AddPlayer(5, engine, 3);
    folder.InstallEngine("exit 1");
    StartProgram();
    OpenDialog();
    EXPECT_EQ(Items(Form2->ComboBox1),
              (QStringList{Computer, engine, "Computer", "Dima", "Eva", "Fedor"}));
    EXPECT_FALSE(Form2->ComboBox3->isVisibleTo(Form2));
    const struct {
        const char* first;
        const char* second; // picked afterwards, when given
        QStringList offered;
        bool chooser;
    } cases[] = {
        {"GNU Backgammon", nullptr, {Computer, engine}, true},
        {"Dima", nullptr, {Computer, engine}, false},
        {"Dima", "GNU Backgammon", {Computer, engine}, true},
        {"Eva", nullptr, {Computer, engine, "Fedor"}, false},
        {"Fedor", "Eva", {Computer, engine, "Eva"}, false},
        {"Компьютер", "GNU Backgammon", {Computer, engine}, true},
        {"Компьютер", nullptr, {Computer, engine}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " " + (c.second ? c.second : ""));
        Pick(Form2->ComboBox1, QString::fromUtf8(c.first));
        EXPECT_EQ(Items(Form2->ComboBox2), c.offered);
        if (c.second)
            Pick(Form2->ComboBox2, QString::fromUtf8(c.second));
        EXPECT_EQ(Form2->ComboBox3->isVisibleTo(Form2), c.chooser);
    }

    // Gone again: the lists and the chooser are as they were without it.
    qputenv("VERTAN_GNUBG", QFile::encodeName(folder.File(QStringLiteral("missing"))));
    Form2->FormActivate();
    EXPECT_EQ(Items(Form2->ComboBox1), (QStringList{Computer, "Computer", "Dima", "Eva", "Fedor"}));
    EXPECT_EQ(Items(Form2->ComboBox2), QStringList{Computer});
    EXPECT_FALSE(Form2->ComboBox3->isVisibleTo(Form2));
}

// The level offered in the free space between the buttons, kept for the
// next run in the program folder; a level not offered reads as the first.
TEST_F(NewGame, TheEngineLevelIsKeptForTheNextRun) {
    folder.InstallEngine("exit 1");
    const struct {
        QByteArray kept; // Data/Engine.ini before the run; empty: none
        const char* shown;
        const char* picked;
    } runs[] = {
        {"", "0-ply", "2-ply"},
        {"-", "2-ply", "1-ply"},
        {"-", "1-ply", nullptr},
        {"[engine]\nplies=7\n", "0-ply", nullptr},
        {"\x01garbage", "0-ply", nullptr},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.shown);
        if (run.kept != "-") {
            QFile::remove(folder.File(QStringLiteral("Data/Engine.ini")));
            if (!run.kept.isEmpty())
                folder.Write(QStringLiteral("Data/Engine.ini"), run.kept);
        }
        StartProgram();
        OpenDialog();
        QComboBox* level = Form2->ComboBox3;
        EXPECT_EQ(level->geometry(), QRect(128, 130, 92, 20));
        EXPECT_FALSE(level->isEditable());
        EXPECT_EQ(Items(level), (QStringList{"0-ply", "1-ply", "2-ply"}));
        EXPECT_EQ(level->currentText(), run.shown);
        if (run.picked) {
            Pick(Form2->ComboBox1, game::EngineName);
            Pick(level, QString::fromUtf8(run.picked));
        }
        program.reset();
    }
}

// The engine plays at the chosen level. One that fails leaves its turn to
// the built-in computer and says so once, in a box that lets the game go on.
TEST_F(NewGame, AFailingEngineIsToldWithoutStoppingTheGame) {
    const QString log = folder.File(QStringLiteral("engine.log"));
    folder.InstallEngine("read line; echo \"$line\" >> '" + QFile::encodeName(log) + "'; exit 1");
    AddPlayer(2, QStringLiteral("Гость"), 0);
    folder.WriteClient("--watch"); // connects, reads, never answers
    FirstListPlaysWhite(false);    // the engine moves first
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    Pick(Form2->ComboBox2, game::EngineName);
    Pick(Form2->ComboBox3, QStringLiteral("2-ply"));
    Form2->Button1->click();
    const auto notice = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible() && box->text() == game::SeatTroubleText)
                return box;
        }
        return static_cast<QMessageBox*>(nullptr);
    };
    ASSERT_TRUE(WaitFor([&] { return notice() != nullptr; }));
    // The built-in computer played white's turn; the person's turn is on.
    ASSERT_TRUE(WaitFor([] { return Form2->Game().SideToMove == proc::Black; }));
    EXPECT_TRUE(Form2->Game().GameRunning);
    QPointer<QMessageBox> box = notice();
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Вертан"));
    EXPECT_TRUE(boxes.Texts().isEmpty()) << "no box that waits";
    QFile asked(log);
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_TRUE(asked.readAll().contains("plies 2"));
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull()) << "a closed notice is gone";
}

// The lists are rebuilt when the dialog becomes the program's active window
// again, not when the user comes back to it from another program.
TEST_F(NewGame, ChoiceSurvivesAVisitToAnotherProgram) {
    AddPlayer(3, QStringLiteral("Eva"), 3);
    AddPlayer(4, QStringLiteral("Fedor"), 5);
    StartProgram();
    OpenDialog();
    ASSERT_TRUE(WaitFor([] { return QApplication::activeWindow() == Form2; }, 5000));
    Pick(Form2->ComboBox1, QStringLiteral("Eva"));
    Pick(Form2->ComboBox2, QStringLiteral("Fedor"));

    QApplication::setActiveWindow(nullptr); // another program takes the focus
    QApplication::setActiveWindow(Form2);
    EXPECT_EQ(Form2->ComboBox1->currentText(), QStringLiteral("Eva"));
    EXPECT_EQ(Form2->ComboBox2->currentText(), QStringLiteral("Fedor"));

    Form1->Label5Click(); // the settings, a window of the program
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(Form3);
    QApplication::setActiveWindow(Form2);
    EXPECT_EQ(Form2->ComboBox1->currentText(), Computer);
    EXPECT_EQ(Form2->ComboBox2->currentText(), Computer);
    EXPECT_EQ(Form2->ComboBox2->count(), 1);
    Form3->hide();
}

// Leaving for another program and coming back through another window of the
// program still counts as coming from that window.
TEST_F(NewGame, ChoiceIsResetWhenComingBackThroughTheSettings) {
    AddPlayer(3, QStringLiteral("Eva"), 3);
    StartProgram();
    OpenDialog();
    ASSERT_TRUE(WaitFor([] { return QApplication::activeWindow() == Form2; }, 5000));
    Pick(Form2->ComboBox1, QStringLiteral("Eva"));
    QApplication::setActiveWindow(nullptr); // another program takes the focus
    Form1->Label5Click();
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(Form3);
    QApplication::setActiveWindow(Form2);
    EXPECT_EQ(Form2->ComboBox1->currentText(), Computer);
    Form3->hide();
}

// A server away: the lists last read from it are offered at once, told as
// such, the opponents by its rule (3 points or more).
TEST_F(NewGame, ServerAwayOffersTheListsLastReadFromIt) {
    folder.Write(QStringLiteral("Data/Database.cfg"),
                 "postgresql\nhost=/nonexistent-vertan-club port=5998 dbname=club\n");
    folder.Write(QStringLiteral("Data/PlayerLists.json"),
                 R"({"read": "2026-12-09T18:30:00", "players": [["Fedor", 3], ["Eva", 5],
                 ["ёжик", 7], ["Anna", 2], ["Компьютер", 9], ["Zoe", "x"]]})");
    StartProgram();
    OpenDialog();
    ASSERT_TRUE(WaitFor([] { return QApplication::activeWindow() == Form2; }, 5000));
    // The engine, where installed, is no name of the server's.
    const auto items = [](QComboBox* box) {
        QStringList names;
        for (int i = 0; i < box->count(); ++i)
            if (box->itemText(i) != "GNU Backgammon")
                names << box->itemText(i);
        return names;
    };
    // The lists' Russian order: Cyrillic before Latin.
    EXPECT_EQ(items(Form2->ComboBox1), (QStringList{Computer, "ёжик", "Anna", "Eva", "Fedor"}));
    EXPECT_TRUE(Form2->CachedLists->isVisible());
    EXPECT_TRUE(Form2->CachedLists->text().startsWith("список с сервера от "));
    // The line stays clear of the level and length choosers and in the dialog.
    for (const QComboBox* chooser : {Form2->ComboBox3, Form2->ComboBox4})
        EXPECT_FALSE(Form2->CachedLists->geometry().intersects(chooser->geometry()));
    EXPECT_TRUE(Form2->rect().contains(Form2->CachedLists->geometry()));
    Pick(Form2->ComboBox1, QStringLiteral("Eva"));
    EXPECT_EQ(items(Form2->ComboBox2), (QStringList{Computer, "ёжик", "Fedor"}));
    Pick(Form2->ComboBox1, QStringLiteral("Anna")); // 2 points: the computers only
    EXPECT_EQ(items(Form2->ComboBox2), QStringList{Computer});
}

// The server's lists are kept once each time the dialog is shown: every box
// given back activates it again, and the whole list is long.
TEST_F(NewGame, ServerListsAreKeptOnceAShowing) {
    RatingsFolder club(true, db::Dialect::PostgreSQL);
    club.AddPlayer(2, QStringLiteral("Борис"), 4);
    QFile config(club.Path() + QStringLiteral("/Data/Database.cfg"));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    folder.Write(QStringLiteral("Data/Database.cfg"), config.readAll());
    const QString kept = db::PlayerCachePath(folder.Path());
    const auto keptNames = [&] {
        const auto cache = db::LoadPlayerCache(folder.Path());
        return cache ? cache->ByName() : QStringList{QStringLiteral("(none)")};
    };
    StartProgram();
    OpenDialog();
    EXPECT_EQ(keptNames(), QStringList{QStringLiteral("Борис")});
    ASSERT_TRUE(QFile::remove(kept));
    club.AddPlayer(3, QStringLiteral("Ева"), 5);
    QApplication::setActiveWindow(Form3);
    QApplication::setActiveWindow(Form2);
    EXPECT_TRUE(Items(Form2->ComboBox1).contains(QStringLiteral("Ева"))) << "read again";
    EXPECT_FALSE(QFile::exists(kept)) << "kept again at an activation";
    EXPECT_FALSE(Form2->CachedLists->isVisible());
    Form2->close(); // back to the menu, and the dialog opened again
    ASSERT_TRUE(WaitFor([] { return QApplication::activeWindow() == Form1; }));
    OpenDialog();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(kept); }, 5000)) << "kept at the next showing";
    EXPECT_EQ(keptNames(), (QStringList{QStringLiteral("Борис"), QStringLiteral("Ева")}));
}

// Whatever the database does, both lists offer "Компьютер" first, so a game
// always has its players; a server out of reach is told at start-up and then
// once in the dialog, not at every refill. A table that fails stays silent.
TEST_F(NewGame, BrokenDatabaseStillOffersTheComputer) {
    for (const bool serverAway : {false, true}) {
        if (serverAway)
            folder.Write(QStringLiteral("Data/Database.cfg"),
                         "postgresql\nhost=/nonexistent-vertan-club port=5998 dbname=club\n");
        else
            ASSERT_TRUE(QSqlQuery(database).exec("ALTER TABLE PLAYERS RENAME TO OLD_PLAYERS"));
        StartProgram();
        OpenDialog();
        Form1->Label5Click(); // through another window of the program: a refill
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(Form3);
        QApplication::setActiveWindow(Form2);
        EXPECT_EQ(Items(Form2->ComboBox1) + Items(Form2->ComboBox2), (QStringList{Computer, Computer}));
        const QStringList texts = boxes.Texts();
        boxes.boxes.clear();
        program.reset();
        if (!serverAway) {
            EXPECT_TRUE(texts.isEmpty()) << texts.join('|').toStdString();
            continue;
        }
        ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
        // The server's words follow, on one line.
        const QString reason = texts[0].section('\n', 1);
        EXPECT_EQ(texts[0], "Не удалось подключиться к серверу базы данных игроков. Программа "
                            "работает без рейтингов до восстановления связи.\n" + reason);
        EXPECT_EQ(texts[1], "Нет связи с базой данных игроков: " + reason);
        EXPECT_TRUE(reason.contains(".s.PGSQL.5998") && !reason.contains('\n') && !reason.contains('\t'));
    }
}

TEST_F(NewGame, BackReturnsToTheMenuWithoutTouchingTheSocket) {
    folder.WriteOptions(QStringLiteral("missing"));
    StartProgram();
    OpenDialog();
    Form2->Button1->click(); // opens the socket, then fails to launch
    ASSERT_NE(net::DM->ListeningPort(), 0);
    Form2->Button2->click();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(net::DM->ListeningPort(), port);
}

} // namespace

TEST_F(NewGame, SilentClientLeavesTheGameWaitingAndTheWindowsUsable) {
    AddPlayer(2, QStringLiteral("Гость"), 1);
    folder.WriteClient("--watch"); // connects, reads, never answers
    FirstListPlaysWhite(true);
    StartProgram();
    OpenDialog();
    Pick(Form2->ComboBox1, QStringLiteral("Гость"));
    Form2->Button1->click();
    ASSERT_TRUE(WaitFor([] { return Form2->Game().GameRunning; }));
    const proc::Board start = Form2->Game().GameBoard;
    int ticks = 0;
    QObject::connect(Form2->Timer, &QTimer::timeout, [&ticks] { ++ticks; });
    ASSERT_TRUE(WaitFor([&] { return ticks >= 300; }));
    // The person's turn waits for a move that never comes.
    EXPECT_EQ(Form2->Game().GameBoard, start);
    EXPECT_EQ(Form2->Game().SideToMove, proc::White);
    EXPECT_TRUE(Form2->Game().GameRunning);
    // Every other window of the menu still opens and closes meanwhile.
    const std::vector<std::pair<std::function<void()>, QWidget*>> windows = {
        {[] { Form1->Label3Click(); }, Form5},
        {[] { Form1->Label4Click(); }, Form7},
        {[] { Form1->Label5Click(); }, Form3},
        {[] { Form1->Label6Click(); }, Form4},
    };
    for (const auto& [open, window] : windows) {
        open();
        EXPECT_TRUE(WaitFor([w = window] { return w->isVisible(); })) << window->objectName().toStdString();
        window->close();
        EXPECT_TRUE(WaitFor([w = window] { return !w->isVisible(); }));
    }
    EXPECT_TRUE(Form2->Game().GameRunning);
    EXPECT_TRUE(boxes.Texts().isEmpty());
}
