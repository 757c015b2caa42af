#include "db/Query.h"

#include "db/DbError.h"
#include "db/ServerWatch.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace db {

Dialect DialectOf(const QSqlDatabase& connection) {
    return connection.driverName() == QLatin1String("QPSQL") ? Dialect::PostgreSQL
                                                             : Dialect::SQLite;
}

TQuery::TQuery(std::function<QSqlDatabase()> connection)
    : connection_(std::move(connection)), model_(std::make_unique<QSqlQueryModel>()) {}

void TQuery::Fail(const QString& what, const QSqlError& error) const {
    ThrowIfServerSilent();
    throw DbError((what + ": " + error.text() + " [" + statement_.Text(dialect_) + "]").toStdString());
}

QSqlQuery TQuery::Run() {
    const QSqlDatabase connection = connection_();
    dialect_ = DialectOf(connection);
    QSqlQuery query(connection);
    if (!query.prepare(statement_.Text(dialect_)))
        Fail(QStringLiteral("statement rejected"), query.lastError());
    for (const QVariant& value : statement_.values)
        query.addBindValue(value);
    if (!query.exec())
        Fail(QStringLiteral("statement failed"), query.lastError());
    return query;
}

TQuery::~TQuery() = default;

void TQuery::SetSQL(Statement statement) {
    Close();
    statement_ = std::move(statement);
}

void TQuery::Open() {
    const ServerWait wait;
    Close();
    model_->setQuery(Run());
    if (model_->lastError().isValid())
        Fail(QStringLiteral("reading rows failed"), model_->lastError());
    active_ = true;
    row_ = 0;
}

void TQuery::ExecSQL() {
    const ServerWait wait;
    Close();
    Run().finish();
}

void TQuery::Close() {
    // The driver's clean-up of a prepared statement talks to the server too.
    const ServerWait wait;
    // clear() resets the model even when it already is empty; views redraw once.
    if (active_ || model_->columnCount() > 0)
        model_->clear();
    active_ = false;
    row_ = 0;
}

bool TQuery::FetchUpTo(int row) const {
    while (row >= model_->rowCount() && model_->canFetchMore())
        model_->fetchMore();
    if (model_->lastError().isValid())
        Fail(QStringLiteral("reading rows failed"), model_->lastError());
    return row < model_->rowCount();
}

bool TQuery::IsEmpty() const {
    return !active_ || !FetchUpTo(0);
}

int TQuery::RecordCount() {
    if (!active_)
        throw DbError("query is closed");
    while (model_->canFetchMore())
        model_->fetchMore();
    return model_->rowCount();
}

void TQuery::First() {
    row_ = 0;
}

void TQuery::Next() {
    if (!Eof())
        ++row_;
}

bool TQuery::Eof() const {
    return !active_ || !FetchUpTo(row_);
}

void TQuery::MoveTo(int row) {
    row_ = row < 0 ? 0 : row;
}

QVariant TQuery::FieldValue(const QString& name) const {
    if (!active_)
        throw DbError("query is closed: " + statement_.Text(dialect_).toStdString());
    if (!FetchUpTo(row_))
        throw DbError("no current row: " + statement_.Text(dialect_).toStdString());
    const QSqlRecord record = model_->record(row_);
    for (int i = 0; i < record.count(); ++i)
        if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return record.value(i);
    throw DbError("no field " + name.toStdString() + " in " + statement_.Text(dialect_).toStdString());
}

int64_t TQuery::FieldAsInteger(const QString& name) const {
    const QVariant value = FieldValue(name);
    return value.isNull() ? 0 : value.toLongLong();
}

QString TQuery::FieldAsString(const QString& name) const {
    const QVariant value = FieldValue(name);
    return value.isNull() ? QString() : value.toString();
}

} // namespace db
