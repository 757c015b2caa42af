#include "db/Query.h"

#include "db/DbError.h"
#include "db/PagedModel.h"
#include "db/ServerWatch.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <optional>

namespace db {

Dialect DialectOf(const QSqlDatabase& connection) {
    return connection.driverName() == QLatin1String("QPSQL") ? Dialect::PostgreSQL
                                                             : Dialect::SQLite;
}

TQuery::TQuery(std::function<QSqlDatabase()> connection)
    : connection_(std::move(connection)), model_(std::make_unique<PagedModel>()) {}

QSqlQueryModel* TQuery::Model() const {
    return model_.get();
}

std::unique_ptr<PagedModel> TQuery::Pages() const {
    if (!active_ || !model_->Paged())
        throw DbError("not read in pages: " + statement_.Text(dialect_).toStdString());
    return model_->Copy();
}

bool IsTransient(const QSqlError& error) {
    if (error.type() == QSqlError::ConnectionError)
        return true;
    const QString code = error.nativeErrorCode();
    bool number = false;
    const int sqlite = code.toInt(&number) & 0xFF; // extended codes carry the primary one low
    if (number) // SQLITE_BUSY, LOCKED, READONLY, IOERR, FULL, CANTOPEN
        return sqlite == 5 || sqlite == 6 || sqlite == 8 || sqlite == 10 || sqlite == 13 ||
               sqlite == 14;
    // SQLSTATE: connection exceptions, insufficient resources, operator
    // intervention (time-outs, shutdowns), lock not available, serialization.
    return code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("53")) ||
           code.startsWith(QLatin1String("57")) || code == QLatin1String("55P03") ||
           code == QLatin1String("40001") || code == QLatin1String("40P01");
}

void TQuery::Fail(const QString& what, const QSqlError& error) const {
    ThrowIfServerSilent();
    throw DbError((what + ": " + error.text() + " [" + statement_.Text(dialect_) + "]").toStdString(),
                  IsTransient(error), error.nativeErrorCode().toStdString());
}

QSqlQuery TQuery::Run(const Statement& statement) const {
    // Every statement, a page read as the grid scrolls included, waits on a
    // server for a bounded time only.
    const ServerWait wait;
    const QSqlDatabase connection = connection_();
    dialect_ = DialectOf(connection);
    QSqlQuery query(connection);
    AwayFromTheWindows([&] {
        // Nothing to bind: sent as it is, which spares a server the round
        // trips of preparing a statement and releasing it.
        if (statement.values.isEmpty()) {
            if (!query.exec(statement.Text(dialect_)))
                Fail(QStringLiteral("statement failed"), query.lastError());
            return;
        }
        if (!query.prepare(statement.Text(dialect_)))
            Fail(QStringLiteral("statement rejected"), query.lastError());
        for (const QVariant& value : statement.values)
            query.addBindValue(value);
        if (!query.exec())
            Fail(QStringLiteral("statement failed"), query.lastError());
    });
    return query;
}

namespace {

// A prepared statement is released on the server when its last query goes.
void Release(QSqlQuery&& query) {
    if (query.lastQuery().isEmpty())
        return;
    std::optional<QSqlQuery> last(std::move(query));
    AwayFromTheWindows([&] { last.reset(); });
}

} // namespace

TQuery::~TQuery() = default;

void TQuery::SetSQL(Statement statement) {
    Close();
    statement_ = std::move(statement);
}

void TQuery::Open() {
    const ServerWait wait;
    Close();
    if (statement_.keyset.fields.isEmpty()) {
        model_->setQuery(Run(statement_));
        if (model_->lastError().isValid())
            Fail(QStringLiteral("reading rows failed"), model_->lastError());
    } else {
        OpenPages();
    }
    active_ = true;
    row_ = 0;
}

void TQuery::OpenPages() {
    // Each page is a statement of its own, read whole: no result stays
    // pending on the connection, and a server sends only what is shown.
    const Statement statement = statement_;
    auto read = [this, statement](const QVariantList* after, QSqlRecord* fields) {
        QSqlQuery query = Run(statement.Page(after, PagedModel::PageRows));
        PagedModel::Rows rows;
        const int columns = query.record().count();
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < columns; ++i)
                row << query.value(i);
            rows.push_back(std::move(row));
        }
        if (query.lastError().isValid())
            Fail(QStringLiteral("reading rows failed"), query.lastError());
        if (fields != nullptr)
            *fields = query.record();
        Release(std::move(query));
        return rows;
    };
    QSqlRecord fields;
    PagedModel::Rows first = read(nullptr, &fields);
    QList<int> keys;
    for (const QString& field : statement_.keyset.fields)
        keys << fields.indexOf(field);
    model_->SetPages(fields, std::move(first), keys,
                     [read](const QVariantList* after) { return read(after, nullptr); });
}

void TQuery::ExecSQL() {
    const ServerWait wait;
    Close();
    Release(Run(statement_));
}

void TQuery::Close() {
    // The driver's clean-up of a prepared statement talks to the server too.
    const ServerWait wait;
    // clear() resets the model even when it already is empty; views redraw once.
    if (active_ || model_->columnCount() > 0) {
        QSqlQuery shown = model_->query();
        model_->clear();
        Release(std::move(shown));
    }
    active_ = false;
    row_ = 0;
}

void TQuery::CheckRows() const {
    if (model_->lastError().isValid())
        Fail(QStringLiteral("reading rows failed"), model_->lastError());
    if (!model_->Failure().empty())
        throw DbError(model_->Failure());
}

bool TQuery::FetchUpTo(int row) const {
    const ServerWait wait;
    while (row >= model_->rowCount() && model_->canFetchMore())
        model_->fetchMore();
    CheckRows();
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
    CheckRows();
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
    // Empty as well when the rows, read again meanwhile, no longer reach the row.
    const QSqlRecord record = FetchUpTo(row_) ? model_->RecordAt(row_) : QSqlRecord();
    CheckRows();
    if (record.isEmpty())
        throw DbError("no current row: " + statement_.Text(dialect_).toStdString());
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
