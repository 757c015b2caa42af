// What the windows say when a database step cannot reach the server: one
// message per step in the program's words, with the server's own text.
#pragma once

#include <QString>
#include <functional>

namespace shell {

/*! reason with every run of tabs and line breaks made one space, trimmed. */
QString CleanServerText(const QString& reason);

/*! "Нет связи с базой данных игроков: " and the cleaned reason. */
QString ServerAwayText(const QString& reason);

/*! The start-up notice for a server out of reach: what happens, then the
    cleaned reason on a line of its own. */
QString StartUpServerAwayText(const QString& reason);

/*! Runs a database step. A server out of reach (db::ConnectionError) is told
    in a notice when tell is set, and the step ends; returns false then. Any
    other error passes on. */
bool RunServerStep(const std::function<void()>& step, bool tell = true);

} // namespace shell
