// The tournament window: tournaments made, players entered, rounds paired,
// games started from their pairing, forfeits, withdrawals and the claims of
// pairings being played on other computers.
#pragma once

#include "db/TournamentStore.h"
#include "shell/FormBase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <functional>

class QTabWidget;

namespace db {
class TDModule;
}

class TForm9 : public shell::TFormBase {
    Q_OBJECT
  public:
    /*! Starts a pairing's game as the new-game dialog starts one (first
        named first); false when it could not start (already told). */
    using GameStart =
        std::function<bool(const QString& first, const QString& second, const QString& pairing)>;

    explicit TForm9(db::TDModule& module, QWidget* parent = nullptr);

    QComboBox* ComboBox1; // the tournaments
    QLineEdit* Edit1;     // a new tournament's name
    QComboBox* ComboBox2; // its system: "Круговой", "Швейцарский"
    QSpinBox* SpinEdit1;  // its rounds (Swiss)
    QPushButton* Button1; // "Создать турнир"
    QComboBox* ComboBox3; // the players that may be entered
    QPushButton* Button2; // "Добавить игрока"
    QPushButton* Button3; // "Начать турнир"
    QTabWidget* PageControl1;
    QTableWidget* Pairings; // every round's pairings
    QTableWidget* Table;    // the standings, tie-breaks named
    QTableWidget* Cross;    // the crosstable
    QPushButton* Button4;   // "Начать партию"
    QPushButton* Button5;   // "Неявка первого"
    QPushButton* Button6;   // "Неявка второго"
    QPushButton* Button7;   // "Снять игрока"
    QPushButton* Button8;   // "Освободить пару"
    QPushButton* Button9;   // "Назад"

    /*! Replaces how a game is started (tests); by default the new-game dialog. */
    GameStart StartGame;
    /*! What this computer writes into the pairings it claims. */
    QString ClaimName;

    /*! Shows the window with the tournaments read again. */
    void OpenTournaments();
    /*! Reads the chosen tournament again and fills the tables. */
    void Refresh();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    /*! Claims the chosen pairing and starts its game; the claim is freed
        when the game could not start. */
    void Button4Click();
    void Button5Click();
    void Button6Click();
    /*! Withdraws the player chosen in the standings, after asking. */
    void Button7Click();
    /*! Frees the chosen pairing's claim (a computer that crashed), after asking. */
    void Button8Click();

    /*! After a pairing's game: the claim freed when it was not played, the
        window back and read again. */
    void GameOver(const QString& pairing, bool played);

  private:
    /*! Runs a step, telling a refusal or a database failure in a box. */
    void Step(const std::function<void()>& step);
    qint64 Chosen() const;
    /*! Lists the tournaments, chosen shown (the first when it is gone). */
    void ListTournaments(qint64 chosen);
    const db::TournamentPairing* ChosenPairing() const;
    /*! The chosen pairing's first (or second) player did not come. */
    void Forfeit(bool firstAbsent);
    void FillPlayers();
    void FillPairings();
    void FillStandings();

    db::TDModule& module_;
    db::TournamentData data_;
};

extern TForm9* Form9;
