// Integer and colour texts of the options file.
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace text {

/*! Leading blanks, an optional sign, then decimal digits (signed 32-bit range)
    or up to eight hexadecimal digits after "$", "x", "X", "0x" or "0X", taken as
    a 32-bit pattern. Nothing may follow. Anything else gives nothing. */
std::optional<int32_t> ParseIntegerText(QStringView s);

/*! One of the 52 colour names (any letter case), otherwise integer text. */
std::optional<int32_t> ParseColorText(QStringView s);

} // namespace text
