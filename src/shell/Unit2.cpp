#include "shell/Unit2.h"

#include "shell/PortTaken.h"

#include "net/TDM.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ClientLaunch.h"
#include "shell/DbMenuActions.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerList.h"
#include "shell/ServerAway.h"
#include "shell/ShellOpen.h"
#include "shell/Unit1.h"
#include "db/PagedModel.h"
#include "db/Unit6.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLocale>
#include <QCloseEvent>
#include <QDir>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <utility>

TForm2* Form2 = nullptr;

namespace {

const QString Computer = game::ComputerName;
// The level chosen last is kept in the user's program folder.
QString LevelFile() {
    return shell::ProgramPath(QStringLiteral("\\Data\\Engine.ini"));
}
const QString LevelKey = QStringLiteral("engine/plies");
QString NewGameFile() {
    return shell::ProgramPath(QStringLiteral("\\Data\\NewGame.ini"));
}
const QString LengthKey = QStringLiteral("match/length");
// The lengths clubs play; any other comes from the referee's command line.
constexpr int MatchLengths[] = {1, 3, 5, 7, 9, 11};

QString LengthName(int length) {
    return length == 1 ? QStringLiteral("Игра") : QStringLiteral("Матч до %1").arg(length);
}

// A choice kept in an ini file: its index in box, the first for none or a
// value the box does not offer.
void PickKept(QComboBox* box, const QString& file, const QString& key) {
    const QSettings kept(file, QSettings::IniFormat);
    bool ok = false;
    const int value = kept.value(key).toInt(&ok);
    box->setCurrentIndex(ok ? std::max(0, box->findData(value)) : 0);
    QObject::connect(box, &QComboBox::activated, box, [box, file, key] {
        QSettings(file, QSettings::IniFormat).setValue(key, box->currentData());
    });
}

// A long name never makes a drop-down wider than the screen: the list elides
// it with "…" instead.
void KeepPopupOnScreen(QComboBox* box) {
    QAbstractItemView* list = box->view();
    list->setTextElideMode(Qt::ElideRight);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->window()->setMaximumWidth(box->screen()->availableGeometry().width());
}

} // namespace

TForm2::TForm2(net::TDM& dm, QWidget* parent)
    : TFormBase(QStringLiteral("Новая игра"), QSize(343, 192), Frame::Dialog, parent), dm_(dm),
      link_(std::make_unique<game::ClientLinkOf<net::TDM>>(dm)), seats_(shell::ProgramFolder) {
    pause_.target = &sleepPause_;
    Label1 = AddLabel(QStringLiteral("НОВАЯ ИГРА"), {16, 8}, 48, Qt::yellow);
    Label2 = AddLabel(QStringLiteral("Выберите игроков"), {80, 72}, 21, Qt::cyan);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(16, 104, 137, ComboBox1->sizeHint().height());
    Label3 = AddLabel(QStringLiteral("vs."), {160, 104}, 21, Qt::red);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(192, 104, 137, ComboBox2->sizeHint().height());
    KeepPopupOnScreen(ComboBox1);
    KeepPopupOnScreen(ComboBox2);
    list1_ = new shell::PlayerList(ComboBox1);
    list2_ = new shell::PlayerList(ComboBox2);
    Button2 = AddButton(QStringLiteral("Назад"), {16, 152, 105, 25});
    Button1 = AddButton(QStringLiteral("Начать игру"), {224, 152, 105, 25});
    AddLevelChooser();
    AddLengthChooser();
    // Under the buttons: the row above holds the engine's level.
    CachedLists = new QLabel(this);
    CachedLists->setGeometry(16, 178, 313, 14);
    CachedLists->setStyleSheet(QStringLiteral("color: yellow; font-size: 11px;"));
    CachedLists->hide();
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, ComboBox3);
    setTabOrder(ComboBox3, ComboBox4);
    Button1->setFocus();
    for (QComboBox* box : {ComboBox1, ComboBox2})
        connect(box, &QComboBox::currentTextChanged, this, [this] { ShowLevelChooser(); });

    // Only the user's pick runs the change handler, never a refill.
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { shell::DropErrors([this] { DatabaseStep([this] { ComboBox1Change(); }); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { shell::DropErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { shell::DropErrors([this] { Button2Click(); }); });

    controller_ = std::make_unique<game::TurnController>(
        *link_, static_cast<game::IPlayerNames&>(*this), pause_,
        static_cast<game::IGameEndSink&>(*this), shell::ProgramFolder.toStdString());
    controller_->CloseDialogHook = [this] { close(); };
    controller_->SetSeats(&seats_);
    // Not modal: a modal box would run the game's timer inside it.
    controller_->NoticeHook = [](const QString& text) { shell::ShowNoticeWithoutWaiting(text); };
    clientWait_ = new QTimer(this);
    clientWait_->setSingleShot(true);
    connect(clientWait_, &QTimer::timeout, this, [this] {
        if (awaitingClient_)
            shell::DropErrors([this] { StopWaitingForClient(); });
    });
    dm_.AcceptHook = [this] {
        awaitingClient_ = false;
        clientWait_->stop();
        seats_.SetPlies(EnginePlies());
        // A tournament pairing is one game, whatever the dialog last chose.
        controller_->MatchLength = pairing_.isEmpty() ? MatchLength() : 1;
        shell::DropErrors([this] { controller_->StartGame(); });
    };
    dm_.DisconnectHook = [this] { close(); };

    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this,
            [this] { shell::DropErrors([this] { controller_->TimerTimer(); }); });
    Timer->start();

    // Any other window of the program becoming active ends a visit elsewhere.
    qApp->installEventFilter(this);

    shell::DropErrors([this] { FormCreate(); });
}

TForm2::~TForm2() {
    qApp->removeEventFilter(this);
    dm_.AcceptHook = nullptr;
    dm_.DisconnectHook = nullptr;
}

void TForm2::SetPause(game::IPause& pause) {
    pause_.target = &pause;
}

void TForm2::FormCreate() {
    shell::LoadBackground(this, shell::DialogBackground);
}

void TForm2::AddLevelChooser() {
    // Below the players, between them: the space under "vs.".
    ComboBox3 = new QComboBox(this);
    ComboBox3->setGeometry(128, 130, 92, 20);
    for (const int plies : game::EngineLevels)
        ComboBox3->addItem(game::EngineLevelName(plies), plies);
    ComboBox3->hide();
    PickKept(ComboBox3, LevelFile(), LevelKey);
}

void TForm2::AddLengthChooser() {
    // The free space between the two buttons.
    ComboBox4 = new QComboBox(this);
    ComboBox4->setGeometry(128, 152, 92, 25);
    for (const int length : MatchLengths)
        ComboBox4->addItem(LengthName(length), length);
    PickKept(ComboBox4, NewGameFile(), LengthKey);
}

int TForm2::MatchLength() const {
    return std::max(1, ComboBox4->currentData().toInt());
}

void TForm2::ShowLevelChooser() {
    ComboBox3->setVisible(ComboBox1->currentText() == game::EngineName ||
                          ComboBox2->currentText() == game::EngineName);
}

int TForm2::EnginePlies() const {
    return ComboBox3->currentData().toInt();
}

QStringList TForm2::Computers() const {
    return engineListed_ ? QStringList{Computer, game::EngineName} : QStringList{Computer};
}

void TForm2::FormActivate() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    // "Компьютер" comes first and stays in both lists whatever the database
    // does, so a failed read never leaves a game without players.
    engineListed_ = game::EngineSeats::Available();
    list1_->Reset(Computers());
    ComboBox1->setCurrentIndex(0);
    ShowCachedLists();
    ComboBox1Change();
    DatabaseStep([this] {
        db::TQuery& players = db::DModule->OpenPlayerList();
        players.First();
        // The server answered: its lists, and kept for a time it does not.
        if (cache_) {
            cache_.reset();
            CachedLists->hide();
            list1_->Reset(Computers());
        }
        // Every row, in the statement's order: the first page now, the
        // others as the list is scrolled.
        if (!players.IsEmpty())
            list1_->Show(players.Pages(), QStringLiteral("P_Name"));
        serverAwayTold_ = false;
        // Kept once a showing: every box given back activates the dialog,
        // and the server's whole list is long.
        if (!std::exchange(serverRead_, true) && db::DModule->Engine() == db::Dialect::PostgreSQL)
            db::SavePlayerCache(*db::DModule, shell::ProgramFolder);
    });
}

void TForm2::ShowCachedLists() {
    cache_.reset();
    CachedLists->hide();
    // The server has answered since the dialog was shown: its lists come next.
    if (serverRead_ || !db::DModule || db::DModule->Engine() != db::Dialect::PostgreSQL)
        return;
    cache_ = db::LoadPlayerCache(shell::ProgramFolder);
    if (!cache_)
        return;
    list1_->Reset(Computers() + cache_->ByName());
    CachedLists->setText(QStringLiteral("список с сервера от ") +
                         QLocale::system().toString(cache_->read, QLocale::ShortFormat));
    CachedLists->show();
}

void TForm2::DatabaseStep(const std::function<void()>& step) {
    // Each box given back activates the dialog again, which reads again:
    // a server out of reach is told once until a read works or the dialog hides.
    if (!shell::RunServerStep(step, !serverAwayTold_)) {
        serverAwayTold_ = true;
        serverRead_ = false;
    }
}

void TForm2::ComboBox1Change() {
    list2_->Reset(Computers());
    const QString name = ComboBox1->currentText();
    if (cache_) {
        list2_->Reset(Computers() + cache_->Opponents(name));
        ComboBox2->setCurrentIndex(0);
        return;
    }
    if (!game::IsComputerName(name)) {
        db::TQuery& player = db::DModule->OpenPlayer(name);
        player.First();
        if (player.FieldAsInteger(QStringLiteral("P_Points")) > 2) {
            db::TQuery& opponents = db::DModule->OpenOpponents(name);
            opponents.First();
            if (!opponents.Eof())
                list2_->Show(opponents.Pages(), QStringLiteral("P_Name"));
        }
    }
    ComboBox2->setCurrentIndex(0);
}

void TForm2::Button1Click() {
    // Dismissing a box gives the dialog the focus back, which refills the lists.
    if (!LaunchClient())
        FormActivate();
}

bool TForm2::PlayPairing(const QString& first, const QString& second, const QString& pairing) {
    pairing_ = pairing;
    pairingFirst_ = first;
    pairingSecond_ = second;
    pairingPlayed_ = false;
    if (LaunchClient())
        return true;
    pairing_.clear();
    return false;
}

void TForm2::EndPairing() {
    const QString pairing = std::exchange(pairing_, QString());
    if (PairingOver)
        PairingOver(pairing, std::exchange(pairingPlayed_, false));
}

bool TForm2::LaunchClient() {
    bool boxShown = false;
    try {
        dm_.OpenGameServer(static_cast<uint16_t>(shell::ServerPort & 0xFFFF));
        QDir::setCurrent(shell::ProgramFolder);
        const int result =
            shell::ShellOpen(shell::ClientPath, [self = QPointer<TForm2>(this)](bool clean) {
                if (self)
                    shell::DropErrors([&] { self->ClientExited(clean); });
            });
        const QString error = shell::ClientLaunchError(result);
        if (error.isEmpty()) {
            awaitingClient_ = true;
            hide();
        } else {
            boxShown = true;
            shell::ShowError(error);
        }
    } catch (...) {
        boxShown = true;
        shell::ShowNotice(shell::PortTakenText(static_cast<uint16_t>(shell::ServerPort & 0xFFFF)));
    }
    return !boxShown;
}

void TForm2::Button2Click() {
    hide();
    Form1->show();
}

void TForm2::FormClose() {
    awaitingClient_ = false;
    clientWait_->stop();
    Form1->show();
    controller_->FormClose();
    // A finished game closes the dialog before it tells its result: the
    // pairing ends once that is recorded, not before.
    if (!pairing_.isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (!pairing_.isEmpty())
                EndPairing();
        });
}

void TForm2::ClientExited(bool clean) {
    if (!awaitingClient_)
        return;
    emit LaunchedProgramEnded(clean);
    if (clean)
        clientWait_->start(ClientWaitMs);
    else
        StopWaitingForClient();
}

void TForm2::StopWaitingForClient() {
    awaitingClient_ = false;
    clientWait_->stop();
    // A client starting late must not reach a socket nobody waits on.
    dm_.CloseGameServer();
    // A pairing goes back to the tournament window, not to the lists.
    if (!pairing_.isEmpty()) {
        EndPairing();
        return;
    }
    keepChoice_ = true;
    ShowCentred();
}

bool TForm2::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        focusLeftProgram_ = false;
        break;
    case QEvent::Hide:
        keepChoice_ = false;
        serverAwayTold_ = false;
        serverRead_ = false;
        break;
    case QEvent::WindowDeactivate:
        // No active window left: the focus went to another program.
        focusLeftProgram_ = QApplication::activeWindow() == nullptr;
        break;
    case QEvent::WindowActivate:
        // Only a change of active window inside the program refills the
        // lists: coming back from another program keeps the players chosen.
        // A hidden dialog (the game is on) keeps the players it was started
        // with, and so does a dialog brought back because no client came.
        if (isVisible() && !focusLeftProgram_ && !keepChoice_)
            shell::DropErrors([this] { FormActivate(); });
        focusLeftProgram_ = false;
        keepChoice_ = false;
        break;
    default:
        break;
    }
    return TFormBase::event(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow())
        focusLeftProgram_ = false;
    return TFormBase::eventFilter(watched, event);
}

void TForm2::closeEvent(QCloseEvent* event) {
    shell::DropErrors([this] { FormClose(); });
    TFormBase::closeEvent(event);
}

QString TForm2::FirstName() const {
    return pairing_.isEmpty() ? ComboBox1->currentText() : pairingFirst_;
}
QString TForm2::SecondName() const {
    return pairing_.isEmpty() ? ComboBox2->currentText() : pairingSecond_;
}

void TForm2::GameEnded(const game::GameResult& result) {
    // A pairing whose result is lost is given back to be played again.
    pairingPlayed_ = shell::RecordGameResult(result.r, result.whiteName, result.blackName,
                                             result.whiteHuman, result.blackHuman,
                                             {result.identity, result.RecordText()}, pairing_) &&
                     !pairing_.isEmpty();
}
