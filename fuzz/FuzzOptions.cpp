// The options file's texts: the line buffer, colour text and integer text.
#include "text/LineBuffer.h"
#include "text/NumberText.h"
#include "text/Win1251.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString all = text::FromWin1251(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    text::LineBuffer options;
    options.SetText(all);
    for (int i = 0; i < 6; ++i) {
        const QString line = options.Line(i);
        const auto integer = text::ParseIntegerText(line);
        const auto colour = text::ParseColorText(line);
        // Every integer text is a colour text with the same value.
        if (integer && (!colour || *colour != *integer))
            std::abort();
        // Nothing may follow the digits: a trailing blank always fails.
        if (text::ParseIntegerText(line + QLatin1Char(' ')))
            std::abort();
    }
    // Reading past the end gives empty text.
    if (!options.Line(options.Count()).isEmpty())
        std::abort();
    return 0;
}
