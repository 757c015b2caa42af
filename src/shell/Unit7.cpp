#include "shell/Unit7.h"

#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/PlayerManagement.h"
#include "shell/ServerAway.h"
#include "shell/Unit8.h"

#include <QMenu>

using namespace shell;

TForm7* Form7 = nullptr;

TForm7::TForm7(db::TDModule& module, QWidget* parent)
    : TFormBase(QStringLiteral("Рейтинги игроков"), QSize(416, 300), Frame::Dialog, parent),
      module_(module) {
    Label1 = AddLabel(QStringLiteral("Список всех зарегистрированных игроков"), {10, 10}, 19,
                      QColor(255, 255, 0));
    DBGrid = new TDBGrid(module_.IBPlayers,
                         {{QStringLiteral("P_CODE"), QStringLiteral("НОМЕР ИГРОКА"), 116},
                          {QStringLiteral("P_NAME"), QStringLiteral("ИМЯ ИГРОКА"), 187},
                          {QStringLiteral("P_POINTS"), QStringLiteral("ОЧКИ"), 66}},
                         this);
    DBGrid->setGeometry(8, 40, 401, 161);
    Button2 = AddButton(QStringLiteral("Журнал игр"), QRect(8, 216, 185, 25));
    Button3 = AddButton(QStringLiteral("Информация об игроке"), QRect(224, 216, 185, 25));
    Button1 = AddButton(QStringLiteral("Назад"), QRect(152, 256, 113, 25));
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, DBGrid);
    setTabOrder(DBGrid, Button1);

    connect(Button1, &QPushButton::clicked, this,
            [this] { DropErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { DropErrors([this] { RunServerStep([this] { Button2Click(); }); }); });
    connect(Button3, &QPushButton::clicked, this,
            [this] { DropErrors([this] { RunServerStep([this] { Button3Click(); }); }); });

    // The administrator's corrections, from a player's row.
    DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = DBGrid->rowAt(at.y());
        if (row < 0)
            return;
        QMenu menu(this);
        connect(menu.addAction(QStringLiteral("Управление игроками…")), &QAction::triggered, this,
                [this, row] { DropErrors([&] { RunServerStep([&] { ManagePlayers(row); }); }); });
        menu.exec(DBGrid->viewport()->mapToGlobal(at));
    });

    DropErrors([this] { FormCreate(); });
}

TForm7::~TForm7() {
    if (Form7 == this)
        Form7 = nullptr;
}

QString TForm7::GenID(const QString& tableName) {
    return module_.GenID(tableName);
}

void TForm7::FormCreate() {
    LoadBackground(this, DialogBackground);
}

void TForm7::OpenRatings() {
    module_.IBPlayers.SetSQL(db::sql::Ratings());
    module_.IBPlayers.Open();
    // SQLite reports no row count: ask for a first row instead.
    const bool any = !module_.IBPlayers.IsEmpty();
    Button2->setEnabled(any);
    Button3->setEnabled(any);
    ShowCentred();
}

void TForm7::ShowJournal(const QString& title, const db::Statement& games, const QString& code) {
    TForm8* journal = Form8;
    if (!journal)
        return;
    journal->Label1->setText(title);
    journal->Label1->adjustSize();
    module_.IBGames.SetSQL(games);
    module_.IBGames.Open();
    journal->JournalPlayerCode = code;
    journal->move(pos() + QPoint(40, 40));
    // Like a first showing, a journal already open comes to the front with the focus.
    journal->show();
    journal->raise();
    journal->activateWindow();
}

void TForm7::Button2Click() {
    ShowJournal(QStringLiteral("Список всех игр"), db::sql::AllGames(), QString());
}

void TForm7::Button3Click() {
    const QString name = module_.IBPlayers.FieldAsString(QStringLiteral("P_NAME"));
    const QString code = module_.IBPlayers.FieldAsString(QStringLiteral("P_CODE"));
    ShowJournal(QStringLiteral("Список всех игр игрока ") + name, db::sql::PlayerGames(code), code);
}

void TForm7::Button1Click() {
    hide();
}

void TForm7::ManagePlayers(int row) {
    module_.IBPlayers.MoveTo(row);
    const QString name = module_.IBPlayers.FieldAsString(QStringLiteral("P_NAME"));
    const qint64 points = module_.IBPlayers.FieldAsInteger(QStringLiteral("P_POINTS"));
    if (!management_)
        management_ = std::make_unique<TPlayerManagement>(module_);
    management_->OpenFor(name, points);
}
