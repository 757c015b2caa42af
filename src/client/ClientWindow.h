// The client's main window: the board, the move history beside it, and after
// the game the replay and saving of the record. Closing it during a game asks
// first, since the game then ends without a result.
#pragma once

#include "client/BoardWidget.h"
#include "client/ClientSession.h"
#include "client/GameReplay.h"
#include "client/MatchControls.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>

namespace client {

class ClientWindow : public QWidget {
    Q_OBJECT
  public:
    /*! Asks a yes/no question; true for Yes. */
    using Confirm = std::function<bool(const QString& question)>;
    /*! Asks where to save; empty: the person cancelled. */
    using AskPath = std::function<QString()>;
    /*! Tells the person something went wrong. */
    using Notify = std::function<void(const QString& text)>;

    explicit ClientWindow(ClientSession& session, QWidget* parent = nullptr);

    /*! The seams of the modal dialogs; the defaults show real ones. */
    void SetDialogs(Confirm confirm, AskPath askPath, Notify notify);
    /*! The seam of the open dialog; the default shows the real one. */
    void SetOpenDialog(AskPath askOpen);
    /*! Whether closing during a game asks first (the automatic mode does not). */
    void SetAskOnClose(bool ask) { askOnClose_ = ask; }
    /*! Shows or hides the history; the window grows or shrinks by the panel,
        so the board keeps its size and proportions. */
    void SetHistoryShown(bool shown);
    /*! Sizes the window so the board gets that size. A board narrower than
        HistoryMinBoardWidth starts with the history hidden, so the board
        keeps most of the window. */
    void ResizeBoardTo(QSize board);
    static constexpr int HistoryMinBoardWidth = 640;

    BoardWidget& Board() { return board_; }
    /*! The match's buttons over the board. */
    MatchControls& Controls() { return *matchControls_; }
    QListWidget& History() { return history_; }
    /*! "Нумерация другой стороны" (N, and in the window's menu). */
    QAction& NumberingAction() { return *numbering_; }
    /*! The replay, once the game is over. */
    const GameReplay* Replay() const { return replay_.get(); }
    /*! Replay steps: to the start, back, forward (animated), to the end. */
    void ReplayFirst();
    void ReplayBack();
    void ReplayForward();
    void ReplayLast();
    /*! "Сохранить партию": asks for a file and writes the game in the format
        its type names. */
    void SaveGame();
    /*! "Анализ в GNU Backgammon": opens the game there. */
    void Analyse();
    /*! Ctrl+O: asks for a saved game (.txt, .mat, .sgf) and shows it from its
        start; not while a game is being played. */
    void OpenGame();
    /*! Shows a game read from a file from its start, and tells the note
        (what the user should know beside it) when there is one. */
    void ShowGame(const GameRecord& game, const QString& note);

    static const QString CloseQuestion;
    /*! The client's own box for CloseQuestion: caption "Вертан", buttons "Да"
        and "Нет"; "Нет" is the default and Esc's answer. */
    static std::unique_ptr<QMessageBox> CloseQuestionBox(QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildLayout();
    void BuildActions();
    /*! A window too narrow for the buttons in one row puts the replay's in a
        row of their own, gives every button its short text and hides the
        history. */
    void FitButtons();
    /*! What the buttons shown take in one row with their full texts. */
    int OneRowWidth() const;
    void FillHistory();
    void EnterReplay();
    void ReplayMoved();
    /*! The rows of the history: every turn played or passed, and while the
        game goes on the turn under way. */
    std::vector<const Turn*> HistoryTurns() const;
    QPushButton* AddButton(QLayout* layout, const QString& text, const QKeySequence& key,
                           void (ClientWindow::*slot)(), const QString& brief);

    ClientSession& session_;
    BoardWidget board_;
    MatchControls* matchControls_ = nullptr; // a child of the board
    QWidget panel_;
    QListWidget history_;
    QWidget replayBar_;
    QLabel replayStep_;
    struct ButtonTexts {
        QPushButton* button;
        QString full;
        QString brief;
    };
    std::vector<ButtonTexts> texts_;
    QHBoxLayout* replayRow_ = nullptr;
    QHBoxLayout* actionRow_ = nullptr;
    bool compact_ = false;
    QAction* numbering_ = nullptr;
    QPushButton* historyButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* analysisButton_ = nullptr;
    std::unique_ptr<GameReplay> replay_;
    bool askOnClose_ = true;
    Confirm confirm_;
    AskPath askPath_;
    AskPath askOpen_;
    Notify notify_;
};

} // namespace client
