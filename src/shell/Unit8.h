// The games journal: all games or one player's, and clearing them.
#pragma once

#include "shell/DbGrid.h"
#include "shell/FormBase.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

class QMenu;
namespace record {
class GameRecord;
}

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

    /*! The game menu of a grid row (context menu, double-click, Enter):
        "Просмотреть партию", "Сохранить партию…" and, where GNU Backgammon
        is installed, its analysis; disabled for a game without a record.
        Throws db::DbError when the row cannot be read. */
    std::unique_ptr<QMenu> GameMenu(int row);
    /*! Asks where to save a game (a match's first game stands for the
        match); empty: cancelled. Tests replace it. */
    std::function<QString(const record::GameRecord& game)> AskGamePath;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowGameMenu(int row, const QPoint& at);
    void ViewGame(const QString& recordText, qint64 code);
    void SaveGame(const QString& recordText);
    void AnalyseGame(const QString& recordText);

    db::TDModule& module_;
    // Games handed to the board client, made at the first and removed when the program ends.
    std::unique_ptr<QTemporaryDir> viewed_;
};

extern TForm8* Form8;
