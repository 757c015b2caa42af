// The pages of the club's site, each as a whole HTML file.
#pragma once

#include "record/MatchRecord.h"
#include "report/ClubData.h"
#include "report/DiceAudit.h"
#include "report/History.h"
#include "report/Html.h"
#include "report/SiteWriter.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace report {

/*! What every page needs: the club, its counts and histories, when it is made. */
struct Site {
    const Club& club;
    const History& history;
    const QHash<qint64, PlayerStats>& stats;
    QString made;
    std::vector<int> ranks;            // Ranks(club)
    std::unordered_map<qint64, size_t> playerAt; // a player's place in club.ratings
    const DiceAudit* dice = nullptr;   // once the game pages are made
    std::vector<quint64> rows{};       // GameRowDigests(club), once the game pages are made
};

/*! Where a game's page is in the site: a thousand games a folder (a folder
    of a million files is slow to list, copy and serve, and some hosts
    refuse it), and the way back from it to the site's top. */
std::string GamePath(qint64 code);
inline constexpr qint64 GamesPerFolder = 1000;
inline qint64 GameFolder(qint64 code) { return code / GamesPerFolder; }
inline constexpr std::string_view GameRoot = "../../";

/*! The board's field and points, under the checkers of every game's board. */
inline constexpr std::string_view BoardPictureName = "board.svg";
std::string BoardPicture();

/*! Rows of "Последние партии" on the rating page. */
inline constexpr size_t RecentGameRows = 10;
/*! Rows of the journal on one of its pages. */
inline constexpr int JournalPageRows = 500;

/*! The rating page, written into file as it is made. */
void RatingPage(const Site& site, SiteWriter::File& file);
void PlayerPage(const Site& site, const Player& player, HtmlOut& out);
/*! Page number (from 1, the oldest games) of the journal, its games newest
    first; the newest page is also JournalNewest, where the menu leads. */
void JournalPage(const Site& site, int page, HtmlOut& out);
inline constexpr std::string_view JournalNewest = "index.html";
int JournalPageCount(const Club& club);
/*! A record of the archive as read back for its page. */
struct RecordRead {
    QString text;
    std::optional<record::GameRecord> game; // nothing: error says why
    std::optional<record::MatchRecord> match; // a match's text, read back
    bool isMatch = false;                     // the text is a match's, read or not
    QString error;
};
/*! A game or match of the archive, added to out; a record that does not
    read back is shown as text with the reason. */
void GamePage(const Site& site, const JournalGame& game, const RecordRead& record, HtmlOut& out);
/*! A line shown among a game's turns: before the turn numbered turn (from
    0), after the last one when there are fewer. */
struct TurnNote {
    int turn = 0;
    QString text;
};
/*! Who plays which colour and the opening roll, the paragraph left open. */
void AddSides(HtmlOut& out, const record::GameRecord& game);
/*! A game's board, stepped through by the page's script, its final position
    drawn, and its turns under heading (HTML) with notes among them. */
void AddGameBoard(HtmlOut& out, const record::GameRecord& game, const std::vector<TurnNote>& notes,
                  std::string_view heading);
/*! A match's length and score, then each game with its board. */
void AddMatch(HtmlOut& out, const record::MatchRecord& match);
/*! One turn as record::TurnText writes it. */
void AddTurnText(HtmlOut& out, const record::Turn& turn);
QByteArray DicePage(const Site& site, const DiceAudit& audit);

/*! A game's code, linked to its page when it has one. */
void AddGameLink(HtmlOut& out, const JournalGame& game, std::string_view root);

/*! A tournament's page: standings with their tie-breaks, the crosstable,
    each round's pairings with links to the games' pages. */
void TournamentPage(const Site& site, const db::TournamentData& tournament, HtmlOut& out);
std::string TournamentPath(qint64 code);
/*! The index's line of links to the tournaments' pages; nothing without any. */
void TournamentLinks(HtmlOut& out, const Club& club);

/*! Each player's place in Club::ratings: equal points share one. */
std::vector<int> Ranks(const Club& club);
/*! A player's name as the pages show it; a code without a row as such. */
QString NameOf(const Club& club, qint64 code);
/*! The same name added as text. */
void AddName(HtmlOut& out, const Club& club, qint64 code);
/*! The chart of a player's rating: an SVG with one point per game. */
void RatingChart(HtmlOut& out, const std::vector<qint64>& points, const std::vector<qint64>& codes,
                 const std::vector<std::string_view>& dates);

// Table pieces.
QString Cell(const QString& label, const QString& html, const QString& cls = {},
             const QString& key = {});
QString Number(qint64 value);
/*! A sortable key for a journal date ("2026-12-07"); the text itself when it is no date. */
QString DateKey(const QString& date);
/*! A journal date in the pages' one form, "07.12.2026", from the short forms
    computers write (dd.MM.yyyy, dd.MM.yy, yyyy-MM-dd, M/d/yy, MM/dd/yyyy);
    the text itself when it is none of them. */
QString ShownDate(const QString& date);
/*! A number as Russian writes it: "0,719" (decimals after a comma). */
QString RussianNumber(double value, int decimals);

} // namespace report
