// A shared query: one statement at a time, a cursor over its rows, and the
// model that grids bound to the query show.
#pragma once

#include "db/Statements.h"

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QSqlError;
class QSqlQuery;
class QSqlQueryModel;

namespace db {

class PagedModel;

/*! Whether an engine's error may pass by itself: the server or file out of
    reach, a lock held past the wait, a database read-only or full for now,
    a statement cancelled by a time-out. */
bool IsTransient(const QSqlError& error);

/*! The dialect of an open connection's engine. */
Dialect DialectOf(const QSqlDatabase& connection);

class TQuery {
  public:
    /*! connection gives the open connection or throws DbError; it is asked
        before every statement, so a connection that failed may recover. The
        statement's text is the form of the connection's engine. */
    explicit TQuery(std::function<QSqlDatabase()> connection);
    ~TQuery();
    TQuery(const TQuery&) = delete;
    TQuery& operator=(const TQuery&) = delete;

    /*! Re-points the query; this closes it. */
    void SetSQL(Statement statement);
    const Statement& SQL() const { return statement_; }

    /*! Runs a statement that returns rows; the cursor stands on the first row.
        Rows are fetched lazily as the cursor or a view needs them; a view's
        statement with a keyset is read in pages, a few of them kept at once.
        Throws DbError. */
    void Open();
    /*! Runs a statement that changes data; the query stays closed. Throws DbError. */
    void ExecSQL();
    /*! Releases the rows; grids bound to the query show nothing. */
    void Close();
    bool Active() const { return active_; }

    /*! True when the open statement returned no row (also when closed). */
    bool IsEmpty() const;
    /*! Fetches every row and counts them. Throws DbError when closed. */
    int RecordCount();

    void First();
    void Next();
    /*! True when the cursor stands past the last row (or on no row at all). */
    bool Eof() const;
    /*! Zero-based index of the current row. */
    int RecNo() const { return row_; }
    /*! Puts the cursor on a row (a grid's selection); past the end gives Eof. */
    void MoveTo(int row);

    /*! The current row's field, found by name without regard to case. NULL reads
        as 0 or as empty text. Throws DbError when closed, at Eof, or when the
        result has no such field. */
    int64_t FieldAsInteger(const QString& name) const;
    QString FieldAsString(const QString& name) const;

    /*! The rows of the statement opened last; empty after ExecSQL or Close. */
    QSqlQueryModel* Model() const;
    /*! A model of its own over the open statement's rows, read in pages as
        it is scrolled, whatever this query runs next; it must not outlive
        the query. Throws DbError when closed or not read in pages. */
    std::unique_ptr<PagedModel> Pages() const;

  private:
    QVariant FieldValue(const QString& name) const;
    bool FetchUpTo(int row) const;

    [[noreturn]] void Fail(const QString& what, const QSqlError& error) const;
    void CheckRows() const;
    QSqlQuery Run(const Statement& statement) const;
    void OpenPages();

    std::function<QSqlDatabase()> connection_;
    Statement statement_;
    mutable Dialect dialect_ = Dialect::SQLite; // of the engine the statement ran on last
    std::unique_ptr<PagedModel> model_;
    bool active_ = false;
    int row_ = 0;
};

} // namespace db
