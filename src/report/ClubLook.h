// How the club's pages look as the club wants: its name, a logo and two
// colours from a small settings file (Data/Club.cfg, or one named).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace report {

struct ClubLook {
    QString name;       // on every page; empty: none
    QByteArray logo;    // the picture's bytes; empty: none
    QString logoSuffix; // "png", "jpg", "gif" or "svg"
    QString accent;     // "#rrggbb" for the links and the club's line; empty: the style's
    QString background; // "#rrggbb" for the page; empty: the style's

    /*! The logo's path in the site. */
    QString LogoName() const { return QStringLiteral("club/logo.") + logoSuffix; }
};

/*! Reads the settings: UTF-8 lines "key = value" with the keys name, logo
    (a picture beside the file or a path, at most 1 MB), accent and
    background (#rrggbb); "#" or ";" starts a comment. What cannot be used
    is left out and told in problems, one line each naming the file's line;
    the rest still applies. A missing file is one problem. */
ClubLook ReadClubLook(const QString& path, QStringList& problems);

/*! The look every page of this run shows; set before the pages are made. */
void SetClubLook(const ClubLook& look);
const ClubLook& CurrentClubLook();

} // namespace report
