#include "client/ClientWindow.h"

#include "client/KeyedButton.h"
#include "desktop/Analysis.h"
#include "desktop/GameFileDialog.h"
#include "record/GameFile.h"
#include "record/GameRecord.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace client {
namespace {

constexpr int PanelWidth = 280;

} // namespace

std::vector<const Turn*> ClientWindow::HistoryTurns() const {
    const GameRecord& record = session_.Record();
    std::vector<const Turn*> rows = record.PlayedTurns();
    // The roll that came with the winning move is no turn of the game.
    const bool over = record.Finished() || record.Winner() || session_.Model().GameOver();
    if (!over && !record.Turns().empty() &&
        (rows.empty() || rows.back() != &record.Turns().back())) {
        rows.push_back(&record.Turns().back());
    }
    return rows;
}

std::unique_ptr<QMessageBox> ClientWindow::CloseQuestionBox(QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Вертан"),
                                             CloseQuestion, QMessageBox::NoButton, parent);
    box->addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box->setDefaultButton(no);
    box->setEscapeButton(no);
    return box;
}

const QString ClientWindow::CloseQuestion =
    QStringLiteral("Прервать партию? Результат не будет записан.");

ClientWindow::ClientWindow(ClientSession& session, QWidget* parent)
    : QWidget(parent), session_(session), board_(session) {
    setWindowTitle(QStringLiteral("Нарды"));
    setAccessibleName(QStringLiteral("Нарды"));
    SetDialogs(nullptr, nullptr, nullptr);
    SetOpenDialog(nullptr);
    BuildLayout();
    BuildActions();
    matchControls_ = new MatchControls(session_, &board_);
    connect(&session_, &ClientSession::Changed, this, &ClientWindow::FillHistory);
    connect(&session_, &ClientSession::GameOver, this, &ClientWindow::EnterReplay);
    connect(&board_, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    FillHistory();
    board_.setFocus();
}

void ClientWindow::SetDialogs(Confirm confirm, AskPath askPath, Notify notify) {
    confirm_ = confirm ? std::move(confirm) : Confirm([this](const QString&) {
        const auto box = CloseQuestionBox(this);
        box->exec();
        return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
    });
    askPath_ = askPath ? std::move(askPath)
                       : AskPath([this] { return desktop::AskGameFile(this, session_.Record()); });
    notify_ = notify ? std::move(notify) : Notify([this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Вертан"), text);
    });
}

void ClientWindow::SetOpenDialog(AskPath askOpen) {
    askOpen_ =
        askOpen ? std::move(askOpen) : AskPath([this] { return desktop::AskGameToOpen(this); });
}

void ClientWindow::BuildActions() {
    // Keys without a button, listed in the window's menu (right button).
    auto* open = new QAction(QStringLiteral("Открыть партию…"), this);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &ClientWindow::OpenGame);
    numbering_ = new QAction(QStringLiteral("Нумерация другой стороны"), this);
    numbering_->setShortcut(QKeySequence(Qt::Key_N));
    numbering_->setCheckable(true);
    connect(numbering_, &QAction::toggled, &board_, &BoardWidget::SetOtherNumbering);
    addActions({open, numbering_});
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

QPushButton* ClientWindow::AddButton(QLayout* layout, const QString& text, const QKeySequence& key,
                                     void (ClientWindow::*slot)(), const QString& brief) {
    // Plain keys (the replay's) go through keyPressEvent, after the board's.
    QPushButton* button = KeyedButton(text, key, key[0].keyboardModifiers() != Qt::NoModifier);
    button->setAccessibleName(text); // the short text too stands for this
    texts_.push_back({button, text, brief});
    layout->addWidget(button);
    if (slot) {
        connect(button, &QPushButton::clicked, this, slot);
    }
    return button;
}

void ClientWindow::BuildLayout() {
    auto* panelLayout = new QVBoxLayout(&panel_);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    auto* title = new QLabel(QStringLiteral("Ход партии"));
    panelLayout->addWidget(title);
    panelLayout->addWidget(&history_, 1);
    panel_.setFixedWidth(PanelWidth);
    panel_.setAccessibleName(QStringLiteral("История ходов"));
    history_.setAccessibleName(QStringLiteral("Ход партии"));
    history_.setAccessibleDescription(
        QStringLiteral("По строке на ход: сторона, кости и ходы; в конце результат"));
    history_.setFocusPolicy(Qt::NoFocus);
    // Long lines wrap: the panel never scrolls sideways.
    history_.setWordWrap(true);
    history_.setTextElideMode(Qt::ElideNone);
    history_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    history_.setResizeMode(QListView::Adjust);
    title->setBuddy(&history_);

    auto* replayLayout = new QHBoxLayout(&replayBar_);
    replayLayout->setContentsMargins(0, 0, 0, 0);
    AddButton(replayLayout, QStringLiteral("◀◀ В начало"), QKeySequence(Qt::Key_Home),
              &ClientWindow::ReplayFirst, QStringLiteral("◀◀"));
    AddButton(replayLayout, QStringLiteral("◀ Назад"), QKeySequence(Qt::Key_Left),
              &ClientWindow::ReplayBack, QStringLiteral("◀"));
    AddButton(replayLayout, QStringLiteral("Вперёд ▶"), QKeySequence(Qt::Key_Right),
              &ClientWindow::ReplayForward, QStringLiteral("▶"));
    AddButton(replayLayout, QStringLiteral("В конец ▶▶"), QKeySequence(Qt::Key_End),
              &ClientWindow::ReplayLast, QStringLiteral("▶▶"));
    replayLayout->addWidget(&replayStep_);
    replayBar_.setAccessibleName(QStringLiteral("Просмотр партии"));
    replayBar_.hide();

    replayRow_ = new QHBoxLayout;
    replayRow_->setContentsMargins(4, 0, 4, 0);
    auto* bar = new QHBoxLayout;
    actionRow_ = bar;
    bar->setContentsMargins(4, 0, 4, 4);
    bar->addWidget(&replayBar_);
    bar->addStretch(1);
    saveButton_ =
        AddButton(bar, QStringLiteral("Сохранить партию"), QKeySequence(Qt::CTRL | Qt::Key_S),
                  &ClientWindow::SaveGame, QStringLiteral("Сохранить"));
    saveButton_->setEnabled(false);
    analysisButton_ = AddButton(bar, desktop::AnalysisItem, QKeySequence(Qt::CTRL | Qt::Key_G),
                                &ClientWindow::Analyse, QStringLiteral("Анализ"));
    analysisButton_->hide();
    historyButton_ = AddButton(bar, QStringLiteral("История"), QKeySequence(Qt::CTRL | Qt::Key_H),
                               nullptr, QStringLiteral("История"));
    historyButton_->setCheckable(true);
    historyButton_->setChecked(true);
    connect(historyButton_, &QPushButton::toggled, this, &ClientWindow::SetHistoryShown);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(&board_, 1);
    top->addWidget(&panel_);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->setSpacing(0);
    // The window may be made smaller than its widgets' full texts ask:
    // FitButtons then makes them fit, down to 320 x 240.
    all->setSizeConstraint(QLayout::SetNoConstraint);
    setMinimumSize(320, 240);
    all->addLayout(top, 1);
    all->addLayout(replayRow_);
    all->addLayout(bar);
}

void ClientWindow::SetHistoryShown(bool shown) {
    if (shown == panel_.isVisibleTo(this)) {
        return;
    }
    panel_.setVisible(shown);
    if (!isFullScreen() && !isMaximized()) {
        resize(width() + (shown ? PanelWidth : -PanelWidth), height());
    }
    historyButton_->setChecked(shown); // comes back here and finds nothing to do
}

void ClientWindow::ResizeBoardTo(QSize board) {
    if (board.width() < HistoryMinBoardWidth && panel_.isVisibleTo(this)) {
        panel_.hide();
        historyButton_->setChecked(false);
    }
    const int panel = panel_.isVisibleTo(this) ? PanelWidth : 0;
    resize(board.width() + panel, board.height() + saveButton_->sizeHint().height() + 4);
}

void ClientWindow::FillHistory() {
    const GameRecord& record = session_.Record();
    history_.clear();
    for (const Turn* turn : HistoryTurns()) {
        history_.addItem(TurnText(*turn));
    }
    if (const QString matchEnd = session_.Match().GameEndText(); !matchEnd.isEmpty()) {
        // The match's end says what the board cannot: a pass or a resignation.
        history_.addItem(QStringLiteral("Результат: ") + matchEnd.front().toLower() +
                         matchEnd.mid(1));
    } else if (record.Finished()) {
        history_.addItem(ResultText(record));
    }
    history_.scrollToBottom();
    setAccessibleDescription(board_.accessibleDescription());
}

void ClientWindow::EnterReplay() {
    replay_ = std::make_unique<GameReplay>(session_.Record().Messages(), true);
    board_.ShowModel(&replay_->Model());
    replayBar_.show();
    saveButton_->setEnabled(session_.Record().Started());
    // Offered only where GNU Backgammon is installed.
    analysisButton_->setVisible(session_.Record().Started() &&
                                !desktop::AnalysisProgram().isEmpty());
    FillHistory();
    ReplayMoved();
    FitButtons();
}

void ClientWindow::ReplayMoved() {
    const int at = replay_->Position();
    const int steps = replay_->Steps();
    const std::vector<const Turn*> turns = HistoryTurns();
    const ReplayPlace place = PlaceOfStep(turns, at);
    const QString counter = ReplayCounterText(place, static_cast<int>(turns.size()));
    replayStep_.setText(counter);
    // The last step leaves the board's own status: the result.
    board_.SetNotice(at == steps ? QString()
                                 : QStringLiteral("Просмотр партии: ") + counter.front().toLower() +
                                       counter.mid(1));
    // The history row of the turn the last shown move belongs to.
    history_.setCurrentRow(place.turn);
    setAccessibleDescription(board_.accessibleDescription());
}

void ClientWindow::ReplayFirst() {
    if (replay_) {
        replay_->Seek(0);
        board_.ShowModel(&replay_->Model());
        ReplayMoved();
    }
}

void ClientWindow::ReplayBack() {
    if (replay_ && replay_->Back()) {
        board_.ShowModel(&replay_->Model());
        ReplayMoved();
    }
}

void ClientWindow::ReplayForward() {
    if (!replay_) {
        return;
    }
    if (const auto shown = replay_->Forward()) {
        ReplayMoved();
        board_.StartFlight(*shown);
    }
}

void ClientWindow::ReplayLast() {
    if (replay_) {
        replay_->Seek(replay_->Steps());
        board_.ShowModel(&replay_->Model());
        ReplayMoved();
    }
}

void ClientWindow::SaveGame() {
    const GameRecord& record = session_.Record();
    if (!record.Started()) {
        return;
    }
    const QString path = askPath_();
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!record::SaveGame(record, path, error)) {
        notify_(QStringLiteral("Не удалось сохранить партию: %1").arg(error));
    }
}

void ClientWindow::Analyse() {
    QString error;
    if (session_.Record().Started() && !desktop::OpenInAnalysis(session_.Record(), error)) {
        notify_(QStringLiteral("Не удалось открыть партию в GNU Backgammon: %1").arg(error));
    }
}

void ClientWindow::OpenGame() {
    // The game under way stays on the board until it ends.
    if (session_.GameRunning()) {
        return;
    }
    const QString path = askOpen_();
    if (path.isEmpty()) {
        return;
    }
    QString error;
    QString note;
    const auto game = record::OpenGame(path, error, &note);
    if (!game) {
        notify_(QStringLiteral("Не удалось открыть партию %1: %2").arg(path, error));
        return;
    }
    ShowGame(*game, note);
}

void ClientWindow::ShowGame(const GameRecord& game, const QString& note) {
    session_.ShowRecord(game);
    ReplayFirst();
    if (!note.isEmpty()) {
        notify_(note);
    }
}

int ClientWindow::OneRowWidth() const {
    // A button is its text and the style's margins, taken generously.
    int width = 8;
    for (const ButtonTexts& t : texts_) {
        if (t.button->isVisibleTo(this)) {
            width += t.button->fontMetrics().horizontalAdvance(t.full) + 40;
        }
    }
    if (replayBar_.isVisibleTo(this)) {
        width += replayStep_.fontMetrics().horizontalAdvance(
            QStringLiteral("Ход 88 из 88, фишка 8 из 8"));
    }
    return width;
}

void ClientWindow::FitButtons() {
    // A window not yet shown has no size of its own yet.
    const bool compact = isVisible() && width() < OneRowWidth();
    if (compact == compact_) {
        return;
    }
    compact_ = compact;
    for (const ButtonTexts& t : texts_) {
        t.button->setText(compact ? t.brief : t.full);
        // The style's least width of a button is wider than an arrow needs.
        t.button->setMinimumWidth(
            compact ? t.button->fontMetrics().horizontalAdvance(t.brief) + 20 : 0);
    }
    (compact ? actionRow_ : replayRow_)->removeWidget(&replayBar_);
    (compact ? replayRow_ : actionRow_)->insertWidget(0, &replayBar_);
    // The counter gives way before a button does.
    replayStep_.setSizePolicy(compact ? QSizePolicy::Ignored : QSizePolicy::Preferred,
                              QSizePolicy::Preferred);
    if (compact && panel_.isVisibleTo(this)) {
        // Hidden without growing the window: the person asked for this size.
        panel_.hide();
        const QSignalBlocker quiet(historyButton_);
        historyButton_->setChecked(false);
    }
}

void ClientWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitButtons();
}

void ClientWindow::keyPressEvent(QKeyEvent* event) {
    // The board passes on the keys it does not play with.
    if (replay_) {
        switch (event->key()) {
        case Qt::Key_Home:
            return ReplayFirst();
        case Qt::Key_Left:
            return ReplayBack();
        case Qt::Key_Right:
            return ReplayForward();
        case Qt::Key_End:
            return ReplayLast();
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void ClientWindow::closeEvent(QCloseEvent* event) {
    if (askOnClose_ && session_.GameRunning() && !confirm_(CloseQuestion)) {
        event->ignore();
        return;
    }
    session_.Close();
    event->accept();
}

} // namespace client
