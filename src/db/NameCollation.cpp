#include "db/NameCollation.h"

#include "db/DbError.h"

#include <QCollator>
#include <QLocale>
#include <QSqlDriver>
#include <sqlite3.h>

namespace db {

namespace {

const QCollator& RussianCollator() {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// SQLite hands both texts over in UTF-16 of the machine's byte order.
int CompareUtf16(void*, int sizeA, const void* a, int sizeB, const void* b) {
    return CompareNames(QStringView(static_cast<const char16_t*>(a), sizeA / 2),
                        QStringView(static_cast<const char16_t*>(b), sizeB / 2));
}

} // namespace

int CompareNames(QStringView a, QStringView b) {
    const int order = RussianCollator().compare(a, b);
    return order != 0 ? order : a.compare(b, Qt::CaseSensitive);
}

void RegisterNameCollation(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver()->handle();
    sqlite3* sqlite = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3* const*>(handle.constData())
                          : nullptr;
    if (sqlite == nullptr || sqlite3_create_collation(sqlite, NameCollationName, SQLITE_UTF16,
                                                      nullptr, CompareUtf16) != SQLITE_OK)
        throw DbError("cannot register the name collation");
}

} // namespace db
