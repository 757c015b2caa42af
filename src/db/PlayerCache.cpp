#include "db/PlayerCache.h"

#include "db/NameCollation.h"
#include "db/PlayerRows.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>

namespace db {

namespace {

constexpr int64_t OpponentPoints = 3; // statement 15's bound

// A cache is a list of names, never the whole memory: bounded like an outbox entry.
constexpr qint64 MaxCacheBytes = 64 << 20;

} // namespace

QStringList PlayerCache::ByName() const {
    QStringList names;
    for (const auto& player : players)
        names << player.first;
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return CompareNames(a, b) < 0; });
    return names;
}

QStringList PlayerCache::Opponents(const QString& name) const {
    const auto self = std::find_if(players.begin(), players.end(),
                                   [&](const auto& player) { return player.first == name; });
    if (self == players.end() || self->second < OpponentPoints)
        return {};
    std::vector<std::pair<QString, int64_t>> opponents;
    for (const auto& player : players)
        if (player.first != name && player.second >= OpponentPoints)
            opponents.push_back(player);
    std::sort(opponents.begin(), opponents.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : CompareNames(a.first, b.first) < 0;
    });
    QStringList names;
    for (const auto& player : opponents)
        names << player.first;
    return names;
}

QString PlayerCachePath(const QString& programFolder) {
    return programFolder + QStringLiteral("/Data/PlayerLists.json");
}

bool SavePlayerCache(TDModule& module, const QString& programFolder, const QDateTime& now) {
    module.QRWork.SetSQL(sql::ReportPlayers());
    module.QRWork.Open();
    QJsonArray players;
    for (module.QRWork.First(); !module.QRWork.Eof(); module.QRWork.Next()) {
        const QString name = module.QRWork.FieldAsString(QStringLiteral("P_NAME"));
        if (IsComputerRow(name))
            continue;
        players.append(
            QJsonArray{name, qint64(module.QRWork.FieldAsInteger(QStringLiteral("P_POINTS")))});
    }
    module.QRWork.Close();
    const QJsonObject cache{{QStringLiteral("read"), now.toString(Qt::ISODate)},
                            {QStringLiteral("players"), players}};
    QSaveFile file(PlayerCachePath(programFolder));
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(cache).toJson()) >= 0 &&
           file.commit();
}

std::optional<PlayerCache> LoadPlayerCache(const QString& programFolder) {
    QFile file(PlayerCachePath(programFolder));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxCacheBytes)
        return std::nullopt;
    const QJsonObject cache = QJsonDocument::fromJson(file.readAll()).object();
    PlayerCache read;
    read.read = QDateTime::fromString(cache[QStringLiteral("read")].toString(), Qt::ISODate);
    if (!read.read.isValid() || !cache[QStringLiteral("players")].isArray())
        return std::nullopt;
    for (const QJsonValue& value : cache[QStringLiteral("players")].toArray()) {
        const QJsonArray player = value.toArray();
        const QString name = player.at(0).toString();
        // Names the computers play under are the lists' own entries.
        if (player.size() != 2 || name.isEmpty() || !player.at(1).isDouble() || IsComputerRow(name))
            continue;
        read.players.emplace_back(name, int64_t(player.at(1).toDouble()));
    }
    return read;
}

} // namespace db
