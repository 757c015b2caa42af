#include "shell/Unit5.h"

#include "db/DbError.h"
#include "db/QueryKeeper.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "game/ComputerSeat.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ServerAway.h"
#include "text/Win1251.h"

#include <QKeyEvent>
#include <QValidator>
#include <limits>

using namespace shell;

TForm5* Form5 = nullptr;

namespace {

const QString NotRegistered = QStringLiteral("Игрок не зарегистрирован!\n");
const QString NameTaken =
    QStringLiteral("Вы не можете ввести имя одного из уже зарегистрированных игроков!");

// Pasted and dropped text passes the same filter as typed text, so every
// registered name holds only name characters.
class NameValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QString filtered = TForm5::FilterName(input);
        if (filtered != input) {
            pos -= static_cast<int>(input.left(pos).size() -
                                    TForm5::FilterName(input.left(pos)).size());
            input = filtered;
        }
        return Acceptable;
    }
};

} // namespace

TForm5::TForm5(db::TDModule& module, QWidget* parent)
    : TFormBase(QStringLiteral("Регистрация нового игрока"), QSize(442, 169), Frame::Dialog,
                parent),
      module_(module) {
    const QColor yellow(255, 255, 0);
    const QColor lime(0, 255, 0);
    Label1 = AddLabel(QStringLiteral("Введите имя нового игрока"), {80, 8}, 21, yellow);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(80, 40, 289, 27);
    Edit1->setMaxLength(std::numeric_limits<int>::max()); // a name has no length limit
    Edit1->setValidator(new NameValidator(Edit1));
    Edit1->installEventFilter(this);
    Label2 =
        AddLabel(QStringLiteral("Внимание! Вы не можете ввести имя одного"), {48, 72}, 16, lime);
    Label3 = AddLabel(QStringLiteral("из уже зарегистрированных игроков!"), {80, 96}, 16, lime);
    Button1 = AddButton(QStringLiteral("Назад"), QRect(24, 128, 129, 25));
    Button2 = AddButton(QStringLiteral("Зарегистрировать"), QRect(296, 128, 129, 25));
    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, Button2);

    // Database errors end the handler here and go to the sink, not through Qt's frames.
    // A server out of reach is told once per visit, not at every key.
    connect(Edit1, &QLineEdit::textChanged, this, [this] {
        DropErrors([this] {
            if (!RunServerStep([this] { Edit1Change(); }, !serverAwayTold_))
                serverAwayTold_ = true;
        });
    });
    connect(Button1, &QPushButton::clicked, this,
            [this] { DropErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { DropErrors([this] { Button2Click(); }); });

    DropErrors([this] { FormCreate(); });
}

TForm5::~TForm5() {
    if (Form5 == this)
        Form5 = nullptr;
}

bool TForm5::IsNameChar(QChar c) {
    const int code = text::Win1251Code(c);
    return (code >= 65 && code <= 122) || (code >= 192 && code <= 255);
}

QString TForm5::FilterName(const QString& text) {
    QString result;
    for (QChar c : text)
        if (IsNameChar(c))
            result += c;
    return result;
}

bool TForm5::FreeName(const QString& name) {
    // The computers' names are the lists' own entries, never a person's.
    return !name.isEmpty() && !game::IsComputerName(name);
}

void TForm5::FormCreate() {
    LoadBackground(this, DialogBackground);
}

void TForm5::Edit1KeyPress(QChar& key) {
    if (key != QChar(8) && !IsNameChar(key))
        key = QChar(0);
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Button2->isEnabled())
                Button2->click();
            return true;
        }
        // Focus movement, Delete and select-all are not typed characters.
        if (keyEvent->text().isEmpty() || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
            key == Qt::Key_Delete || keyEvent->matches(QKeySequence::SelectAll))
            return false;
        for (QChar c : keyEvent->text()) {
            Edit1KeyPress(c);
            if (c.isNull())
                return true;
        }
    }
    return TFormBase::eventFilter(watched, event);
}

void TForm5::Edit1Change() {
    const QString name = Edit1->text();
    module_.IBPlayers.SetSQL(db::sql::NameCheck(name));
    module_.IBPlayers.Open();
    const bool taken = module_.IBPlayers.RecordCount() == 1;
    Button2->setEnabled(!taken && FreeName(name));
}

void TForm5::Button2Click() {
    // A registration that did not reach the database (locked by another
    // program, a full disk) is told, and the window stays for another try.
    // Another launcher registering at the same moment waits, so no code is
    // given twice.
    try {
        const db::ResponsiveStep responsive;
        // An open journal window keeps its rows (the transaction closes its query).
        const db::QueryKeeper journal(module_.IBGames);
        db::TDModule::Transaction transaction(module_);
        const QString code = module_.GenID(QStringLiteral("PLAYERS"));
        module_.IBPlayers.SetSQL(db::sql::InsertPlayer(code, Edit1->text()));
        module_.IBPlayers.ExecSQL();
        transaction.Commit();
    } catch (const db::ConnectionError& e) {
        ShowError(NotRegistered + ServerAwayText(QString::fromUtf8(e.what())));
        return;
    } catch (const db::DbError& e) {
        ShowError(NotRegistered +
                  (NameTakenMeanwhile() ? NameTaken : module_.FailureText(e)));
        return;
    }
    ShowNotice(QStringLiteral(
        "Новому игроку для участия в турнире необходимо победить компьютер 3 раза подрят!"));
    hide();
}

bool TForm5::NameTakenMeanwhile() {
    // Another launcher may have registered the same name since the check.
    try {
        Edit1Change();
        return !Button2->isEnabled() && FreeName(Edit1->text());
    } catch (const db::DbError&) {
        return false;
    }
}

void TForm5::Button1Click() {
    hide();
}

void TForm5::OpenRegistration() {
    serverAwayTold_ = false;
    Edit1->clear();
    Button2->setEnabled(false);
    ShowCentred();
    // Typing goes into the name at once; the tab order is unchanged.
    Edit1->setFocus(Qt::OtherFocusReason);
}
