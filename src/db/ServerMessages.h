// The server's own failures told in Russian: what went wrong and what to
// check, with the engine's text kept after it.
#pragma once

#include <QString>

namespace db {

/*! For a text of libpq's that the table knows (refused, unknown host,
    password, time-out, SSL, no such database): the Russian sentence, then
    the text in brackets. Any other text as it is. */
QString ExplainServerText(const QString& engineText);

} // namespace db
