// The journal window marks the rows of games a correction reversed, on both
// engines: struck through with a tooltip saying why and when, every other
// row as it was.
#include "RatingsFolder.h"
#include "db/Corrections.h"
#include "db/PagedModel.h"
#include "db/Unit6.h"
#include "shell/JournalMarks.h"
#include "shell/MessageBoxes.h"
#include "shell/Unit7.h"
#include "shell/Unit8.h"

#include <QHelpEvent>
#include <QSqlQueryModel>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

const QDateTime CorrectedAt(QDate(2026, 3, 14), QTime(12, 0), Qt::UTC);

struct JournalMarksTest : ::testing::TestWithParam<db::Dialect> {
    std::unique_ptr<RatingsFolder> folder;
    std::unique_ptr<db::TDModule> dm;
    std::unique_ptr<TForm7> form7;
    std::unique_ptr<TForm8> form8;

    void SetUp() override {
        shell::SetMessageBoxHook(
            [](shell::BoxKind, const QString&, const QString&) { return true; });
        Fill();
    }
    // A fresh database: three players, three games.
    void Fill() {
        folder = std::make_unique<RatingsFolder>(true, GetParam());
        folder->AddPlayer(2, "Анна", 3);
        folder->AddPlayer(3, "Борис", 5);
        folder->AddPlayer(4, "Вера", 3);
        folder->AddGame(1, 2, 3, 2, 2);
        folder->AddGame(2, 3, 1, 4, 1); // Борис beat the computer
        folder->AddGame(3, 4, 2, 1, 1);
    }
    void Start() {
        dm = std::make_unique<db::TDModule>(folder->Path(), 0);
        dm->DataModuleCreate();
        form7 = std::make_unique<TForm7>(*dm);
        form8 = std::make_unique<TForm8>(*dm);
        Form7 = form7.get();
        Form8 = form8.get();
        form7->OpenRatings();
    }
    void Stop() {
        form8.reset();
        form7.reset();
        dm.reset();
    }
    void TearDown() override {
        Stop();
        shell::SetMessageBoxHook(nullptr);
    }
    void Reverse(int code, const QString& reason) {
        db::ReverseGame(*dm, code, {QStringLiteral("клуб"), reason, CorrectedAt});
    }
    // All games, or one player's as the ratings window opens them.
    void OpenJournal(const QString& player) {
        QSqlQueryModel* ratings = dm->DataSource1();
        for (int row = 0; row < ratings->rowCount() && !player.isEmpty(); ++row)
            if (ratings->index(row, form7->DBGrid->ColumnOf("P_NAME")).data() == player)
                form7->DBGrid->selectRow(row);
        (player.isEmpty() ? form7->Button2 : form7->Button3)->click();
    }
    // Each row: its code, "~" when drawn struck through, and its tooltip.
    QString Marks(int fromRow = 0) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return form8->Marks->Current(); }, 10000));
        shell::TDBGrid* grid = form8->DBGrid;
        QStringList rows;
        for (int row = fromRow; row < grid->model()->rowCount(); ++row) {
            const QModelIndex index = grid->model()->index(row, grid->ColumnOf("P_NAME"));
            QStyleOptionViewItem option;
            form8->Marks->initStyleOption(&option, index);
            const QString note = form8->Marks->Note(row);
            rows << grid->model()->index(row, grid->ColumnOf("G_CODE")).data().toString() +
                        (option.font.strikeOut() ? "~" : "") +
                        (note.isEmpty() ? QString() : " " + note);
        }
        return rows.join(';');
    }
};

} // namespace

TEST_P(JournalMarksTest, ReversedGamesAreMarkedOnTheirRowsOnly) {
    struct Case {
        const char* name;
        bool withoutLog;
        int reversed; // 0: none
        const char* reason;
        const char* merged;    // into Вера: its log row names a player's code, not a game's
        const char* journalOf; // empty: all games
        const char* marks;
    };
    // clang-format off
    const Case cases[] = {
        {"no correction log",       true,  0, "",              "",      "",      "1;2;3"},
        {"a merge, code 3",         false, 0, "",              "Борис", "",      "1;2;3"},
        {"one reversed game",       false, 2, "ошибка записи", "",      "",      "1;2~ Партия отменена: ошибка записи, 14.03.2026;3"},
        {"not among the player's",  false, 3, "",              "",      "Борис", "1;2"},
        {"the player's, no reason", false, 3, "",              "",      "Вера",  "3~ Партия отменена, 14.03.2026"},
        {"the first row",           false, 1, "не та партия",  "",      "Анна",  "1~ Партия отменена: не та партия, 14.03.2026;3"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stop();
        Fill();
        if (c.withoutLog) // a database older than the log
            folder->Exec("DROP TABLE CORRECTIONS");
        Start();
        if (c.reversed != 0)
            Reverse(c.reversed, QString::fromUtf8(c.reason));
        if (*c.merged)
            db::MergePlayers(*dm, QString::fromUtf8(c.merged), "Вера", {"клуб", {}, CorrectedAt});
        OpenJournal(QString::fromUtf8(c.journalOf));
        EXPECT_EQ(Marks(), QString::fromUtf8(c.marks));
    }
}

// A game reversed while its journal is open is marked when the grid reads
// its rows again; the tooltip is the one the row shows under the mouse.
TEST_P(JournalMarksTest, AReversalWhileTheJournalIsOpen) {
    Start();
    OpenJournal({});
    EXPECT_EQ(Marks(), "1;2;3");
    Reverse(3, "ошибка");
    EXPECT_EQ(Marks(), "1;2;3~ Партия отменена: ошибка, 14.03.2026");

    shell::TDBGrid* grid = form8->DBGrid;
    const QRect cell = grid->visualRect(grid->model()->index(2, grid->ColumnOf("P_NAME")));
    QHelpEvent help(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "Партия отменена: ошибка, 14.03.2026");
}

// Rows past the first page are marked by their game, read with the rest.
TEST_P(JournalMarksTest, RowsOfLaterPagesAreMarked) {
    const int games = db::PagedModel::PageRows + 20;
    folder->Exec("BEGIN");
    for (int code = 4; code <= games; ++code)
        folder->AddGame(code, 2, 3);
    folder->Exec("COMMIT");
    Start();
    Reverse(games - 1, "");
    OpenJournal({});
    QSqlQueryModel* journal = dm->DataSource2();
    while (journal->canFetchMore())
        journal->fetchMore();
    ASSERT_EQ(journal->rowCount(), games);
    EXPECT_EQ(
        Marks(games - 3),
        QString("%1;%2~ Партия отменена, 14.03.2026;%3").arg(games - 2).arg(games - 1).arg(games));
}

INSTANTIATE_TEST_SUITE_P(Engines, JournalMarksTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
