#include "db/PlayerRows.h"

#include "db/Query.h"
#include "record/ComputerNames.h"

namespace db {

std::optional<PlayerRow> FindPlayer(TQuery& query, const QString& name) {
    query.SetSQL(sql::PlayerByName(name));
    query.Open();
    if (query.Eof())
        return std::nullopt;
    return PlayerRow{query.FieldAsInteger(QStringLiteral("P_CODE")),
                     query.FieldAsInteger(QStringLiteral("P_POINTS"))};
}

bool IsComputerRow(const QString& name) {
    return name == QLatin1String("Computer") || record::IsComputerName(name);
}

} // namespace db
