// New game dialog: the two players, the launch of the board client, and the
// game itself (the dialog owns the turn timer and the turn controller).
#pragma once

#include "db/PlayerCache.h"

#include <optional>

#include "game/EngineSeat.h"
#include "game/TurnController.h"
#include "shell/FormBase.h"

#include <QComboBox>
#include <memory>

class QTimer;
namespace net {
class TDM;
}
namespace shell {
class PlayerList;
}

class TForm2 : public shell::TFormBase, private game::IPlayerNames, private game::IGameEndSink {
    Q_OBJECT
  public:
    /*! dm is the game server socket; it must outlive the dialog. */
    explicit TForm2(net::TDM& dm, QWidget* parent = nullptr);
    ~TForm2() override;

    shell::TLabel* Label1;
    shell::TLabel* Label2;
    shell::TLabel* Label3;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    /*! The engine's level (game::EngineLevels), shown while either list
        shows the engine; remembered in Data/Engine.ini. */
    QComboBox* ComboBox3;
    /*! The match's length: "Игра" (1, the single game) or "Матч до N";
        remembered in Data/NewGame.ini. */
    QComboBox* ComboBox4;
    /*! "список с сервера от <время>" while the lists are the ones kept from the server. */
    QLabel* CachedLists;
    QPushButton* Button1; // "Начать игру"
    QPushButton* Button2; // "Назад"
    QTimer* Timer;        // the game's 1000 ms tick, running from creation

    /*! The referee of the game; its state (GameBoard, GameRunning...) is the game's. */
    game::TurnController& Game() { return *controller_; }
    /*! The waits of the game; tests replace them. The pause must outlive the dialog. */
    void SetPause(game::IPause& pause);

    void FormCreate();
    /*! Rebuilds both lists from the database and resets both to "Компьютер",
        which both lists hold as item 0 even when the database cannot be read,
        the engine as item 1 where it is installed. A server out of reach is
        told once while the dialog is shown. */
    void FormActivate();
    /*! Fills the second list by the pairing rule for the first list's player:
        the computers, then for a person with 3 points or more every other
        such person. */
    void ComboBox1Change();
    /*! The level chosen in ComboBox3, in plies. */
    int EnginePlies() const;
    /*! The match length chosen in ComboBox4 (1: a single game). */
    int MatchLength() const;
    /*! Opens the game server socket and launches the board client. */
    void Button1Click();
    /*! How long a launched program that ended with status 0 (a launcher
        that starts the board client in the background) leaves for the
        connection: the board client's own connection retry. Tests shorten it. */
    int ClientWaitMs = 10000;

    /*! A tournament pairing's game between first and second, started as
        Button1Click starts one without the lists; its result decides the
        pairing too. False when it could not start (told in a box). */
    bool PlayPairing(const QString& first, const QString& second, const QString& pairing);
    /*! Told once a pairing's game is over (played: its result recorded or
        queued) or did not take place. */
    std::function<void(const QString& pairing, bool played)> PairingOver;

    /*! Back to the main menu; the socket is not touched. */
    void Button2Click();
    /*! The main menu back, the game stopped, the socket closed. */
    void FormClose();

  signals:
    /*! The launched program ended before a connection (cleanly: status 0). */
    void LaunchedProgramEnded(bool clean);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    /*! Runs a database step of the lists, telling a server out of reach. */
    void DatabaseStep(const std::function<void()>& step);
    /*! The level chooser and its choice of an earlier run. */
    void AddLevelChooser();
    /*! The match length chooser and its choice of an earlier run. */
    void AddLengthChooser();
    /*! Shows the level chooser while either list shows the engine. */
    void ShowLevelChooser();
    /*! The computers the lists offer first: "Компьютер", and the engine
        when it is installed (asked at each refill). */
    QStringList Computers() const;
    QString FirstName() const override;
    QString SecondName() const override;
    void GameEnded(const game::GameResult& result) override;
    /*! The launched program ended. A failure means no client is coming; a
        clean end may have left the board client running in the background. */
    void ClientExited(bool clean);
    /*! No client came: the socket closed and the dialog back with its players. */
    void StopWaitingForClient();
    /*! Opens the socket and launches the board client; false when told why not. */
    bool LaunchClient();
    /*! The pairing's game is over: PairingOver told. */
    void EndPairing();

    /*! Forwards the waits to the pause in use. */
    class Pause : public game::IPause {
      public:
        void Wait(int ms) override { target->Wait(ms); }
        game::IPause* target = nullptr;
    };

    shell::PlayerList* list1_ = nullptr; // ComboBox1's items
    shell::PlayerList* list2_ = nullptr; // ComboBox2's items
    net::TDM& dm_;
    std::unique_ptr<game::IClientLink> link_;
    game::ThreadSleepPause sleepPause_;
    Pause pause_;
    game::EngineSeats seats_; // the engine's processes, kept for the launcher's life
    std::unique_ptr<game::TurnController> controller_;
    bool engineListed_ = false; // the lists' last refill offered the engine
    QTimer* clientWait_;
    bool awaitingClient_ = false;
    bool focusLeftProgram_ = false; // the last deactivation went to another program
    bool keepChoice_ = false;       // the next activation keeps the players shown
    /*! Offers the lists kept from the server at once, before the server is asked. */
    void ShowCachedLists();
    std::optional<db::PlayerCache> cache_; // the lists shown are these, kept from the server
    bool serverAwayTold_ = false;   // told since the last good read or showing
    bool serverRead_ = false;       // the server gave the lists since the dialog was shown
    QString pairing_;               // the tournament pairing being played, if any
    QString pairingFirst_, pairingSecond_;
    bool pairingPlayed_ = false;
};

extern TForm2* Form2;
