// The ratings of the registered players, and the way into the games journal.
#pragma once

#include "shell/DbGrid.h"
#include "shell/FormBase.h"

#include <memory>

namespace db {
class TDModule;
struct Statement;
} // namespace db
namespace shell {
class TPlayerManagement;
}

class TForm7 : public shell::TFormBase {
    Q_OBJECT
  public:
    /*! Builds the window and runs FormCreate; a failing background is dropped.
        The journal is reached through Form8, which is created after this window. */
    explicit TForm7(db::TDModule& module, QWidget* parent = nullptr);
    ~TForm7() override;

    shell::TLabel* Label1;
    shell::TDBGrid* DBGrid; // rows of IBPlayers
    QPushButton* Button2;   // "Журнал игр"
    QPushButton* Button3;   // "Информация об игроке"
    QPushButton* Button1;   // "Назад"

    /*! The next free code of "PLAYERS" or "GAMES" as decimal text. Throws db::DbError. */
    QString GenID(const QString& tableName);

    /*! The background. Throws shell::PictureError. */
    void FormCreate();
    /*! The journal with every game. Throws db::DbError (the journal stays as it was). */
    void Button2Click();
    /*! The journal with the current player's games. Throws db::DbError. */
    void Button3Click();
    void Button1Click();

    /*! The main menu's Label4Click: the ratings (every player but the
        computer's row, by points, then name), the journal buttons enabled only
        when there is a row, centred and shown. Throws db::DbError (nothing shown). */
    void OpenRatings();

    /*! The grid's menu item "Управление игроками…": the corrections window
        for the player of that row. Throws db::DbError. */
    void ManagePlayers(int row);
    shell::TPlayerManagement* Management() const { return management_.get(); }

  private:
    void ShowJournal(const QString& title, const db::Statement& games, const QString& code);

    db::TDModule& module_;
    std::unique_ptr<shell::TPlayerManagement> management_;
};

extern TForm7* Form7;
