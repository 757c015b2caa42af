// Whether a file that steers the program could have been changed by another
// account of this computer: whoever can edit Database.cfg chooses the server
// that receives the club's ratings.
#pragma once

#include <QString>

namespace db {

/*! Empty when only this process's account can change the file at path (or
    it cannot be examined: then opening it reports the problem). Otherwise
    why not, in Russian: another account owns it, or its group or everyone
    may write to it. Empty on platforms without owners and modes. */
QString OthersMayChange(const QString& path);

} // namespace db
