#include "shell/Unit8.h"

#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"

using namespace shell;

TForm8* Form8 = nullptr;

TForm8::TForm8(db::TDModule& module, QWidget* parent)
    : TFormBase(QStringLiteral("Журнал игр"), QSize(552, 330), Frame::Dialog, parent),
      module_(module) {
    Label1 = AddLabel(QStringLiteral("Журнал игр"), {10, 10}, 19, QColor(255, 255, 0));
    DBGrid = new TDBGrid(module_.IBGames,
                         {{QStringLiteral("G_CODE"), QString(), 0},
                          {QStringLiteral("G_GAMEDATE"), QStringLiteral("Дата"), -1},
                          {QStringLiteral("P_NAME"), QStringLiteral("Победитель"), 111},
                          {QStringLiteral("P_NAME1"), QStringLiteral("Проигравший"), 131},
                          {QStringLiteral("G_SUPER"), QStringLiteral("Превосходство"), 109},
                          {QStringLiteral("G_POINTS"), QStringLiteral("Награда"), 68}},
                         this);
    DBGrid->setGeometry(8, 40, 537, 201);
    Button2 = AddButton(QStringLiteral("Очистить журнал"), QRect(208, 256, 137, 25));
    Button1 = AddButton(QStringLiteral("Назад"), QRect(208, 288, 137, 25));
    setTabOrder(DBGrid, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this,
            [this] { DropErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { DropErrors([this] { Button2Click(); }); });

    DropErrors([this] { FormCreate(); });
}

TForm8::~TForm8() {
    if (Form8 == this)
        Form8 = nullptr;
}

void TForm8::FormCreate() {
    LoadBackground(this, DialogBackground);
}

void TForm8::Button2Click() {
    if (!AskConfirm(QStringLiteral("Вы действительно хотите очистить журнал?")))
        return;
    module_.IBGames.SetSQL(JournalPlayerCode.isEmpty()
                               ? db::sql::ClearGames()
                               : db::sql::ClearPlayerGames(JournalPlayerCode));
    module_.IBGames.ExecSQL();
}

void TForm8::Button1Click() {
    hide();
}
