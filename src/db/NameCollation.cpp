#include "db/NameCollation.h"

#include "db/DbError.h"

#include <QLibrary>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <numeric>
#include <optional>
#include <sqlite3.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>
#include <vector>

namespace db {

namespace {

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

void Check(UErrorCode status) {
    if (U_FAILURE(status))
        throw DbError(std::string("the Russian collator: ") + u_errorName(status));
}

// Russian, letter case ignored (secondary strength keeps Ё apart from Е),
// canonical equivalents equal, punctuation significant.
Collator OpenRussianCollator(UCollationStrength strength) {
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("ru_RU", &status));
    ucol_setAttribute(collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator.get(), UCOL_STRENGTH, strength, &status);
    ucol_setAttribute(collator.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    Check(status);
    return collator;
}

// The characters names mostly differ by: printable ASCII and the basic
// Cyrillic block. Each gets the rank of its primary weight (0: not ranked).
constexpr char32_t CyrillicFirst = 0x400;
constexpr char32_t CyrillicLast = 0x45F;

struct Ranks {
    std::array<uint16_t, 128> ascii{};
    std::array<uint16_t, CyrillicLast - CyrillicFirst + 1> cyrillic{};

    uint16_t& Of(char32_t c) { return c < 128 ? ascii[c] : cyrillic[c - CyrillicFirst]; }
    uint16_t Of(char32_t c) const { return c < 128 ? ascii[c] : cyrillic[c - CyrillicFirst]; }
    std::vector<bool> starts = std::vector<bool>(CyrillicLast + 1); // of a contraction
};

// Flags of the characters as far as basic Cyrillic.
struct Roles {
    std::vector<bool> unranked = std::vector<bool>(CyrillicLast + 1);
    std::vector<bool> starts = std::vector<bool>(CyrillicLast + 1);
};

// A character inside a contraction or expanding to several weights has no
// weight of its own to compare: it stays unranked. One that starts a
// contraction (И of И + breve) weighs alone only before a ranked character.
Roles ContractionRoles(const UCollator* collator) {
    Roles roles;
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    USet* expansions = uset_openEmpty();
    ucol_getContractionsAndExpansions(collator, contractions, expansions, true, &status);
    for (const USet* set : {contractions, expansions}) {
        for (int32_t item = 0; item < uset_getItemCount(set); ++item) {
            UChar32 start = 0, end = 0;
            std::array<UChar, 64> text{};
            const int32_t length = std::min<int32_t>(
                uset_getItem(set, item, &start, &end, text.data(), int32_t(text.size()), &status),
                int32_t(text.size()));
            if (length == 0) {
                for (UChar32 c = start; c <= std::min<UChar32>(end, CyrillicLast); ++c)
                    roles.unranked[size_t(c)] = true;
                continue;
            }
            for (int32_t i = 0; i < length;) {
                const bool first = i == 0;
                UChar32 c = 0;
                U16_NEXT(text.data(), i, length, c);
                if (c < 0 || c > UChar32(CyrillicLast))
                    continue;
                if (first && set == contractions)
                    roles.starts[size_t(c)] = true;
                else
                    roles.unranked[size_t(c)] = true;
            }
        }
    }
    uset_close(contractions);
    uset_close(expansions);
    Check(status);
    return roles;
}

// The rank of each plain character: characters of equal primary weight
// (a letter and its capital, Е and Ё) share a rank; ignorable ones get none.
Ranks RankCharacters() {
    const Collator primary = OpenRussianCollator(UCOL_PRIMARY);
    const Roles roles = ContractionRoles(primary.get());
    std::vector<char32_t> plain;
    for (char32_t c = 0x20; c <= CyrillicLast; ++c)
        if ((c < 0x7F || c >= CyrillicFirst) && !roles.unranked[c])
            plain.push_back(c);
    auto order = [&](char32_t a, char32_t b) {
        const UChar x = UChar(a), y = UChar(b);
        return ucol_strcoll(primary.get(), &x, 1, &y, 1);
    };
    std::stable_sort(plain.begin(), plain.end(),
                     [&](char32_t a, char32_t b) { return order(a, b) == UCOL_LESS; });
    Ranks ranks;
    const UChar none = 0;
    uint16_t rank = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        const UChar c = UChar(plain[i]);
        if (ucol_strcoll(primary.get(), &c, 1, &none, 0) == UCOL_EQUAL)
            continue; // no primary weight: ignorable
        if (i == 0 || order(plain[i - 1], plain[i]) != UCOL_EQUAL)
            ++rank;
        ranks.Of(plain[i]) = rank;
        ranks.starts[plain[i]] = roles.starts[plain[i]];
    }
    return ranks;
}

struct Russian {
    Collator collator = OpenRussianCollator(UCOL_SECONDARY);
    Ranks ranks = RankCharacters();
};

const Russian& Collation() {
    // ICU's compare functions take the collator as const and may be shared
    // between threads.
    static const Russian russian;
    return russian;
}

int Sign(UCollationResult order) {
    return order == UCOL_LESS ? -1 : order == UCOL_GREATER ? 1 : 0;
}

constexpr int End = -1;
constexpr int Other = -2;

// The character starting at text[i] when it is printable ASCII or basic
// Cyrillic; End past the text, Other for anything else.
int PlainAt(std::string_view text, size_t i) {
    if (i >= text.size())
        return End;
    const auto lead = uint8_t(text[i]);
    if (lead < 0x80)
        return lead;
    if ((lead == 0xD0 || lead == 0xD1) && i + 1 < text.size()) {
        const auto trail = uint8_t(text[i + 1]);
        const int c = ((lead & 0x1F) << 6) | (trail & 0x3F);
        if ((trail & 0xC0) == 0x80 && c <= int(CyrillicLast))
            return c;
    }
    return Other;
}

bool Continues(std::string_view text, size_t i) {
    return i < text.size() && (uint8_t(text[i]) & 0xC0) == 0x80;
}

// Most names part at a plain character after a common beginning, where the
// primary weights alone decide: without asking ICU. Nothing when they do not.
// The rank of the character at text[i] when it weighs on its own, else 0.
int RankAt(std::string_view text, size_t i, int c, const Ranks& ranks) {
    const int rank = ranks.Of(char32_t(c));
    if (rank == 0 || !ranks.starts[size_t(c)])
        return rank;
    const int next = PlainAt(text, i + (c < 0x80 ? 1 : 2));
    return next == End || (next != Other && ranks.Of(char32_t(next)) > 0) ? rank : 0;
}

std::optional<int> QuickOrder(std::string_view a, std::string_view b, const Ranks& ranks) {
    size_t i = size_t(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    while (i > 0 && (Continues(a, i) || Continues(b, i)))
        --i;
    const int x = PlainAt(a, i);
    const int y = PlainAt(b, i);
    if (x == Other || y == Other)
        return std::nullopt;
    const int rx = x == End ? 0 : RankAt(a, i, x, ranks);
    const int ry = y == End ? 0 : RankAt(b, i, y, ranks);
    // The end of one text against a weighed character: the shorter comes first.
    if ((x == End && ry > 0) || (y == End && rx > 0) || (rx > 0 && ry > 0 && rx != ry))
        return rx < ry ? -1 : 1;
    return std::nullopt;
}

// SQLite hands both texts over as they are stored, in UTF-8: compared without
// converting them, which keeps the lists near the cost of binary order.
int CompareUtf8(void*, int sizeA, const void* a, int sizeB, const void* b) {
    return CompareNames(std::string_view(static_cast<const char*>(a), size_t(sizeA)),
                        std::string_view(static_cast<const char*>(b), size_t(sizeB)));
}

} // namespace

int CompareNames(QStringView a, QStringView b) {
    const int order = Sign(ucol_strcoll(
        Collation().collator.get(), reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
        reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size())));
    return order != 0 ? order : a.compare(b, Qt::CaseSensitive);
}

int CompareNames(std::string_view a, std::string_view b) {
    if (a == b)
        return 0;
    const Russian& russian = Collation();
    if (const auto quick = QuickOrder(a, b, russian.ranks))
        return *quick;
    UErrorCode status = U_ZERO_ERROR;
    const int order = Sign(ucol_strcollUTF8(russian.collator.get(), a.data(), int32_t(a.size()),
                                            b.data(), int32_t(b.size()), &status));
    if (order != 0 || U_FAILURE(status))
        return order;
    // Names equal but for letter case are rare: their exact order is that of
    // UTF-16 code units, as in the QString form.
    return CompareNames(QString::fromUtf8(a.data(), qsizetype(a.size())),
                        QString::fromUtf8(b.data(), qsizetype(b.size())));
}

namespace {

// Qt's driver brings libsqlite3 when the first connection is made; linking it
// here as well would load it (and bind its symbols) with the program, before
// any database is used. Its one function needed here is found in that copy.
using CreateCollation = decltype(&sqlite3_create_collation);

CreateCollation DriversCreateCollation() {
    static const CreateCollation function = [] {
        QLibrary library(QStringLiteral("sqlite3"), 0);
        return library.load() ? reinterpret_cast<CreateCollation>(
                                    library.resolve("sqlite3_create_collation"))
                              : nullptr;
    }();
    return function;
}

} // namespace

void RegisterNameCollation(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver()->handle();
    sqlite3* sqlite = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3* const*>(handle.constData())
                          : nullptr;
    // The collator is made at the first comparison (a few ms): start-up sorts no names.
    const CreateCollation createCollation = DriversCreateCollation();
    if (sqlite == nullptr || createCollation == nullptr ||
        createCollation(sqlite, NameCollationName, SQLITE_UTF8, nullptr, CompareUtf8) != SQLITE_OK)
        throw DbError("cannot register the name collation");
    // No index serves this order, so its lists sort; they sort in memory
    // (100,000 names take a few MB) instead of spilling to temporary files.
    if (!QSqlQuery(connection).exec(QStringLiteral("PRAGMA cache_size = -8192")))
        throw DbError("cannot set up sorting for the name collation");
}

} // namespace db
