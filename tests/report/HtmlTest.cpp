// Escaping for the pages: each reserved character becomes its entity, by
// both ways a page puts text in, and nothing else changes.
#include "report/Html.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlText, EveryReservedCharacterBecomesItsEntity) {
    const struct {
        const char* text;
        const char* html;
    } cases[] = {
        {"&", "&amp;"},
        {"<", "&lt;"},
        {">", "&gt;"},
        {"\"", "&quot;"},
        {"'", "&#39;"},
        {"Кот & \"Пёс\" <'Ёж'>", "Кот &amp; &quot;Пёс&quot; &lt;&#39;Ёж&#39;&gt;"},
        {"&amp;", "&amp;amp;"},
        {"Ёлкин {{body}}", "Ёлкин {{body}}"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(report::Escape(text), QString::fromUtf8(c.html)) << c.text;
        report::HtmlOut fromUtf8, fromQString;
        fromUtf8.Text(std::string_view(c.text));
        fromQString.Text(text);
        EXPECT_EQ(fromUtf8.Bytes(), c.html) << c.text;
        EXPECT_EQ(fromQString.Bytes(), c.html) << c.text;
    }
}

} // namespace
