// The pages of the club's site, each as a whole HTML file.
#pragma once

#include "report/ClubData.h"
#include "report/DiceAudit.h"
#include "report/History.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace report {

/*! What every page needs: the club, its counts and histories, when it is made. */
struct Site {
    const Club& club;
    const History& history;
    const QHash<qint64, PlayerStats>& stats;
    QString made;
};

/*! Rows of the journal on one of its pages. */
inline constexpr int JournalPageRows = 500;

QByteArray RatingPage(const Site& site);
QByteArray PlayerPage(const Site& site, const Player& player, int rank);
/*! Page number (from 1) of the journal, newest games first. */
QByteArray JournalPage(const Site& site, int page);
int JournalPageCount(const Club& club);
/*! A game of the archive; a record that does not read back is shown as text
    with the reason. */
QByteArray GamePage(const Site& site, const JournalGame& game, const QString& recordText,
                    const std::optional<record::GameRecord>& read, const QString& readError);
QByteArray DicePage(const Site& site, const DiceAudit& audit);

/*! Each player's place in Club::ratings: equal points share one. */
std::vector<int> Ranks(const Club& club);
/*! A player's name as the pages show it; a code without a row as such. */
QString NameOf(const Club& club, qint64 code);
/*! The chart of a player's rating: an SVG with one point per game. */
QString RatingChart(const std::vector<qint64>& points, const std::vector<qint64>& codes,
                    const std::vector<QString>& dates);
/*! The board as an SVG, the layer of checkers redrawn by the page's script. */
QString BoardSvg(const proc::Board& board, const QString& label);

// Table pieces.
QString Cell(const QString& label, const QString& html, const QString& cls = {},
             const QString& key = {});
QString Number(qint64 value);
/*! A sortable key for a journal date ("2026-12-07"); the text itself when it is no date. */
QString DateKey(const QString& date);

} // namespace report
