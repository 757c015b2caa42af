// A game record on any bytes (tolvaner --open, the journal's archive): the
// reader either refuses it with a reason or gives a game that the rules
// allowed, which writes out in every format and reads back to the same board.
#include "record/ExchangeFormats.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The same bytes as a stored record: refused or unpacked, never trusted.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto unpacked = record::UnpackRecord(bytes); unpacked && unpacked->isNull())
        std::abort();
    QString error;
    const auto game = record::ReadRecord(
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), error);
    if (!game) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const QString text = record::RecordText(*game, game->StartTime());
    const auto again = record::ReadRecord(text, error);
    if (!again || again->Board() != game->Board())
        std::abort();
    if (record::MatProblem(*game).isEmpty() && record::MatText(*game, {}).isEmpty())
        std::abort();
    if (record::SgfProblem(*game).isEmpty() && record::SgfText(*game, {}).isEmpty())
        std::abort();
    return 0;
}
