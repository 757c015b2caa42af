#include "shell/PlayerManagement.h"

#include "db/Corrections.h"
#include "db/Outbox.h"
#include "db/PlayerRows.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ServerAway.h"

#include <limits>

namespace shell {

namespace {

const QColor Yellow(255, 255, 0);
const QColor Lime(0, 255, 0);

} // namespace

TPlayerManagement::TPlayerManagement(db::TDModule& module, QWidget* parent)
    : TFormBase(QStringLiteral("Управление игроками"), QSize(460, 330), Frame::Dialog, parent),
      module_(module) {
    Label1 = AddLabel(QStringLiteral("Игрок:"), {10, 10}, 19, Yellow);
    const auto row = [this](const QString& text, int top, QWidget* field, QPushButton*& button,
                            const QString& action) {
        AddLabel(text, {10, top + 4}, 14, Lime);
        field->setParent(this);
        field->setGeometry(150, top, 150, 25);
        button = AddButton(action, QRect(310, top, 140, 25));
    };
    NewName = new QLineEdit;
    row(QStringLiteral("Новое имя:"), 44, NewName, RenameButton, QStringLiteral("Переименовать"));
    MergeInto = new QComboBox;
    row(QStringLiteral("Второй ряд игрока:"), 78, MergeInto, MergeButton,
        QStringLiteral("Объединить"));
    Points = new QSpinBox;
    Points->setRange(0, std::numeric_limits<int>::max());
    row(QStringLiteral("Очки:"), 112, Points, PointsButton, QStringLiteral("Установить очки"));
    GameCode = new QSpinBox;
    GameCode->setRange(1, std::numeric_limits<int>::max());
    row(QStringLiteral("Партия №:"), 146, GameCode, ReverseButton,
        QStringLiteral("Отменить партию"));
    RegisterName = new QLineEdit;
    row(QStringLiteral("Новый игрок:"), 180, RegisterName, RegisterButton,
        QStringLiteral("Зарегистрировать"));
    AddLabel(QStringLiteral("Причина:"), {10, 218}, 14, Lime);
    Reason = new QLineEdit(this);
    Reason->setGeometry(150, 214, 300, 25);
    AddLabel(QStringLiteral("Каждое исправление записывается в журнал исправлений."), {10, 252}, 13,
             Yellow);
    Button1 = AddButton(QStringLiteral("Назад"), QRect(173, 290, 113, 25));

    const auto note = [this] { return db::CorrectionNote{db::AccountName(), Reason->text()}; };
    connect(RenameButton, &QPushButton::clicked, this, [this, note] {
        Run(QStringLiteral("Переименовать игрока «%1» в «%2»?").arg(player_, NewName->text()), [&] {
            db::Outbox outbox(ProgramFolder);
            const QStringList failed =
                db::RenamePlayer(module_, player_, NewName->text(), note(), &outbox);
            player_ = NewName->text();
            if (!failed.isEmpty())
                ShowError(db::WaitingNotRewrittenText(failed));
        });
    });
    connect(MergeButton, &QPushButton::clicked, this, [this, note] {
        Run(QStringLiteral("Перенести партии и очки игрока «%1» игроку «%2» и удалить «%1»?")
                .arg(player_, MergeInto->currentText()),
            [&] {
                db::Outbox outbox(ProgramFolder);
                const QStringList failed = db::MergePlayers(module_, player_,
                                                            MergeInto->currentText(), note(), &outbox);
                hide();
                if (!failed.isEmpty())
                    ShowError(db::WaitingNotRewrittenText(failed));
            });
    });
    connect(PointsButton, &QPushButton::clicked, this, [this, note] {
        Run(QStringLiteral("Установить игроку «%1» %2 очков?")
                .arg(player_, QString::number(Points->value())),
            [&] { db::SetPoints(module_, player_, Points->value(), note()); });
    });
    connect(ReverseButton, &QPushButton::clicked, this, [this, note] {
        Run(QStringLiteral("Отменить партию №%1?").arg(GameCode->value()),
            [&] { db::ReverseGame(module_, GameCode->value(), note()); });
    });
    connect(RegisterButton, &QPushButton::clicked, this, [this, note] {
        Run(QStringLiteral("Зарегистрировать игрока «%1»?").arg(RegisterName->text()),
            [&] { db::RegisterName(module_, RegisterName->text(), note()); });
    });
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);
    DropErrors([this] { LoadBackground(this, DialogBackground); });
}

void TPlayerManagement::OpenFor(const QString& name, qint64 points) {
    player_ = name;
    Label1->setText(QStringLiteral("Игрок: ") + name);
    Label1->adjustSize();
    NewName->setText(name);
    Points->setValue(int(std::min<qint64>(points, Points->maximum())));
    Reason->clear();
    RegisterName->clear();
    MergeInto->clear();
    module_.QRWork.SetSQL(db::sql::PlayersByName());
    module_.QRWork.Open();
    for (module_.QRWork.First(); !module_.QRWork.Eof(); module_.QRWork.Next()) {
        const QString other = module_.QRWork.FieldAsString(QStringLiteral("P_NAME"));
        if (other != name && !db::IsComputerRow(other))
            MergeInto->addItem(other);
    }
    module_.QRWork.Close();
    MergeButton->setEnabled(MergeInto->count() > 0);
    ShowCentred();
}

void TPlayerManagement::Run(const QString& question, const std::function<void()>& correction) {
    if (!AskConfirm(question))
        return;
    DropErrors([&] {
        try {
            RunServerStep([&] {
                const db::ResponsiveStep responsive;
                correction();
                Label1->setText(QStringLiteral("Игрок: ") + player_);
                Label1->adjustSize();
                if (Corrected)
                    Corrected();
                ShowNotice(QStringLiteral("Исправление сделано и записано в журнал исправлений."));
            });
        } catch (const db::CorrectionRefused& refused) {
            ShowError(QString::fromUtf8(refused.what()));
        } catch (const db::DbError& error) {
            ShowError(QStringLiteral("Исправление не сделано!\n") + module_.FailureText(error));
        }
    });
}

} // namespace shell
