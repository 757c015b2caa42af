// A turn line of the program's record read back: "12. Белые 6-5: 24/18 13/8".
#pragma once

#include "record/Notation.h"

#include <QStringView>
#include <optional>

namespace record {

/*! A numbered turn as RecordText writes it: "12. Белые 6-5: 24/18 13/8",
    "3. Чёрные 6-6: пропуск", "4. Белые ?-?: bar/22*", "8/5(2)" for a move
    made twice. Points count from the mover's home when ownNumbering, else as
    the board numbers them. Shapes no program writes read as well (leading
    zeros, more spaces between moves); nothing for any other line. Hit marks
    are as written, not checked. */
std::optional<Turn> ParseTurnLine(QStringView line, bool ownNumbering);

} // namespace record
