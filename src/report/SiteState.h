// What a site knows of itself, for the next update: each page group's units
// (a page, or a folder of game pages) with the digest of what they show and
// what an update keeps of them. It is written last, after the pages are in
// place; a missing, damaged or foreign state means a full run.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <string>

namespace report {

struct SiteState {
    struct Unit {
        quint64 digest = 0;
        QByteArray kept; // what the group keeps of the unit besides its digest
        bool operator==(const Unit&) const = default;
    };
    using Units = std::map<qint64, Unit>;
    std::map<std::string, Units> groups;
    // The journal's oldest and newest codes when the site was made (0: empty).
    qint64 firstCode = 0;
    qint64 lastCode = 0;
    bool operator==(const SiteState&) const = default;
};

/*! The state file's name in the site's folder. */
extern const QString StateFileName;

/*! The state of the site in dir; nothing, with why, when there is none or it
    is damaged or was written by another version of the pages. */
std::optional<SiteState> LoadState(const QString& dir, QString& why);
/*! The state as the file holds it. */
QByteArray StateBytes(const SiteState& state);
/*! Writes the state into dir by a rename, so that a run cut short leaves the
    old file or the new one whole. Throws std::runtime_error. */
void SaveState(const QString& dir, const SiteState& state);

} // namespace report
