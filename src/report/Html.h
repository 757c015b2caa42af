// HTML text from the club's data: every value escaped, pages made from the
// templates of data/report/.
#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <utility>

namespace report {

/*! Text as it may stand in an element or a quoted attribute. */
QString Escape(const QString& text);

/*! The template with each {{key}} replaced by its value, in one pass: a
    value that itself holds "{{...}}" is left as it is. Unknown keys stay empty. */
QString Fill(const QString& tmpl, std::initializer_list<std::pair<QString, QString>> values);

/*! A whole page: title (plain text), body (HTML), root ("" or "../"), made (plain text). */
QByteArray Page(const QString& title, const QString& body, const QString& root,
                const QString& made);

QString PageTemplate();
QByteArray StyleSheet();
QByteArray Script();

} // namespace report
