#include "db/TournamentStore.h"

#include "db/DbError.h"
#include "db/PlayerRows.h"
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/Tables.h"
#include "db/Unit6.h"
#include "record/ComputerNames.h"

#include <QStringList>
#include <algorithm>

namespace db {

namespace {

// The computer's row is "Computer"; the lists and the games call it "Компьютер".
QString ShownName(qint64 player, const QString& name) {
    return player == 1 ? record::ComputerName : name;
}

bool TablesExist(TDModule& module) {
    return Scalar(module, sql::TournamentProbe()) > 0;
}

// The tournament's row the query stands on.
TournamentInfo InfoOf(const TQuery& q) {
    return {q.FieldAsInteger(QStringLiteral("T_CODE")), q.FieldAsString(QStringLiteral("T_NAME")),
            q.FieldAsInteger(QStringLiteral("T_SYSTEM")) == 1 ? tournament::System::Swiss
                                                              : tournament::System::RoundRobin,
            int(q.FieldAsInteger(QStringLiteral("T_ROUNDS"))),
            q.FieldAsInteger(QStringLiteral("T_STARTED")) != 0};
}

TournamentData Read(TDModule& module, qint64 code) {
    TournamentData data;
    TQuery& q = module.QRWork;
    q.SetSQL(sql::Tournament(code));
    q.Open();
    q.First();
    if (q.Eof())
        throw TournamentRefused(QStringLiteral("Турнир не найден."));
    data.info = InfoOf(q);
    q.SetSQL(sql::TournamentEntries(code));
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        const qint64 player = q.FieldAsInteger(QStringLiteral("E_PLAYER"));
        data.entries.push_back({int(q.FieldAsInteger(QStringLiteral("E_SEED"))), player,
                                ShownName(player, q.FieldAsString(QStringLiteral("P_NAME"))),
                                q.FieldAsInteger(QStringLiteral("E_POINTS")),
                                q.FieldAsInteger(QStringLiteral("E_WITHDRAWN")) != 0});
    }
    q.SetSQL(sql::TournamentPairings(code));
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        data.pairings.push_back({int(q.FieldAsInteger(QStringLiteral("N_ROUND"))),
                                 int(q.FieldAsInteger(QStringLiteral("N_BOARD"))),
                                 int(q.FieldAsInteger(QStringLiteral("N_FIRST"))),
                                 int(q.FieldAsInteger(QStringLiteral("N_SECOND"))),
                                 int(q.FieldAsInteger(QStringLiteral("N_WINNER"))),
                                 q.FieldAsInteger(QStringLiteral("N_FORFEIT")) != 0,
                                 q.FieldAsInteger(QStringLiteral("N_GAME")),
                                 q.FieldAsString(QStringLiteral("N_CLAIM"))});
    }
    q.Close();
    return data;
}

void Exec(TDModule& module, const Statement& statement) {
    module.QRWork.SetSQL(statement);
    module.QRWork.ExecSQL();
}

// Pairs what the rules say is due now: a round robin whole at its start, a
// Swiss round once the last one is decided, and the next at once after a
// round of byes alone (one player left), which nothing else would decide.
void PairDue(TDModule& module, TournamentData data) {
    for (;;) {
        const std::vector<tournament::Game> next =
            tournament::NextRound(data.info.system, data.info.rounds, data.Players(), data.Games());
        std::vector<int> boards;
        bool pending = false;
        for (const tournament::Game& g : next) {
            boards.resize(static_cast<size_t>(std::max<int>(g.round, int(boards.size()))), 0);
            const TournamentPairing p{g.round,
                                      ++boards[static_cast<size_t>(g.round - 1)],
                                      g.first + 1,
                                      g.second == tournament::Bye ? 0 : g.second + 1,
                                      g.winner == tournament::NoWinner ? 0 : g.winner + 1,
                                      false,
                                      0,
                                      {}};
            Exec(module, sql::InsertPairing(data.info.code, p.round, p.board, p.first, p.second,
                                            p.winner));
            data.pairings.push_back(p);
            pending = pending || p.winner == 0;
        }
        if (next.empty() || pending)
            return;
    }
}

const TournamentPairing& FindPairing(const TournamentData& data, int round, int board) {
    for (const TournamentPairing& p : data.pairings)
        if (p.round == round && p.board == board)
            return p;
    throw TournamentRefused(QStringLiteral("Такой пары в турнире нет."));
}

void Decide(TDModule& module, const TournamentPairing& p, qint64 code, int winner, bool forfeit,
            qint64 game) {
    Exec(module, sql::PairingResult(code, p.round, p.board, winner, forfeit, game));
}

} // namespace

std::vector<tournament::Player> TournamentData::Players() const {
    std::vector<tournament::Player> players(entries.size());
    for (const TournamentEntry& e : entries)
        if (e.seed >= 1 && size_t(e.seed) <= players.size())
            players[size_t(e.seed - 1)] = {e.points, e.withdrawn};
    return players;
}

std::vector<tournament::Game> TournamentData::Games() const {
    std::vector<tournament::Game> games;
    for (const TournamentPairing& p : pairings)
        games.push_back({p.round, p.first - 1, p.second == 0 ? tournament::Bye : p.second - 1,
                         p.winner == 0 ? tournament::NoWinner : p.winner - 1, p.forfeit});
    return games;
}

QString TournamentData::Name(int seed) const {
    for (const TournamentEntry& e : entries)
        if (e.seed == seed)
            return e.name;
    return {};
}

QString TournamentData::ShownName(int seed) const {
    for (const TournamentEntry& e : entries)
        if (e.seed == seed)
            return e.withdrawn ? e.name + QStringLiteral(" (выбыл)") : e.name;
    return {};
}

void PrepareTournaments(TDModule& module) {
    if (TablesExist(module))
        return;
    for (const QString& statement : sql::TournamentSchema(module.Engine()))
        module.Run(Statement(statement));
}

std::vector<TournamentInfo> ListTournaments(TDModule& module) {
    std::vector<TournamentInfo> list;
    if (!TablesExist(module))
        return list;
    TQuery& q = module.QRWork;
    q.SetSQL(sql::Tournaments());
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        list.push_back(InfoOf(q));
    q.Close();
    return list;
}

TournamentData ReadTournament(TDModule& module, qint64 code) {
    if (!TablesExist(module))
        throw TournamentRefused(QStringLiteral("Турнир не найден."));
    return Read(module, code);
}

qint64 CreateTournament(TDModule& module, const QString& name, tournament::System system,
                        int rounds) {
    if (name.trimmed().isEmpty())
        throw TournamentRefused(QStringLiteral("Введите название турнира."));
    if (system == tournament::System::Swiss && (rounds < 1 || rounds > 99))
        throw TournamentRefused(QStringLiteral("Число туров швейцарской системы: от 1 до 99."));
    PrepareTournaments(module);
    TDModule::Transaction transaction(module);
    const qint64 code = Scalar(module, sql::MaxTournamentCode()) + 1;
    Exec(module, sql::InsertTournament(code, name.trimmed(), int(system),
                                       system == tournament::System::Swiss ? rounds : 0));
    transaction.Commit();
    return code;
}

void AddEntry(TDModule& module, qint64 code, const QString& name) {
    TDModule::Transaction transaction(module);
    const TournamentData data = Read(module, code);
    if (data.info.started)
        throw TournamentRefused(QStringLiteral("Турнир уже начат: новых участников не добавить."));
    const bool computer = record::IsComputerName(name);
    for (const TournamentEntry& e : data.entries) {
        if (e.name == name)
            throw TournamentRefused(QStringLiteral("Этот игрок уже участвует в турнире."));
        // Two computers' games are not recorded: one computer at most.
        if (computer && record::IsComputerName(e.name))
            throw TournamentRefused(
                QStringLiteral("В турнире может играть только один компьютер."));
    }
    qint64 player = 0, points = 0;
    if (computer) {
        player = ComputerCode(module, name).toLongLong();
    } else {
        const std::optional<PlayerRow> row = FindPlayer(module.QRWork, name);
        if (!row)
            throw TournamentRefused(QStringLiteral("Игрок не найден."));
        player = row->code;
        points = row->points;
        if (points < 3)
            throw TournamentRefused(
                QStringLiteral("В турнире играют игроки, у которых не меньше 3 очков."));
    }
    int seed = 0;
    for (const TournamentEntry& e : data.entries)
        seed = std::max(seed, e.seed);
    Exec(module, sql::InsertEntry(code, seed + 1, player, points));
    transaction.Commit();
}

void StartTournament(TDModule& module, qint64 code) {
    TDModule::Transaction transaction(module);
    TournamentData data = Read(module, code);
    if (data.info.started)
        throw TournamentRefused(QStringLiteral("Турнир уже начат."));
    if (data.entries.size() < 2)
        throw TournamentRefused(QStringLiteral("В турнире должно быть не меньше двух игроков."));
    if (data.info.system == tournament::System::RoundRobin)
        data.info.rounds = tournament::BergerRounds(int(data.entries.size()));
    Exec(module, sql::StartTournament(code, data.info.rounds));
    PairDue(module, data);
    transaction.Commit();
}

bool ClaimPairing(TDModule& module, qint64 code, int round, int board, const QString& claim) {
    Exec(module, sql::ClaimPairing(code, round, board, claim));
    module.QRWork.SetSQL(sql::PairingClaim(code, round, board));
    module.QRWork.Open();
    const bool mine =
        !module.QRWork.Eof() && module.QRWork.FieldAsString(QStringLiteral("N_CLAIM")) == claim;
    module.QRWork.Close();
    return mine;
}

void ReleaseClaim(TDModule& module, qint64 code, int round, int board) {
    Exec(module, sql::ReleaseClaim(code, round, board));
}

void RecordForfeit(TDModule& module, qint64 code, int round, int board, int absentSeed) {
    TDModule::Transaction transaction(module);
    const TournamentData data = Read(module, code);
    const TournamentPairing& p = FindPairing(data, round, board);
    if (p.second == 0 || p.winner != 0 || (absentSeed != p.first && absentSeed != p.second))
        throw TournamentRefused(QStringLiteral("Результат этой пары уже записан."));
    Decide(module, p, code, absentSeed == p.first ? p.second : p.first, true, 0);
    PairDue(module, Read(module, code));
    transaction.Commit();
}

void WithdrawPlayer(TDModule& module, qint64 code, int seed) {
    TDModule::Transaction transaction(module);
    const TournamentData data = Read(module, code);
    // Before the start nothing is paired: withdrawing would pair it early.
    if (!data.info.started)
        throw TournamentRefused(QStringLiteral("Турнир ещё не начат."));
    if (data.Name(seed).isEmpty())
        throw TournamentRefused(QStringLiteral("Игрок не найден."));
    Exec(module, sql::WithdrawEntry(code, seed));
    for (const TournamentPairing& p : data.pairings)
        if (p.winner == 0 && p.second != 0 && (p.first == seed || p.second == seed))
            Decide(module, p, code, p.first == seed ? p.second : p.first, true, 0);
    PairDue(module, Read(module, code));
    transaction.Commit();
}

QString PairingKey(qint64 code, int round, int board) {
    return QStringLiteral("%1/%2/%3").arg(code).arg(round).arg(board);
}

std::optional<PairingPlace> ParsePairingKey(const QString& key) {
    const QStringList parts = key.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    bool codeRead = false, roundRead = false, boardRead = false;
    const PairingPlace place{parts[0].toLongLong(&codeRead), parts[1].toInt(&roundRead),
                             parts[2].toInt(&boardRead)};
    if (!codeRead || !roundRead || !boardRead)
        return std::nullopt;
    return place;
}

void ReleaseClaim(TDModule& module, const QString& key) {
    if (const std::optional<PairingPlace> place = ParsePairingKey(key))
        ReleaseClaim(module, place->code, place->round, place->board);
}

void RecordPairingGame(TDModule& module, const QString& key, qint64 gameCode,
                       const QString& winner) {
    const std::optional<PairingPlace> place = ParsePairingKey(key);
    if (!place || !TablesExist(module))
        return;
    const auto [code, round, board] = *place;
    TournamentData data;
    try {
        data = Read(module, code);
    } catch (const TournamentRefused&) {
        return; // the tournament is gone; the game stays in the journal
    }
    for (const TournamentPairing& p : data.pairings) {
        if (p.round != round || p.board != board || p.winner != 0 || p.second == 0)
            continue;
        const int seed = data.Name(p.first) == winner    ? p.first
                         : data.Name(p.second) == winner ? p.second
                                                         : 0;
        if (seed == 0)
            return;
        Decide(module, p, code, seed, false, gameCode);
        PairDue(module, Read(module, code));
    }
}

} // namespace db
