// The site's pages by kind, for an update that rewrites only what changed.
// Each group is a set of units (one page each) keyed by a number, each with
// a digest of everything its page shows: an update writes a unit that is new
// or whose digest changed, and removes one that is gone. The game pages are a
// group of their own (GamePages.h): the pages here show which games have one.
#pragma once

#include "report/Digest.h"
#include "report/Pages.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace report {

using UnitDigests = std::map<qint64, quint64>;

struct PageGroup {
    std::string name; // the group's name in the site's state
    /*! Every unit with the digest of what its page shows. */
    std::function<UnitDigests(const Site&)> digests;
    /*! The unit's page, relative to the site. */
    std::function<std::string(qint64 unit)> path;
    /*! Writes the pages of units, out being the worker's buffer. */
    std::function<void(const Site&, const std::vector<qint64>& units, SiteWriter&, HtmlOut&)>
        write;
    /*! Units a job makes: small pages go in batches. */
    size_t batch = 1;
    /*! Made after the game pages: it shows which games have one, or their rolls. */
    bool afterGames = true;
};

/*! The groups in the order they are made, the rating page first (the
    longest). Another kind of page joins this list. */
const std::vector<PageGroup>& PageGroups();

/*! Each journal row as every page shows it, in Club::games' order: the
    game's fields and its players' names. */
std::vector<quint64> GameRowDigests(const Club& club);
quint64 GameRowDigest(const Club& club, const JournalGame& game);

} // namespace report
