// The order of names a Russian reader expects, as an SQLite collation.
#pragma once

#include <QSqlDatabase>
#include <QStringView>
#include <string_view>

namespace db {

/*! The collation's name in statements: "ORDER BY P_NAME COLLATE RUSSIAN". */
inline constexpr char NameCollationName[] = "RUSSIAN";

/*! Alphabetical for the Russian locale, "Ё" beside "Е", letter case ignored;
    names equal so far are ordered by their exact text, so the order is total
    and stable. Negative, 0 or positive like strcmp. */
int CompareNames(QStringView a, QStringView b);
/*! The same order on UTF-8 texts. */
int CompareNames(std::string_view a, std::string_view b);

/*! Registers the collation on an open SQLite connection. Throws DbError. */
void RegisterNameCollation(const QSqlDatabase& connection);

} // namespace db
