#include "CorrectionCommand.h"

#include "db/Corrections.h"
#include "db/Outbox.h"
#include "db/Unit6.h"

#include <QStringList>
#include <optional>

namespace ratingsdb {

QList<QCommandLineOption> CorrectionOptions(bool russian) {
    const auto text = [russian](const char* english, const char* russianText) {
        return QString::fromUtf8(russian ? russianText : english);
    };
    return {
        {"rename", text("Give player NAME the name of --new-name.",
                        "Дать игроку NAME имя из --new-name."), "name"},
        {"new-name", text("With --rename: the new name.", "С --rename: новое имя."), "name"},
        {"merge", text("Merge player NAME, a second row of one person, into --into.",
                       "Объединить игрока NAME, второй ряд того же человека, с --into."), "name"},
        {"into", text("With --merge: the player who stays.", "С --merge: игрок, который остаётся."),
         "name"},
        {"set-points", text("Set player NAME's points to --points (needs --reason).",
                            "Установить игроку NAME очки из --points (нужна --reason)."), "name"},
        {"points", text("With --set-points: the points.", "С --set-points: очки."), "n"},
        {"reverse", text("Reverse game CODE of the journal: its points go back.",
                         "Отменить партию CODE журнала: её очки возвращаются."), "code"},
        {"register", text("Register NAME (Ё, spaces and digits allowed).",
                          "Зарегистрировать NAME (можно Ё, пробелы и цифры)."), "name"},
        {"reason", text("Why: kept in the correction log.",
                        "Причина: записывается в журнал исправлений."), "text"},
        {"corrections", text("List the correction log.", "Показать журнал исправлений.")},
    };
}

namespace {

const char* const Actions[] = {"rename",  "merge",    "set-points",
                               "reverse", "register", "corrections"};

std::optional<qint64> Number(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// The companion option an action needs, or why it is missing.
QString Missing(const QCommandLineParser& parser, const char* action, const char* needed) {
    return parser.isSet(action) && !parser.isSet(needed)
               ? QStringLiteral("--%1 needs --%2").arg(action, needed)
               : QString();
}

// A rename or merge made, with the waiting results it could not rewrite.
CorrectionResult Done(const QString& done, const QStringList& failed) {
    if (failed.isEmpty())
        return {0, done};
    return {3, QStringLiteral("%1, but these results waiting in the outbox still name the old "
                              "player and will be set aside: %2")
                   .arg(done, failed.join(QStringLiteral("; ")))};
}

} // namespace

bool WantsCorrection(const QCommandLineParser& parser) {
    for (const char* action : Actions)
        if (parser.isSet(action))
            return true;
    return false;
}

CorrectionResult RunCorrection(const QCommandLineParser& parser, db::TDModule& module,
                               const QString& programFolder) {
    QStringList asked;
    for (const char* action : Actions)
        if (parser.isSet(action))
            asked << QStringLiteral("--") + action;
    if (asked.size() != 1)
        return {2, QStringLiteral("give one correction at a time, not %1").arg(asked.join(' '))};
    for (const QString& missing :
         {Missing(parser, "rename", "new-name"), Missing(parser, "merge", "into"),
          Missing(parser, "set-points", "points")})
        if (!missing.isEmpty())
            return {2, missing};
    const db::CorrectionNote note{db::AccountName(), parser.value("reason")};
    std::optional<db::Outbox> outbox;
    if (!programFolder.isEmpty())
        outbox.emplace(programFolder);
    db::Outbox* waiting = outbox ? &*outbox : nullptr;
    try {
        if (parser.isSet("corrections")) {
            QStringList lines;
            for (const db::CorrectionRow& row : db::ReadCorrections(module))
                lines << db::CorrectionLine(row);
            return {0, lines.join('\n')};
        }
        if (parser.isSet("rename"))
            return Done(QStringLiteral("renamed"),
                        db::RenamePlayer(module, parser.value("rename"),
                                         parser.value("new-name"), note, waiting));
        if (parser.isSet("merge"))
            return Done(QStringLiteral("merged"),
                        db::MergePlayers(module, parser.value("merge"), parser.value("into"),
                                         note, waiting));
        if (parser.isSet("register")) {
            db::RegisterName(module, parser.value("register"), note);
            return {0, QStringLiteral("registered")};
        }
        const QString number = parser.value(parser.isSet("reverse") ? "reverse" : "points");
        const std::optional<qint64> value = Number(number);
        if (!value)
            return {2, QStringLiteral("%1 is not a whole number").arg(number)};
        if (parser.isSet("reverse")) {
            db::ReverseGame(module, *value, note);
            return {0, QStringLiteral("game %1 reversed").arg(*value)};
        }
        db::SetPoints(module, parser.value("set-points"), *value, note);
        return {0, QStringLiteral("points set")};
    } catch (const db::CorrectionRefused& refused) {
        return {2, QString::fromUtf8(refused.what())};
    } catch (const db::DbError& error) {
        return {1, module.FailureText(error)};
    }
}

} // namespace ratingsdb
