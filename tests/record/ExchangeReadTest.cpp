// Match text and SGF read back and replayed by the rules: our own exports
// come back as the same game, files GNU Backgammon wrote open (and reach the
// board GNU Backgammon reaches), and each kind of damage is named with its line.
#include "FormatsSupport.h"
#include "RecordedGame.h"
#include "record/ExchangeFormats.h"
#include "record/ExchangeRead.h"
#include "record/GameFile.h"

#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace record;
using namespace formats;

namespace {

const QDateTime Saved(QDate(2026, 12, 8), QTime(14, 30));

// The game as a person reads it: players, start, every turn with its roll
// lower die first (match text writes the higher first), the result.
std::vector<std::string> Shown(const GameRecord& game) {
    std::vector<std::string> lines{PlayerOf(game, proc::White).toStdString(),
                                   PlayerOf(game, proc::Black).toStdString()};
    std::string start;
    for (int32_t cell = 1; cell <= proc::WhiteBar; ++cell) {
        start += std::to_string(proc::Cell(game.Start().board, cell)) + ' ';
    }
    lines.push_back(start);
    for (const Turn* turn : game.PlayedTurns()) {
        Turn sorted = *turn;
        const int a = proc::FirstDie(turn->dice);
        const int b = proc::SecondDie(turn->dice);
        sorted.dice = proc::MakeDice(std::min(a, b), std::max(a, b));
        lines.push_back(TurnText(sorted).toStdString());
    }
    lines.push_back(ResultText(game).toStdString());
    return lines;
}

// The board after each turn: files of one game that list a turn's moves in
// another order still reach the same boards.
std::vector<proc::Board> Boards(const GameRecord& game) {
    std::vector<proc::Board> boards{game.Start().board};
    for (const Turn* turn : game.PlayedTurns()) {
        boards.push_back(boards.back());
        for (const ShownMove& shown : turn->moves) {
            proc::ApplyMove(boards.back(), shown.side, shown.move);
        }
    }
    return boards;
}

using Reader = std::optional<GameRecord> (*)(const QString&, QString&, QString&);

GameRecord Read(Reader reader, const QString& text) {
    QString error;
    QString note;
    const auto game = reader(text, error, note);
    EXPECT_TRUE(game) << error.toStdString();
    return game ? *game : GameRecord();
}

} // namespace

// Selfplay games from the standard start and from another (SGF only), and
// the two built by hand: exported, read back, the same game.
TEST(ExchangeRead, OurExportsComeBackAsTheSameGame) {
    std::vector<GameRecord> games{StoredGame("hand-game.txt"), StoredGame("bar-start.txt")};
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        games.push_back(selfplay::RecordedGame(seed <= 5 ? StandardStart() : OddStart(), seed,
                                               QStringLiteral("Анна"), QStringLiteral("Kot_[Б]^")));
    }
    for (const GameRecord& game : games) {
        SCOPED_TRACE(Shown(game)[2] + std::to_string(game.PlayedTurns().size()));
        EXPECT_EQ(Shown(Read(ReadSgf, SgfText(game, Saved))), Shown(game));
        if (MatProblem(game).isEmpty()) {
            const GameRecord back = Read(ReadMat, MatText(game, Saved));
            EXPECT_EQ(Shown(back), Shown(game));
            EXPECT_EQ(back.StartTime().date(), Saved.date());
        }
    }
}

// Files GNU Backgammon wrote: a one-point game played by itself (as match
// text, and as SGF after importing that text), and the match text of a
// three-point match with the cube, whose first game ended in a resignation.
// Counted by hand in the files: the player moving first ("root", right
// column) plays white; game 1 has 75 turns (38 lines, the first without a
// left turn) and 45 in the match (24 lines, less the first left, a double
// and a take).
TEST(ExchangeRead, GnuBackgammonFilesOpen) {
    const struct {
        const char* file;
        size_t turns;
        std::optional<proc::Side> winner;
        proc::Dice opening;
        QString note;
    } cases[] = {
        // clang-format off
        {"gnubg-game.mat", 75, proc::White, proc::MakeDice(2, 1), QString()},
        {"gnubg-game.sgf", 75, proc::White, proc::MakeDice(2, 1), QString()},
        {"gnubg-match.mat", 45, std::nullopt, proc::MakeDice(5, 1), QStringLiteral("Партий в файле: 3. Показана только первая.")},
        // clang-format on
    };
    std::vector<proc::Board> first;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QString error;
        QString note = QStringLiteral("left over");
        const auto game = OpenGame(Stored(c.file), error, &note);
        ASSERT_TRUE(game) << error.toStdString();
        EXPECT_EQ(note, c.note);
        EXPECT_EQ(PlayerOf(*game, proc::White), QStringLiteral("root"));
        EXPECT_EQ(PlayerOf(*game, proc::Black), QStringLiteral("gnubg"));
        EXPECT_EQ(game->PlayedTurns().size(), c.turns);
        EXPECT_EQ(game->Winner(), c.winner);
        // The opening roll is root's first, higher die first.
        EXPECT_EQ(game->Start().opening, c.opening);
        if (first.empty()) {
            first = Boards(*game);
        } else if (c.turns == 75) {
            EXPECT_EQ(Boards(*game), first);
        }
    }
}

// GNU Backgammon plays a game against itself and writes it as SGF (with its
// analysis in the nodes) and as match text; both open, and each reaches the
// final board GNU Backgammon reaches on importing them.
TEST(ExchangeRead, GameGnuBackgammonPlayedReachesItsBoard) {
    const QString gnubg = Gnubg();
    ASSERT_FALSE(gnubg.isEmpty()) << "gnubg is not installed (scripts/packages.txt has it)";
    QTemporaryDir dir;
    const QString mat = dir.filePath("played.mat");
    const QString sgf = dir.filePath("played.sgf");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", dir.path()); // its settings stay in the test's folder
    QProcess play;
    play.setProcessEnvironment(environment);
    play.start(gnubg, {"-t", "-q"});
    play.write(QStringLiteral("set player 0 gnubg\nset player 1 gnubg\nset seed 11\n"
                              "set cube use off\nnew match 1\nsave match %1\n"
                              "export match mat %2\n")
                   .arg(sgf, mat)
                   .toUtf8());
    play.closeWriteChannel();
    ASSERT_TRUE(play.waitForFinished(240000));
    std::map<QString, QJsonObject> reached = ImportInGnubg({mat, sgf}, dir.path());
    ASSERT_EQ(reached.size(), 2u);
    for (const QString& path : {mat, sgf}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        const auto game = OpenGame(path, error);
        ASSERT_TRUE(game) << error.toStdString();
        const QJsonObject& got = reached[path];
        // X is GNU Backgammon's first player; ours are told apart by name.
        const bool xWhite = Text(got["X"]) == PlayerOf(*game, proc::White).toStdString();
        const proc::Side x = xWhite ? proc::White : proc::Black;
        EXPECT_EQ(Text(got[xWhite ? "O" : "X"]),
                  PlayerOf(*game, static_cast<proc::Side>(-x)).toStdString());
        ASSERT_TRUE(game->Winner());
        EXPECT_EQ(Text(got["winner"]), *game->Winner() == x ? "X" : "O");
        EXPECT_EQ(Text(got["boardX"]), Text(OwnView(game->Board(), x)));
        EXPECT_EQ(Text(got["boardO"]), Text(OwnView(game->Board(), static_cast<proc::Side>(-x))));
    }
}

// Each kind of damage to a file, and a file of another kind, refused with
// the line it is on. The files are the hand-built game's exports.
TEST(ExchangeRead, DamageNamedWithItsLine) {
    const struct {
        const char* file;
        const char* from; // "" replaces the whole text
        const char* to;
        const char* error;
    } cases[] = {
        // clang-format off
        {"hand-game.mat", "", "", "файл пуст"},
        {"hand-game.mat", "", "Партия в нарды\n", "строка 1: это не запись партии в формате .mat: «Партия в нарды»"},
        {"hand-game.mat", "", "; [EventDate \"2026.12.08\"]\n\n 1 point match\n", "в файле нет ни одной партии"},
        {"hand-game.mat", " Анна : 0", "Анна и Борис", "строка 6: нет имён игроков: «Анна и Борис                        Борис : 0»"},
        {"hand-game.mat", "13/9 13/9", "13/9 13/8", "строка 8: ход 13/8 невозможен"},
        {"hand-game.mat", "66: 14/8", "76: 14/8", "строка 9: ход не читается: «3) 76: 14/8 14/8 9/3 9/3        52: 25/20 13/11»"},
        {"hand-game.mat", "18/14* 18/14", "14/18* 18/14", "строка 8: ход не читается: «2) 44: 14/18* 18/14 13/9 13/9   66:»"},
        {"hand-game.mat", "   66:\n", "   65:\n", "строка 8: пропуск, хотя ход был"},
        {"hand-game.mat", "21: 13/11 24/23", "21: 13/11 24/23 6/5", "строка 7: ход 6/5 невозможен"},
        {"hand-game.mat", " 11) 63: 3/0", " 11) 63: 3/0  21: 6/5\n 12) 11: 6/5", "строка 17: ход после конца партии"},
        {"hand-game.sgf", "", "просто текст", "строка 1: это не файл SGF"},
        {"hand-game.sgf", "GM[6]", "GM[1]", "строка 1: это не партия в нарды (GM[1])"},
        {"hand-game.sgf", "GM[6]", "", "строка 1: это не партия в нарды (нет GM[6])"},
        {"hand-game.sgf", ";B[12lnab]", ";B[12lnac]", "строка 4: ход 24/22 невозможен"},
        {"hand-game.sgf", ";B[12lnab]", ";W[21]", "строка 4: второй ход подряд одного игрока"},
        {"hand-game.sgf", ";W[44rnrnmimi]", ";W[44rnrnmim]", "строка 5: ход не читается: W[44rnrnmim]"},
        {"hand-game.sgf", ";W[36cz])", ";W[36cz)", "строка 23: значение не закрыто"},
        {"hand-game.sgf", ";W[66xrxrmgmg]", ";W[66xrxrmgmg];W[12ay]", "строка 3: ход не читается: W[12ay]"},
        {"hand-game.sgf", "AW[f]", "AW[f][f][f][f][f][f][f][f][f][f][f]", "строка 2: начальная позиция невозможна"},
        {"hand-game.sgf", "cz])", "cz]", "строка 1: дерево партии не закрыто"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.to);
        QString text = StoredText(c.file);
        text = *c.from ? text.replace(QString::fromUtf8(c.from), QString::fromUtf8(c.to))
                       : QString::fromUtf8(c.to);
        QString error;
        QString note;
        const bool mat = QString(c.file).endsWith(".mat");
        EXPECT_FALSE((mat ? ReadMat : ReadSgf)(text, error, note));
        EXPECT_EQ(error.toStdString(), c.error);
    }
}

// A file of several games shows the first and says so; a game of another
// file keeps its own turns.
TEST(ExchangeRead, OnlyTheFirstGameOfSeveral) {
    const GameRecord hand = StoredGame("hand-game.txt");
    const QString sgf = StoredText("hand-game.sgf");
    QString mat = StoredText("hand-game.mat");
    mat += mat.mid(mat.indexOf(" Game 1")).replace(" Game 1", " Game 2").replace("3) 66", "3) 65");
    for (const auto& [reader, text] :
         {std::pair{Reader(ReadMat), mat}, {ReadSgf, sgf + sgf + sgf}}) {
        QString error;
        QString note;
        const auto game = reader(text, error, note);
        ASSERT_TRUE(game) << error.toStdString();
        EXPECT_EQ(Shown(*game), Shown(hand));
        EXPECT_TRUE(note.startsWith(QString("Партий в файле: %1.").arg(reader == ReadSgf ? 3 : 2)))
            << note.toStdString();
    }
}
