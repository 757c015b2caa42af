// The UTF-8 name order must be exactly the order of Qt's Russian collator
// (letter case ignored) with ties broken by the exact text.
#include "common/NameOrder.h"
#include "db/NameCollation.h"

#include <gtest/gtest.h>
#include <random>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int ReferenceOrder(const QString& a, const QString& b) {
    return Sign(nameorder::Compare(a, b));
}

TEST(NameCollation, Utf8OrderIsTheRussianOrderWithExactTies) {
    const QStringList names{
        "Ель",  "ель",     "Ёлка",   "ёлка",    "Елка",       "Е\u0308лка", "Жук",
        "жук",  "ЖУК",     "Анна",   "анна",    "Яна",        "Computer",   "computer",
        "Zoe",  "Игрок12", "Игрок2", "Игрок 2", "Игрок-2",    "Ива",        "Иван",
        "иван", "Йод",     "Ива.",   "",        "1",          "а",          "a",
        "ß",    "ss",      "\u00e9", "e\u0301", "Щука",       "Ъ",          "Ы",
        "Ь",    "Э",       "Ю",      "Я",       "\U0001F600", "\uFF21",
    };
    for (const QString& a : names)
        for (const QString& b : names) {
            const QByteArray ua = a.toUtf8();
            const QByteArray ub = b.toUtf8();
            const int expected = ReferenceOrder(a, b);
            SCOPED_TRACE((a + " / " + b).toStdString());
            EXPECT_EQ(Sign(db::CompareNames(std::string_view(ua.data(), size_t(ua.size())),
                                            std::string_view(ub.data(), size_t(ub.size())))),
                      expected);
            EXPECT_EQ(Sign(db::CompareNames(QStringView(a), QStringView(b))), expected);
        }
}

TEST(NameCollation, RandomNamesOfMixedAlphabetsKeepTheReferenceOrder) {
    // Names that share beginnings and part anywhere: letters of both cases,
    // Е and Ё (composed and not), digits, punctuation, Latin-1, an emoji.
    const QString alphabet = QStringLiteral("аАеЕёЁжЖиИйЙьЪяЯaAzZ09 -._ßéü\u0308\u0301Ω");
    std::mt19937 random(24);
    auto name = [&] {
        QString text = QStringLiteral("Иг");
        const int length = int(random() % 6);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(qsizetype(random() % alphabet.size()));
        if (random() % 9 == 0)
            text += QStringLiteral("\U0001F600");
        return text;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString a = name();
        const QString b = name();
        const QByteArray ua = a.toUtf8();
        const QByteArray ub = b.toUtf8();
        ASSERT_EQ(Sign(db::CompareNames(std::string_view(ua.data(), size_t(ua.size())),
                                        std::string_view(ub.data(), size_t(ub.size())))),
                  ReferenceOrder(a, b))
            << a.toStdString() << " / " << b.toStdString();
    }
}

} // namespace
