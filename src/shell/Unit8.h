// The games journal: all games or one player's, and clearing them.
#pragma once

#include "shell/DbGrid.h"
#include "shell/FormBase.h"

namespace db {
class TDModule;
}

class TForm8 : public shell::TFormBase {
    Q_OBJECT
  public:
    /*! Builds the window and runs FormCreate; a failing background is dropped. */
    explicit TForm8(db::TDModule& module, QWidget* parent = nullptr);
    ~TForm8() override;

    shell::TLabel* Label1;
    shell::TDBGrid* DBGrid; // rows of IBGames
    QPushButton* Button2;   // "Очистить журнал"
    QPushButton* Button1;   // "Назад"

    /*! The player whose games the journal shows; empty for all games. */
    QString JournalPlayerCode;

    /*! The background. Throws shell::PictureError. */
    void FormCreate();
    /*! After a confirmation, deletes the games the journal last opened: all of
        them, or every game JournalPlayerCode won or lost. Throws db::DbError. */
    void Button2Click();
    void Button1Click();

  private:
    db::TDModule& module_;
};

extern TForm8* Form8;
