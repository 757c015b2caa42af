#include "db/SqliteScan.h"

#include "db/DbError.h"

#include <QLibrary>
#include <QSqlDriver>
#include <QVariant>
#include <memory>
#include <sqlite3.h>
#include <type_traits>

namespace db {

namespace {

// The functions of the copy of libsqlite3 Qt's driver uses (see NameCollation.cpp).
struct Api {
    decltype(&sqlite3_prepare_v2) prepare = nullptr;
    decltype(&sqlite3_step) step = nullptr;
    decltype(&sqlite3_finalize) finalize = nullptr;
    decltype(&sqlite3_column_int64) int64 = nullptr;
    decltype(&sqlite3_column_text) text = nullptr;
    decltype(&sqlite3_column_bytes) bytes = nullptr;
    decltype(&sqlite3_column_type) type = nullptr;
    decltype(&sqlite3_errmsg) errmsg = nullptr;

    bool Whole() const {
        return prepare && step && finalize && int64 && text && bytes && type && errmsg;
    }
};

const Api& Sqlite() {
    static const Api api = [] {
        Api found;
        QLibrary library(QStringLiteral("sqlite3"), 0);
        if (!library.load())
            return found;
        const auto resolve = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                library.resolve(name));
        };
        resolve(found.prepare, "sqlite3_prepare_v2");
        resolve(found.step, "sqlite3_step");
        resolve(found.finalize, "sqlite3_finalize");
        resolve(found.int64, "sqlite3_column_int64");
        resolve(found.text, "sqlite3_column_text");
        resolve(found.bytes, "sqlite3_column_bytes");
        resolve(found.type, "sqlite3_column_type");
        resolve(found.errmsg, "sqlite3_errmsg");
        return found;
    }();
    return api;
}

class StatementRow : public ScanRow {
  public:
    StatementRow(const Api& api, sqlite3_stmt* statement) : api_(api), statement_(statement) {}
    qint64 Int(int column) const override { return api_.int64(statement_, column); }
    bool IsNull(int column) const override {
        return api_.type(statement_, column) == SQLITE_NULL;
    }
    std::string_view Utf8(int column) const override {
        const auto* text = reinterpret_cast<const char*>(api_.text(statement_, column));
        return text ? std::string_view(text, size_t(api_.bytes(statement_, column)))
                    : std::string_view();
    }

  private:
    const Api& api_;
    sqlite3_stmt* statement_;
};

} // namespace

void ScanSqlite(const QSqlDatabase& connection, const QString& text,
                const std::function<void(const ScanRow&)>& visit) {
    const Api& api = Sqlite();
    const QVariant handle = connection.driver()->handle();
    sqlite3* sqlite = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3* const*>(handle.constData())
                          : nullptr;
    if (sqlite == nullptr || !api.Whole())
        throw DbError("the SQLite library cannot be reached");
    sqlite3_stmt* statement = nullptr;
    const QByteArray utf8 = text.toUtf8();
    if (api.prepare(sqlite, utf8.constData(), int(utf8.size()), &statement, nullptr) != SQLITE_OK)
        throw DbError(api.errmsg(sqlite));
    // Finalized however the visit ends.
    const std::unique_ptr<sqlite3_stmt, decltype(api.finalize)> owner(statement, api.finalize);
    const StatementRow row(api, statement);
    int step;
    while ((step = api.step(statement)) == SQLITE_ROW)
        visit(row);
    if (step != SQLITE_DONE)
        throw DbError(api.errmsg(sqlite));
}

} // namespace db
