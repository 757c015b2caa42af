#include "db/Corrections.h"

#include "db/CorrectionStatements.h"
#include "db/Outbox.h"
#include "db/PlayerRows.h"
#include "db/QueryKeeper.h"
#include "db/Tables.h"
#include "db/Unit6.h"

#include <QVariant>
#include <algorithm>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace db {

namespace {

constexpr int MaxNameLength = 60;

const QString NoLogText = QStringLiteral(
    "В базе данных нет журнала исправлений (таблицы CORRECTIONS), и у этой учётной записи "
    "сервера нет права создать его. Исправление не сделано: попросите администратора базы "
    "данных создать таблицу.");

QString Quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// A person's row by exact name, inside the transaction.
PlayerRow Person(TDModule& module, const QString& name) {
    if (IsComputerRow(name))
        throw CorrectionRefused(QStringLiteral("%1 — компьютер, а не игрок.").arg(Quoted(name)));
    const std::optional<PlayerRow> row = FindPlayer(module.QRWork, name);
    if (!row)
        throw CorrectionRefused(QStringLiteral("Игрок %1 не найден.").arg(Quoted(name)));
    return *row;
}

// The registration's checks: the exact name is free and may be a person's.
void CheckNewName(TDModule& module, const QString& name) {
    const QString problem = NameProblem(name);
    if (!problem.isEmpty())
        throw CorrectionRefused(problem);
    module.QRWork.SetSQL(sql::NameCheck(name));
    module.QRWork.Open();
    if (!module.QRWork.Eof())
        throw CorrectionRefused(QStringLiteral("Имя %1 уже занято.").arg(Quoted(name)));
}

void Exec(TDModule& module, Statement statement) {
    module.QRWork.SetSQL(std::move(statement));
    module.QRWork.ExecSQL();
}

QVariant Value(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant(QMetaType::fromType<QString>());
}

QVariant Value(const std::optional<int64_t>& number) {
    return number ? QVariant(qlonglong(*number)) : QVariant(QMetaType::fromType<qlonglong>());
}

// What one log row holds beyond who, when and why.
struct Change {
    QString kind;
    int64_t player;
    std::optional<int64_t> other;
    std::optional<QString> oldName, newName;
    std::optional<int64_t> oldPoints, newPoints;
};

void Log(TDModule& module, const Change& c, const CorrectionNote& note) {
    const int64_t code = Scalar(module, sql::NextCorrectionCode());
    const int64_t after = Scalar(module, sql::LastGameCode());
    Exec(module, sql::InsertCorrection(
                     {qlonglong(code), note.when.toUTC().toString(Qt::ISODate), note.who, c.kind,
                      qlonglong(c.player), Value(c.other), qlonglong(after), Value(c.oldName),
                      Value(c.newName), Value(c.oldPoints), Value(c.newPoints),
                      note.reason.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                            : QVariant(note.reason)}));
}

// Runs a correction in one write transaction after making sure the log
// exists; the grids show their statements' rows again afterwards.
template <typename Work> void Correct(TDModule& module, Work work) {
    const QueryKeeper players(module.IBPlayers);
    const QueryKeeper journal(module.IBGames);
    if (!PrepareCorrections(module))
        throw CorrectionRefused(NoLogText);
    TDModule::Transaction transaction(module);
    work();
    transaction.Commit();
}

QStringList RenameWaiting(Outbox* outbox, const QString& from, const QString& to) {
    return outbox ? outbox->RenamePlayer(from, to) : QStringList{};
}

} // namespace

QString AccountName() {
    if (const passwd* account = getpwuid(geteuid()); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    return QString::number(geteuid());
}

QString NameProblem(const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("Имя не может быть пустым.");
    if (name.size() > MaxNameLength)
        return QStringLiteral("Имя длиннее %1 знаков.").arg(MaxNameLength);
    if (name.trimmed() != name || name.contains(QLatin1String("  ")))
        return QStringLiteral("В имени не может быть пробелов по краям или двух пробелов подряд.");
    const bool odd = std::any_of(name.begin(), name.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
               c.isSpace() != (c == QLatin1Char(' ')) || c == QLatin1Char('\'') ||
               c == QLatin1Char('"') || c.isSurrogate();
    });
    if (odd)
        return QStringLiteral("В имени не может быть кавычек, табуляций и управляющих знаков.");
    if (IsComputerRow(name))
        return QStringLiteral("Имя %1 занято компьютером.").arg(Quoted(name));
    return {};
}

bool CorrectionsExist(TDModule& module) {
    return Scalar(module, sql::CorrectionProbe()) > 0;
}

void ForgetClearedGames(TDModule& module) {
    Exec(module, sql::ForgetClearedReversals());
    Exec(module, sql::ForgetClearedPlaces());
}

bool PrepareCorrections(TDModule& module) {
    return PrepareTables(module, sql::CorrectionProbe(), sql::CorrectionSchema);
}

QStringList RenamePlayer(TDModule& module, const QString& name, const QString& newName,
                         const CorrectionNote& note, Outbox* outbox) {
    Correct(module, [&] {
        const PlayerRow row = Person(module, name);
        CheckNewName(module, newName);
        Exec(module, sql::RenamePlayer(row.code, newName));
        Log(module, {QStringLiteral("rename"), row.code, {}, name, newName, {}, {}}, note);
    });
    return RenameWaiting(outbox, name, newName);
}

QStringList MergePlayers(TDModule& module, const QString& duplicate, const QString& keep,
                         const CorrectionNote& note, Outbox* outbox) {
    Correct(module, [&] {
        const PlayerRow gone = Person(module, duplicate);
        const PlayerRow kept = Person(module, keep);
        if (gone.code == kept.code)
            throw CorrectionRefused(QStringLiteral("Игрока нельзя объединить с самим собой."));
        // Their games against each other would become games against oneself.
        if (Scalar(module, sql::GamesBetween(gone.code, kept.code)) > 0)
            throw CorrectionRefused(
                QStringLiteral("%1 и %2 играли друг с другом: это разные люди, их нельзя "
                               "объединить.")
                    .arg(Quoted(duplicate), Quoted(keep)));
        // Entries are read joined to their player: the duplicate's follow the
        // person, but one tournament cannot hold the same person twice.
        const bool tournaments = Scalar(module, sql::TournamentProbe()) > 0;
        if (tournaments && Scalar(module, sql::SharedTournaments(gone.code, kept.code)) > 0)
            throw CorrectionRefused(
                QStringLiteral("%1 и %2 участвуют в одном турнире: их нельзя объединить.")
                    .arg(Quoted(duplicate), Quoted(keep)));
        Exec(module, sql::MoveWins(gone.code, kept.code));
        Exec(module, sql::MoveLosses(gone.code, kept.code));
        if (tournaments)
            Exec(module, sql::MoveEntries(gone.code, kept.code));
        Exec(module, sql::UpdatePoints(kept.points + gone.points, QString::number(kept.code)));
        Exec(module, sql::DeletePlayer(gone.code));
        Log(module,
            {QStringLiteral("merge"), kept.code, gone.code, duplicate, keep, kept.points,
             kept.points + gone.points},
            note);
    });
    return RenameWaiting(outbox, duplicate, keep);
}

QString WaitingNotRewrittenText(const QStringList& failed) {
    return QStringLiteral("Исправление записано, но результаты, ожидающие записи, не удалось "
                          "переписать на новое имя: при записи они будут отложены.\n") +
           failed.join(QLatin1Char('\n'));
}

void SetPoints(TDModule& module, const QString& name, int64_t points, const CorrectionNote& note) {
    if (points < 0)
        throw CorrectionRefused(QStringLiteral("Очки не могут быть меньше нуля."));
    if (note.reason.trimmed().isEmpty())
        throw CorrectionRefused(QStringLiteral("Укажите причину, по которой меняются очки."));
    Correct(module, [&] {
        const PlayerRow row = Person(module, name);
        Exec(module, sql::UpdatePoints(points, QString::number(row.code)));
        Log(module, {QStringLiteral("points"), row.code, {}, {}, {}, row.points, points}, note);
    });
}

void ReverseGame(TDModule& module, int64_t gameCode, const CorrectionNote& note) {
    Correct(module, [&] {
        module.QRWork.SetSQL(sql::GameByCode(gameCode));
        module.QRWork.Open();
        if (module.QRWork.Eof())
            throw CorrectionRefused(QStringLiteral("Партии %1 нет в журнале.").arg(gameCode));
        const int64_t winner = module.QRWork.FieldAsInteger(QStringLiteral("G_WINPLAYER"));
        const int64_t loser = module.QRWork.FieldAsInteger(QStringLiteral("G_LOSEPLAYER"));
        const int64_t award = module.QRWork.FieldAsInteger(QStringLiteral("G_POINTS"));
        module.QRWork.SetSQL(sql::ReversalsOf(gameCode));
        module.QRWork.Open();
        if (!module.QRWork.Eof())
            throw CorrectionRefused(QStringLiteral("Партия %1 уже отменена.").arg(gameCode));
        // The rules again, backwards: only a person's points ever moved.
        module.QRWork.SetSQL(sql::PlayersOfGame(winner, loser));
        module.QRWork.Open();
        std::optional<std::pair<QString, int64_t>> winnerRow, loserRow;
        for (module.QRWork.First(); !module.QRWork.Eof(); module.QRWork.Next()) {
            const auto row =
                std::make_pair(module.QRWork.FieldAsString(QStringLiteral("P_NAME")),
                               module.QRWork.FieldAsInteger(QStringLiteral("P_POINTS")));
            (module.QRWork.FieldAsInteger(QStringLiteral("P_CODE")) == winner ? winnerRow
                                                                              : loserRow) = row;
        }
        const bool computerWon = winnerRow && IsComputerRow(winnerRow->first);
        const int64_t person = computerWon ? loser : winner;
        const auto& row = computerWon ? loserRow : winnerRow;
        if (!row)
            throw CorrectionRefused(
                QStringLiteral("Игрока партии %1 больше нет в базе данных.").arg(gameCode));
        const int64_t points =
            computerWon ? row->second + award : std::max<int64_t>(0, row->second - award);
        Exec(module, sql::UpdatePoints(points, QString::number(person)));
        Log(module, {QStringLiteral("reverse"), person, gameCode, {}, {}, row->second, points},
            note);
    });
}

void RegisterName(TDModule& module, const QString& name, const CorrectionNote& note) {
    Correct(module, [&] {
        CheckNewName(module, name);
        const QString code = module.GenID(QStringLiteral("PLAYERS"));
        Exec(module, sql::InsertPlayer(code, name));
        Log(module, {QStringLiteral("register"), code.toLongLong(), {}, {}, name, {}, 0}, note);
    });
}

std::vector<CorrectionRow> ReadCorrections(TDModule& module) {
    std::vector<CorrectionRow> rows;
    if (!CorrectionsExist(module))
        return rows;
    module.QRWork.SetSQL(sql::AllCorrections());
    module.QRWork.Open();
    TQuery& q = module.QRWork;
    const auto text = [&](const char* field) { return q.FieldAsString(QLatin1String(field)); };
    const auto number = [&](const char* field) { return q.FieldAsInteger(QLatin1String(field)); };
    for (q.First(); !q.Eof(); q.Next()) {
        const QString newPoints = text("C_NEW_POINTS");
        rows.push_back({number("C_CODE"), text("C_TIME"), text("C_WHO"), text("C_KIND"),
                        number("C_PLAYER"), number("C_OTHER"), number("C_AFTER"),
                        text("C_OLD_NAME"), text("C_NEW_NAME"), !newPoints.isEmpty(),
                        number("C_OLD_POINTS"), number("C_NEW_POINTS"), text("C_REASON")});
    }
    q.Close();
    return rows;
}

QString CorrectionLine(const CorrectionRow& row) {
    QString line = QStringLiteral("%1 %2 %3 %4 player %5")
                       .arg(row.code)
                       .arg(row.time, row.who, row.kind)
                       .arg(row.player);
    if (row.other != 0)
        line += QStringLiteral(" %1 %2")
                    .arg(row.kind == QLatin1String("reverse") ? "game" : "from")
                    .arg(row.other);
    if (!row.oldName.isEmpty() || !row.newName.isEmpty())
        line += QStringLiteral(" name \"%1\" -> \"%2\"").arg(row.oldName, row.newName);
    if (row.hasPoints)
        line += QStringLiteral(" points %1 -> %2").arg(row.oldPoints).arg(row.newPoints);
    if (!row.reason.isEmpty())
        line += QStringLiteral(" (%1)").arg(row.reason);
    return line;
}

} // namespace db
