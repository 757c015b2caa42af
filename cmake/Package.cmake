# The Debian package: `cpack -G DEB` in a Release build folder (see
# scripts/package.sh) makes vertan_<version>_<arch>.deb. Run-time libraries
# come from the binaries (dpkg-shlibdeps); the rest are named here.
set(CPACK_PACKAGE_NAME vertan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Вертан")
set(CPACK_PACKAGE_CONTACT "Вертан <support@vertan-game.ru>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "backgammon referee with player ratings")
set(CPACK_PACKAGE_DESCRIPTION
    "Вертан referees games of backgammon between two people, a person and the\n\
computer, or the computer and itself, on a board drawn by its own client. It\n\
keeps a database of registered players with rating points and a journal of\n\
finished games; each user of the computer has a program folder of their own.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${VERTAN_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vertan-game.ru/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQLite driver and the platform plugins are loaded, not linked; the font
# stands in for the one the windows are drawn for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-translations-l10n, fonts-comfortaa")
# A club's shared ratings on a PostgreSQL server need Qt's driver for it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
# GNU Backgammon, where installed, is offered as a player.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnubg")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
