#include "shell/Unit9.h"

#include "db/DbError.h"
#include "db/Unit6.h"
#include "game/EngineSeat.h"
#include "record/ComputerNames.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ServerAway.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QSysInfo>
#include <QTabWidget>
#include <optional>

TForm9* Form9 = nullptr;

namespace {

const QString RoundRobinName = QStringLiteral("Круговой");
const QString SwissName = QStringLiteral("Швейцарский");

QTableWidget* NewTable(QWidget* parent, const QStringList& head) {
    auto* table = new QTableWidget(0, int(head.size()), parent);
    table->setHorizontalHeaderLabels(head);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        table->setItem(row, c, new QTableWidgetItem(cells[c]));
}

} // namespace

TForm9::TForm9(db::TDModule& module, QWidget* parent)
    : TFormBase(QStringLiteral("Турнир"), QSize(760, 520), Frame::Dialog, parent), module_(module) {
    AddLabel(QStringLiteral("ТУРНИР"), {16, 8}, 36, Qt::yellow);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(200, 16, 544, 25);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(16, 60, 264, 25);
    Edit1->setPlaceholderText(QStringLiteral("Название турнира"));
    Edit1->setMaxLength(100);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(288, 60, 137, 25);
    ComboBox2->addItems({RoundRobinName, SwissName});
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setGeometry(432, 60, 105, 25);
    SpinEdit1->setRange(1, 99);
    SpinEdit1->setValue(5);
    SpinEdit1->setSuffix(QStringLiteral(" туров"));
    SpinEdit1->setEnabled(false);
    Button1 = AddButton(QStringLiteral("Создать турнир"), {544, 60, 200, 25});
    ComboBox3 = new QComboBox(this);
    ComboBox3->setGeometry(16, 96, 264, 25);
    Button2 = AddButton(QStringLiteral("Добавить игрока"), {288, 96, 249, 25});
    Button3 = AddButton(QStringLiteral("Начать турнир"), {544, 96, 200, 25});

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(16, 132, 728, 300);
    Pairings = NewTable(PageControl1, {QStringLiteral("Тур"), QStringLiteral("Стол"),
                                       QStringLiteral("Первый"), QStringLiteral("Второй"),
                                       QStringLiteral("Результат"), QStringLiteral("Играется на")});
    Table = NewTable(PageControl1, {});
    Cross = NewTable(PageControl1, {});
    PageControl1->addTab(Pairings, QStringLiteral("Пары"));
    PageControl1->addTab(Table, QStringLiteral("Таблица"));
    PageControl1->addTab(Cross, QStringLiteral("Кросстаблица"));

    Button4 = AddButton(QStringLiteral("Начать партию"), {16, 444, 137, 25});
    Button5 = AddButton(QStringLiteral("Неявка первого"), {160, 444, 137, 25});
    Button6 = AddButton(QStringLiteral("Неявка второго"), {304, 444, 137, 25});
    Button7 = AddButton(QStringLiteral("Снять игрока"), {448, 444, 137, 25});
    Button8 = AddButton(QStringLiteral("Освободить пару"), {592, 444, 152, 25});
    Button9 = AddButton(QStringLiteral("Назад"), {16, 484, 105, 25});

    ClaimName = QStringLiteral("%1 (%2)")
                    .arg(QSysInfo::machineHostName())
                    .arg(QCoreApplication::applicationPid());
    StartGame = [](const QString& first, const QString& second, const QString& pairing) {
        return Form2 && Form2->PlayPairing(first, second, pairing);
    };

    connect(ComboBox2, &QComboBox::currentIndexChanged, this,
            [this](int index) { SpinEdit1->setEnabled(index == 1); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { Step([this] { Refresh(); }); });
    connect(Button1, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button1Click));
    connect(Button2, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button2Click));
    connect(Button3, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button3Click));
    connect(Button4, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button4Click));
    connect(Button5, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button5Click));
    connect(Button6, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button6Click));
    connect(Button7, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button7Click));
    connect(Button8, &QPushButton::clicked, this, shell::Dropping(this, &TForm9::Button8Click));
    connect(Button9, &QPushButton::clicked, this, [this] {
        hide();
        if (Form1)
            Form1->show();
    });
    shell::DropErrors([this] { shell::LoadBackground(this, shell::DialogBackground); });
}

void TForm9::Step(const std::function<void()>& step) {
    try {
        shell::RunServerStep(step);
    } catch (const db::TournamentRefused& refused) {
        shell::ShowError(refused.Text());
    } catch (const db::DbError& error) {
        shell::ShowError(module_.FailureText(error));
    }
}

void TForm9::OpenTournaments() {
    ShowCentred();
    Step([this] {
        FillPlayers();
        ListTournaments(Chosen());
    });
}

void TForm9::ListTournaments(qint64 chosen) {
    ComboBox1->clear();
    for (const db::TournamentInfo& t : db::ListTournaments(module_))
        ComboBox1->addItem(
            QStringLiteral("%1 (%2)").arg(
                t.name, t.system == tournament::System::Swiss ? SwissName : RoundRobinName),
            t.code);
    ComboBox1->setCurrentIndex(std::max(0, ComboBox1->findData(chosen)));
    Refresh();
}

qint64 TForm9::Chosen() const {
    return ComboBox1->currentData().toLongLong();
}

void TForm9::FillPlayers() {
    // As the new-game dialog pairs: people from 3 points, and the computers.
    ComboBox3->clear();
    ComboBox3->addItem(record::ComputerName);
    if (game::EngineSeats::Available())
        ComboBox3->addItem(record::EngineName);
    // The computer's own row ("Computer") may hold points too: it is no person.
    db::TQuery& players = module_.OpenOpponents(record::ComputerName);
    for (players.First(); !players.Eof(); players.Next())
        if (players.FieldAsInteger(QStringLiteral("P_CODE")) != 1)
            ComboBox3->addItem(players.FieldAsString(QStringLiteral("P_NAME")));
    players.Close();
}

void TForm9::Refresh() {
    data_ = {};
    if (Chosen() != 0)
        data_ = db::ReadTournament(module_, Chosen());
    const bool started = data_.info.started;
    Button2->setEnabled(Chosen() != 0 && !started);
    Button3->setEnabled(Chosen() != 0 && !started);
    FillPairings();
    FillStandings();
}

void TForm9::FillPairings() {
    Pairings->setRowCount(int(data_.pairings.size()));
    int row = 0;
    for (const db::TournamentPairing& p : data_.pairings) {
        QString result;
        if (p.second == 0)
            result = QStringLiteral("свободен от игры");
        else if (p.winner != 0)
            result = QStringLiteral("%1 %2").arg(
                p.winner == p.first ? QStringLiteral("1:0") : QStringLiteral("0:1"),
                p.forfeit ? QStringLiteral("(неявка)") : QString());
        SetRow(Pairings, row++,
               {QString::number(p.round), QString::number(p.board), data_.Name(p.first),
                data_.Name(p.second), result.trimmed(), p.winner == 0 ? p.claim : QString()});
    }
}

void TForm9::FillStandings() {
    const std::vector<tournament::Standing> standings =
        tournament::Standings(data_.info.system, data_.Players(), data_.Games());
    QStringList headings;
    for (const std::string& heading : tournament::StandingHeadings(data_.info.system))
        headings << QString::fromStdString(heading);
    Table->setColumnCount(int(headings.size()));
    Table->setHorizontalHeaderLabels(headings);
    Table->setRowCount(int(standings.size()));
    const int n = int(data_.entries.size());
    Cross->setColumnCount(n + 1);
    Cross->setRowCount(n);
    QStringList crossHead{QStringLiteral("Игрок")};
    for (int i = 1; i <= n; ++i)
        crossHead << QString::number(i);
    Cross->setHorizontalHeaderLabels(crossHead);
    const std::vector<tournament::Game> games = data_.Games();
    for (int row = 0; row < int(standings.size()); ++row) {
        const tournament::Standing& s = standings[size_t(row)];
        SetRow(Table, row,
               {QString::number(s.place), data_.ShownName(s.player + 1), QString::number(s.wins),
                QString::number(s.tieBreak), QString::number(s.headToHead),
                QString::number(s.rating)});
        Table->item(row, 0)->setData(Qt::UserRole, s.player + 1);
    }
    for (int r = 0; r < n; ++r) {
        QStringList cells{QStringLiteral("%1. %2").arg(r + 1).arg(data_.Name(r + 1))};
        for (int c = 0; c < n; ++c)
            cells << (r == c ? QStringLiteral("×")
                             : QString::fromStdString(tournament::CrossCell(games, r, c)));
        SetRow(Cross, r, cells);
    }
}

void TForm9::Button1Click() {
    Step([this] {
        const qint64 code =
            db::CreateTournament(module_, Edit1->text(),
                                 ComboBox2->currentIndex() == 1 ? tournament::System::Swiss
                                                                : tournament::System::RoundRobin,
                                 SpinEdit1->value());
        Edit1->clear();
        ListTournaments(code);
    });
}

void TForm9::Button2Click() {
    Step([this] {
        db::AddEntry(module_, Chosen(), ComboBox3->currentText());
        Refresh();
    });
}

void TForm9::Button3Click() {
    Step([this] {
        db::StartTournament(module_, Chosen());
        Refresh();
        PageControl1->setCurrentWidget(Pairings);
    });
}

const db::TournamentPairing* TForm9::ChosenPairing() const {
    const int row = Pairings->currentRow();
    if (row < 0 || size_t(row) >= data_.pairings.size()) {
        shell::ShowError(QStringLiteral("Выберите пару в таблице пар."));
        return nullptr;
    }
    return &data_.pairings[size_t(row)];
}

void TForm9::Button4Click() {
    const db::TournamentPairing* p = ChosenPairing();
    if (!p)
        return;
    if (p->second == 0 || p->winner != 0) {
        shell::ShowError(QStringLiteral("Результат этой пары уже записан."));
        return;
    }
    const db::TournamentPairing pairing = *p;
    // Nothing when the database failed: that is told, nothing more.
    std::optional<bool> claimed;
    Step([&] {
        claimed = db::ClaimPairing(module_, Chosen(), pairing.round, pairing.board, ClaimName);
    });
    if (!claimed)
        return;
    if (!*claimed) {
        Step([this] { Refresh(); });
        shell::ShowError(QStringLiteral("Эта пара уже играется на другом компьютере."));
        return;
    }
    const QString key = db::PairingKey(Chosen(), pairing.round, pairing.board);
    if (StartGame(data_.Name(pairing.first), data_.Name(pairing.second), key))
        hide();
    else
        GameOver(key, false);
}

void TForm9::GameOver(const QString& pairing, bool played) {
    if (!played)
        Step([&] { db::ReleaseClaim(module_, pairing); });
    OpenTournaments();
}

void TForm9::Button5Click() {
    Forfeit(true);
}

void TForm9::Button6Click() {
    Forfeit(false);
}

void TForm9::Forfeit(bool firstAbsent) {
    if (const db::TournamentPairing* p = ChosenPairing()) {
        const db::TournamentPairing pairing = *p;
        Step([&] {
            db::RecordForfeit(module_, Chosen(), pairing.round, pairing.board,
                              firstAbsent ? pairing.first : pairing.second);
            Refresh();
        });
    }
}

void TForm9::Button7Click() {
    const int row = Table->currentRow();
    if (row < 0 || !Table->item(row, 0)) {
        shell::ShowError(QStringLiteral("Выберите игрока в турнирной таблице."));
        return;
    }
    const int seed = Table->item(row, 0)->data(Qt::UserRole).toInt();
    if (!shell::AskConfirm(QStringLiteral("Снять игрока %1 с турнира? Его несыгранные партии "
                                          "будут засчитаны соперникам.")
                               .arg(data_.Name(seed))))
        return;
    Step([&] {
        db::WithdrawPlayer(module_, Chosen(), seed);
        Refresh();
    });
}

void TForm9::Button8Click() {
    const db::TournamentPairing* p = ChosenPairing();
    if (!p || p->claim.isEmpty() || p->winner != 0)
        return;
    const db::TournamentPairing pairing = *p;
    if (!shell::AskConfirm(QStringLiteral("Пара занята компьютером %1. Освободить её? Делайте "
                                          "это, только если партия там не идёт.")
                               .arg(pairing.claim)))
        return;
    Step([&] {
        db::ReleaseClaim(module_, Chosen(), pairing.round, pairing.board);
        Refresh();
    });
}
