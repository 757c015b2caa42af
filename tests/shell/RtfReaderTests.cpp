// The RTF reader on small documents: formatting, code pages, skipped
// destinations, plain-text fallback and malformed input.
#include "shell/RtfReader.h"
#include "text/Win1251.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace shell;

namespace {

QString Plain(const QByteArray& rtf) {
    QTextDocument doc;
    LoadRichOrPlainText(rtf, &doc);
    return doc.toPlainText();
}

// The character format at the first occurrence of `word`.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& word) {
    QTextCursor cursor = doc.find(word);
    EXPECT_FALSE(cursor.isNull()) << word.toStdString();
    QTextCursor at = cursor;
    at.setPosition(cursor.selectionStart() + 1);
    return at.charFormat();
}

Qt::Alignment AlignmentOf(const QTextDocument& doc, const QString& word) {
    return doc.find(word).block().blockFormat().alignment();
}

} // namespace

TEST(RtfReader, TextOfDocuments) {
    struct Case {
        const char* name;
        QByteArray rtf;
        QString text;
    };
    const std::vector<Case> cases = {
        {"paragraphs", "{\\rtf1 one\\par two\\par three}", "one\ntwo\nthree"},
        {"line and tab", "{\\rtf1 a\\line b\\tab c}", QStringLiteral("a\nb\tc")},
        {"escapes", "{\\rtf1 \\{x\\} \\\\ y}", "{x} \\ y"},
        {"cp1251 hex", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}",
         QStringLiteral("Привет")},
        {"default code page is 1251", "{\\rtf1 \\'c4\\'e0}", QStringLiteral("Да")},
        {"unicode with fallback", "{\\rtf1\\uc1 \\u1055?\\u1088?\\u1080?}", QStringLiteral("При")},
        {"unicode fallback as hex", "{\\rtf1\\uc1 \\u1044\\'3f\\u1072\\'3f!}",
         QStringLiteral("Да!")},
        {"negative unicode", "{\\rtf1 \\u-3913?}", QString(QChar(0xF0B7))},
        {"uc0 skips nothing", "{\\rtf1\\uc0 \\u1044 x}", QStringLiteral("Дx")},
        {"uc2", "{\\rtf1\\uc2 \\u1044 ab c}", QStringLiteral("Д c")},
        {"font table skipped", "{\\rtf1{\\fonttbl{\\f0\\fnil Comic Sans MS;}{\\f1 Arial;}}\\f0 Hi}",
         "Hi"},
        {"stylesheet, info, pict skipped",
         "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
         "{\\pict\\pngblip 89504e47}ok}",
         "ok"},
        {"starred destination skipped", "{\\rtf1{\\*\\generator Writer 1.0;}{\\*\\unknown x}v}",
         "v"},
        {"colour table not shown", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}t}", "t"},
        {"control word delimiter space", "{\\rtf1\\b bold\\b0  plain}", "bold plain"},
        {"source line breaks ignored", "{\\rtf1 a\r\nb\nc}", "abc"},
        {"escaped newline is a paragraph", "{\\rtf1 a\\\nb}", "a\nb"},
        {"binary data skipped", "{\\rtf1 a{\\bin3 }{}b}", "ab"},
        {"leading blanks before header", "  \r\n{\\rtf1 x}", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Plain(c.rtf), c.text) << c.name;
}

TEST(RtfReader, LineBreakAndNonBreakingSpaceKeepTheirCharacters) {
    QTextDocument doc;
    ReadRtf("{\\rtf1 a\\line b\\~c}", &doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("a\u2028b\u00A0c"));
    EXPECT_EQ(doc.blockCount(), 1);
}

TEST(RtfReader, CharacterFormatting) {
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                        "{\\b bold}{\\i italic}{\\ul under}{\\fs40 big}{\\cf1 red}{\\cf2 blue}"
                        " \\b on\\plain  off}",
                        &doc));
    EXPECT_EQ(FormatOf(doc, "bold").fontWeight(), QFont::Bold);
    EXPECT_NE(FormatOf(doc, "italic").fontWeight(), QFont::Bold); // the group ended
    EXPECT_TRUE(FormatOf(doc, "italic").fontItalic());
    EXPECT_TRUE(FormatOf(doc, "under").fontUnderline());
    EXPECT_DOUBLE_EQ(FormatOf(doc, "big").fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(FormatOf(doc, "red").fontPointSize(), 12.0);
    EXPECT_EQ(FormatOf(doc, "red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(FormatOf(doc, "blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(FormatOf(doc, "on").fontWeight(), QFont::Bold);
    EXPECT_NE(FormatOf(doc, "off").fontWeight(), QFont::Bold);
}

TEST(RtfReader, ParagraphAlignment) {
    QTextDocument doc;
    ASSERT_TRUE(
        ReadRtf("{\\rtf1\\qc centre\\par\\pard right\\qr\\par\\pard left\\par\\qj just}", &doc));
    EXPECT_EQ(AlignmentOf(doc, "centre"), Qt::AlignHCenter);
    EXPECT_EQ(AlignmentOf(doc, "right"), Qt::AlignRight);
    EXPECT_EQ(AlignmentOf(doc, "left"), Qt::AlignLeft);
    EXPECT_EQ(AlignmentOf(doc, "just"), Qt::AlignJustify);
}

TEST(RtfReader, PlainTextFallback) {
    QTextDocument doc;
    EXPECT_FALSE(ReadRtf("just text", &doc));
    EXPECT_EQ(Plain(text::ToWin1251(QStringLiteral("Просто текст\r\nвторая строка"))),
              QStringLiteral("Просто текст\nвторая строка"));
    EXPECT_EQ(Plain("{\\rt not rtf}"), QStringLiteral("{\\rt not rtf}"));
    EXPECT_EQ(Plain(""), QString());
}

TEST(RtfReader, MalformedInputEndsQuietly) {
    const std::vector<QByteArray> inputs = {
        "{\\rtf1 unclosed {\\b group",
        "{\\rtf1 extra}}}} closers}",
        "{\\rtf1 \\'",
        "{\\rtf1 \\'zz bad hex}",
        "{\\rtf1 \\u",
        "{\\rtf1 \\u99999999999999999999 big}",
        "{\\rtf1 \\fs-99999999999 \\cf99999 x}",
        "{\\rtf1 \\bin999999999 ",
        "{\\rtf1 \\",
        "{\\rtf1{\\colortbl\\red999;\\red-5;}",
        QByteArray("{\\rtf1 a\0b", 10),
        "{\\rtf1 " + QByteArray(20000, '{') + "deep" + QByteArray(20000, '}'),
        "{\\rtf1 \\" + QByteArray(5000, 'a') + " tail}",
    };
    for (const QByteArray& input : inputs) {
        QTextDocument doc;
        EXPECT_TRUE(ReadRtf(input, &doc));
    }
    QTextDocument deep;
    ReadRtf("{\\rtf1 " + QByteArray(20000, '{') + "deep" + QByteArray(20000, '}'), &deep);
    EXPECT_EQ(deep.toPlainText(), QStringLiteral("deep"));
}

TEST(RtfReader, RandomBytesAfterHeaderNeverFail) {
    QRandomGenerator random(7);
    const char alphabet[] = "{}\\'abcdefuqlrp0123456789- ;*\r\n\xcf\xf0";
    for (int round = 0; round < 300; ++round) {
        QByteArray input = "{\\rtf1 ";
        const int length = static_cast<int>(random.bounded(400));
        for (int i = 0; i < length; ++i)
            input += alphabet[random.bounded(static_cast<int>(sizeof(alphabet) - 1))];
        QTextDocument doc;
        EXPECT_TRUE(ReadRtf(input, &doc));
    }
}

TEST(RtfReader, ShippedAboutFileReads) {
    QFile file(QStringLiteral(VERTAN_SOURCE_DIR "/data/Data/About.rtf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(IsRtf(bytes));
    QTextDocument doc;
    ReadRtf(bytes, &doc);
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Вертан\n")));
    EXPECT_FALSE(text.contains(QLatin1Char('\\')));
    EXPECT_FALSE(text.contains(QStringLiteral("Comic Sans")));
    EXPECT_EQ(AlignmentOf(doc, QStringLiteral("Команда")), Qt::AlignRight);
}
