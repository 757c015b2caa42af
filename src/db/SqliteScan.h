// Reading a million rows through QSqlQuery costs a QVariant a value, most of
// the time of reading the club for its page; such readings go straight to
// the SQLite library Qt's driver has loaded.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <string_view>

namespace db {

/*! A row being read, from either engine. */
class ScanRow {
  public:
    virtual ~ScanRow() = default;
    virtual qint64 Int(int column) const = 0;
    virtual bool IsNull(int column) const = 0;
    /*! UTF-8, valid until the next row or the next call of Utf8. */
    virtual std::string_view Utf8(int column) const = 0;
};

/*! Runs text, a statement without values, on an open SQLite connection,
    visiting each row in turn. Throws DbError (the engine's message). */
void ScanSqlite(const QSqlDatabase& connection, const QString& text,
                const std::function<void(const ScanRow&)>& visit);

} // namespace db
