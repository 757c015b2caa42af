#include "shell/Unit8.h"

#include "shell/StepBack.h"

#include "db/GameArchive.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "desktop/Analysis.h"
#include "desktop/GameFileDialog.h"
#include "record/GameFile.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ClientLaunch.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"

#include <QKeyEvent>
#include <QMenu>

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

    // A recorded game opens from its row: the context menu, a double-click or Enter.
    DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = DBGrid->rowAt(at.y());
        if (row >= 0)
            ShowGameMenu(row, DBGrid->viewport()->mapToGlobal(at));
    });
    connect(DBGrid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        ShowGameMenu(index.row(), QCursor::pos());
    });
    DBGrid->installEventFilter(this);
    AskGamePath = [this](const record::GameRecord& game) {
        return desktop::AskGameFile(this, game);
    };

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
    const db::ResponsiveStep responsive;
    db::ClearJournal(module_, JournalPlayerCode);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int row = DBGrid->currentIndex().row();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && row >= 0) {
            const QRect cell = DBGrid->visualRect(DBGrid->currentIndex());
            ShowGameMenu(row, DBGrid->viewport()->mapToGlobal(cell.center()));
            return true;
        }
    }
    return TFormBase::eventFilter(watched, event);
}

std::unique_ptr<QMenu> TForm8::GameMenu(int row) {
    module_.IBGames.MoveTo(row);
    const qint64 code = module_.IBGames.FieldAsInteger(QStringLiteral("G_CODE"));
    const QString text = db::ReadGameRecord(module_, code).value_or(QString());
    auto menu = std::make_unique<QMenu>(this);
    QAction* view = menu->addAction(QStringLiteral("Просмотреть партию"));
    QAction* save = menu->addAction(QStringLiteral("Сохранить партию…"));
    connect(view, &QAction::triggered, this,
            [this, text, code] { DropErrors([&] { ViewGame(text, code); }); });
    connect(save, &QAction::triggered, this, [this, text] { DropErrors([&] { SaveGame(text); }); });
    if (!desktop::AnalysisProgram().isEmpty()) {
        QAction* analyse = menu->addAction(desktop::AnalysisItem);
        connect(analyse, &QAction::triggered, this,
                [this, text] { DropErrors([&] { AnalyseGame(text); }); });
    }
    // A game recorded before the archive existed has no record.
    for (QAction* action : menu->actions()) {
        action->setEnabled(!text.isEmpty());
        if (text.isEmpty())
            action->setToolTip(QStringLiteral("Ходы этой партии не сохранены"));
    }
    return menu;
}

void TForm8::ShowGameMenu(int row, const QPoint& at) {
    std::unique_ptr<QMenu> menu;
    DropErrors([&] { menu = GameMenu(row); });
    if (menu)
        menu->exec(at);
}

// A match's row shows, saves and analyses the whole match; the board client
// shows a match's first game.
void TForm8::ViewGame(const QString& recordText, qint64 code) {
    if (!viewed_)
        viewed_ = std::make_unique<QTemporaryDir>();
    const QString path = viewed_->filePath(QStringLiteral("game-%1.txt").arg(code));
    QString error;
    const auto stored = record::ReadStored(recordText, error);
    if (!stored || !record::WriteStored(*stored, record::GameFormat::Record, path, error)) {
        ShowError(QStringLiteral("Не удалось подготовить партию к просмотру: %1").arg(error));
        return;
    }
    const QString launch = ClientLaunchError(StartClientOnGame(path));
    if (!launch.isEmpty())
        ShowError(launch);
}

void TForm8::SaveGame(const QString& recordText) {
    QString error;
    const auto stored = record::ReadStored(recordText, error);
    const QString path = stored ? AskGamePath(stored->game) : QString();
    if (stored && (path.isEmpty() || record::SaveStored(*stored, path, error)))
        return;
    ShowError(QStringLiteral("Не удалось сохранить партию: %1").arg(error));
}

void TForm8::AnalyseGame(const QString& recordText) {
    QString error;
    const auto stored = record::ReadStored(recordText, error);
    const bool opened = stored && (stored->match ? desktop::OpenInAnalysis(*stored->match, error)
                                                 : desktop::OpenInAnalysis(stored->game, error));
    if (!opened)
        ShowError(QStringLiteral("Не удалось открыть партию в GNU Backgammon: %1").arg(error));
    else
        StepBackFor(); // started detached: until the user is back at the launcher
}

void TForm8::Button1Click() {
    hide();
}
