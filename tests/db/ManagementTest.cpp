// "Управление игроками" from the ratings grid on both engines: what each
// button changes, what the user is told, and that a refusal changes nothing.
#include "RatingsFolder.h"
#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerManagement.h"
#include "shell/Unit7.h"

#include <QSqlQueryModel>
#include <gtest/gtest.h>

namespace {

struct ManagementTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    std::unique_ptr<db::TDModule> dm;
    std::unique_ptr<TForm7> form7;
    QStringList boxes; // kind letter and text
    bool answer = true;
    void SetUp() override {
        shell::SetMessageBoxHook([this](shell::BoxKind kind, const QString&, const QString& text) {
            boxes << QString("NEC"[int(kind)]) + ": " + text;
            return answer;
        });
        shell::ProgramFolder = folder.Path();
        folder.AddPlayer(2, "Анна", 3);
        folder.AddPlayer(3, "Борис", 5);
        folder.AddPlayer(4, "Анна П", 1);
        folder.AddPlayer(5, "GNU Backgammon", 0); // the engine's row: never merged into
        folder.AddGame(1, 3, 2, 1, 1);
        dm = std::make_unique<db::TDModule>(folder.Path(), 0);
        dm->DataModuleCreate();
        form7 = std::make_unique<TForm7>(*dm);
        form7->OpenRatings();
    }
    void TearDown() override {
        form7.reset();
        dm.reset();
        shell::SetMessageBoxHook(nullptr);
        shell::ProgramFolder.clear();
    }
    shell::TPlayerManagement* Open(int row) {
        form7->ManagePlayers(row);
        return form7->Management();
    }
    bool Server() const { return GetParam() == db::Dialect::PostgreSQL; }
    QString Names() {
        QStringList names;
        QSqlQueryModel* model = dm->DataSource1();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 1).data().toString() + "=" +
                         model->index(row, 2).data().toString();
        return names.join(';');
    }
};

TEST_P(ManagementTest, CorrectionsFromTheRatingsGrid) {
    // Rows by points: Борис, Анна, Анна П.
    shell::TPlayerManagement* window = Open(1);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->Label1->text(), "Игрок: Анна");
    EXPECT_EQ(window->Points->value(), 3);
    QStringList others;
    for (int i = 0; i < window->MergeInto->count(); ++i)
        others << window->MergeInto->itemText(i);
    EXPECT_EQ(others, (QStringList{"Анна П", "Борис"}));

    window->NewName->setText("Борис");
    window->RenameButton->click();
    EXPECT_EQ(boxes, (QStringList{"C: Переименовать игрока «Анна» в «Борис»?",
                                  "E: Имя «Борис» уже занято."}));
    window->NewName->setText("Анна Ёлкина");
    answer = false;
    window->RenameButton->click();
    EXPECT_EQ(Names(), "Борис=5;Анна=3;Анна П=1") << "answered No";
    answer = true;
    window->RenameButton->click();
    EXPECT_EQ(boxes.last(), "N: Исправление сделано и записано в журнал исправлений.");
    EXPECT_EQ(Names(), "Борис=5;Анна Ёлкина=3;Анна П=1") << "the grid reads again";

    window->Points->setValue(7);
    window->PointsButton->click();
    EXPECT_TRUE(boxes.last().contains("причину")) << boxes.last().toStdString();
    window->Reason->setText("турнир");
    window->PointsButton->click();
    EXPECT_EQ(Names(), "Анна Ёлкина=7;Борис=5;Анна П=1");

    window->GameCode->setValue(1);
    window->ReverseButton->click();
    window->RegisterName->setText("Иван Петров");
    window->RegisterButton->click();
    EXPECT_EQ(Names(), "Анна Ёлкина=7;Борис=4;Анна П=1;Иван Петров=0");

    window = Open(2); // Анна П, a second row of Анна Ёлкина
    window->MergeInto->setCurrentText("Анна Ёлкина");
    window->MergeButton->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Names(), "Анна Ёлкина=8;Борис=4;Иван Петров=0");
    EXPECT_EQ(folder.Rows("SELECT C_KIND,C_WHO <> '' FROM CORRECTIONS ORDER BY C_CODE"),
              Server() ? "rename|true;points|true;reverse|true;register|true;merge|true"
                       : "rename|1;points|1;reverse|1;register|1;merge|1");
}

INSTANTIATE_TEST_SUITE_P(Engines, ManagementTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

} // namespace
