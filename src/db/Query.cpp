#include "db/Query.h"

#include "db/DbError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace db {

namespace {

[[noreturn]] void Fail(const QString& what, const QSqlError& error, const Statement& statement) {
    throw DbError((what + ": " + error.text() + " [" + statement.text + "]").toStdString());
}

QSqlQuery Run(const QSqlDatabase& connection, const Statement& statement) {
    QSqlQuery query(connection);
    if (!query.prepare(statement.text))
        Fail(QStringLiteral("statement rejected"), query.lastError(), statement);
    for (const QVariant& value : statement.values)
        query.addBindValue(value);
    if (!query.exec())
        Fail(QStringLiteral("statement failed"), query.lastError(), statement);
    return query;
}

} // namespace

TQuery::TQuery(std::function<QSqlDatabase()> connection)
    : connection_(std::move(connection)), model_(std::make_unique<QSqlQueryModel>()) {}

TQuery::~TQuery() = default;

void TQuery::SetSQL(Statement statement) {
    Close();
    statement_ = std::move(statement);
}

void TQuery::Open() {
    Close();
    QSqlQuery query = Run(connection_(), statement_);
    model_->setQuery(std::move(query));
    if (model_->lastError().isValid())
        Fail(QStringLiteral("reading rows failed"), model_->lastError(), statement_);
    active_ = true;
    row_ = 0;
}

void TQuery::ExecSQL() {
    Close();
    QSqlQuery query = Run(connection_(), statement_);
    query.finish();
}

void TQuery::Close() {
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
        Fail(QStringLiteral("reading rows failed"), model_->lastError(), statement_);
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
        throw DbError("query is closed: " + statement_.text.toStdString());
    if (!FetchUpTo(row_))
        throw DbError("no current row: " + statement_.text.toStdString());
    const QSqlRecord record = model_->record(row_);
    for (int i = 0; i < record.count(); ++i)
        if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return record.value(i);
    throw DbError("no field " + name.toStdString() + " in " + statement_.text.toStdString());
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
