#include "common/FileSizeLimit.h"
#include "text/LineBuffer.h"
#include "text/NumberText.h"
#include "text/Win1251.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace text;

TEST(Win1251, RoundTripsRussianAndLatin) {
    const QString s = QStringLiteral("Компьютер (белые) abc ЁёАя");
    const QByteArray bytes = ToWin1251(s);
    ASSERT_EQ(bytes.size(), s.size());
    EXPECT_EQ(FromWin1251(bytes), s);
}

TEST(Win1251, CodesOfTheFilterBoundaries) {
    struct Case {
        QChar c;
        int code;
    };
    // Published code points of the code page.
    const Case cases[] = {{u'A', 65},  {u'z', 122}, {u'[', 91},  {u'`', 96},  {u'А', 192},
                          {u'я', 255}, {u'Ё', 168}, {u'ё', 184}, {u'\'', 39}, {u'\b', 8}};
    for (const Case& c : cases)
        EXPECT_EQ(Win1251Code(c.c), c.code) << int(c.c.unicode());
    EXPECT_EQ(Win1251Code(QChar(0x263A)), -1); // a smiley has no code
}

TEST(Win1251, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToWin1251(QString::fromUtf8("a☺b")), QByteArray("a?b"));
}

TEST(LineBuffer, SplitsEveryKindOfBreak) {
    LineBuffer b;
    b.SetText("one\r\ntwo\rthree\nfour");
    EXPECT_EQ(b.Count(), 4);
    EXPECT_EQ(b.Line(0), "one");
    EXPECT_EQ(b.Line(1), "two");
    EXPECT_EQ(b.Line(2), "three");
    EXPECT_EQ(b.Line(3), "four");
    EXPECT_EQ(b.Text(), "one\r\ntwo\r\nthree\r\nfour");
    b.SetText("a\n\nb"); // a blank line inside is a line of its own
    EXPECT_EQ(b.Count(), 3);
    EXPECT_EQ(b.Line(2), "b");
}

TEST(LineBuffer, FinalBreakIsAnEmptyLastLineAndSurvives) {
    LineBuffer b;
    b.SetText("a\nb\n");
    EXPECT_EQ(b.Count(), 3);
    EXPECT_EQ(b.CountWithoutFinalBreak(), 2);
    EXPECT_EQ(b.Text(), "a\r\nb\r\n");
    b.SetText("a\r\n\r\n");
    EXPECT_EQ(b.CountWithoutFinalBreak(), 2);
}

TEST(LineBuffer, OutOfRangeReadsEmptyAndWritesNothing) {
    LineBuffer b;
    b.SetText("a");
    EXPECT_EQ(b.Line(5), "");
    EXPECT_EQ(b.Line(-1), "");
    b.SetLine(1, "x");
    b.SetLine(-1, "x");
    EXPECT_EQ(b.Text(), "a");
    b.SetLine(0, "z");
    EXPECT_EQ(b.Text(), "z");
}

TEST(LineBuffer, EmptyTextHasNoLines) {
    LineBuffer b;
    b.SetText("");
    EXPECT_EQ(b.Count(), 0);
    EXPECT_TRUE(b.IsEmpty());
}

TEST(LineBuffer, FileRoundTripInWin1251) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Config.cfg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ToWin1251(QStringLiteral("видео\nwidth 800")));
    }
    LineBuffer b;
    b.LoadFromFile(path);
    EXPECT_EQ(b.Line(0), QStringLiteral("видео"));
    b.SetLine(1, "width 1024");
    b.SaveToFile(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), ToWin1251(QStringLiteral("видео\r\nwidth 1024")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary left behind";
}

TEST(LineBuffer, MissingFileThrows) {
    LineBuffer b;
    EXPECT_THROW(b.LoadFromFile("/nonexistent/folder/file.cfg"), FileError);
}

TEST(LineBuffer, FailedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Config.cfg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    LineBuffer b;
    b.SetText("a text longer than the limit");
    {
        // The temporary cannot be written whole, so the save fails as a whole.
        testcommon::FileSizeLimit limit(8);
        EXPECT_THROW(b.SaveToFile(path), FileError);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Config.cfg"})
        << "no temporary left behind";
    EXPECT_THROW(b.SaveToFile(dir.filePath("missing/Config.cfg")), FileError);
}

TEST(IntegerText, AcceptedForms) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"255", 255},
        {"$FF", 255},
        {"0xff", 255},
        {"xFF", 255},
        {"XfF", 255},
        {"0XFF", 255},
        {"$1F90", 8080},
        {"  4000", 4000},
        {"+12", 12},
        {"-12", -12},
        {"-$10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"007", 7},
    };
    for (const Case& c : cases) {
        const auto v = ParseIntegerText(QString::fromLatin1(c.text));
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(*v, c.value) << c.text;
    }
}

TEST(IntegerText, RejectedForms) {
    const char* cases[] = {"",    " ",          "12 ",        "1 2",         "abc", "$",
                           "0x",  "$123456789", "2147483648", "-2147483649", "12a", "+",
                           "$FG", "\t12",       "1.5",        "--1",         "0x-1"};
    for (const char* c : cases)
        EXPECT_FALSE(ParseIntegerText(QString::fromLatin1(c)).has_value()) << '"' << c << '"';
}

TEST(ColorText, NamesInAnyCaseThenIntegers) {
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"clYellow", 0x00FFFF},
        {"clyellow", 0x00FFFF},
        {"CLYELLOW", 0x00FFFF},
        {"clRed", 0x0000FF},
        {"clMoneyGreen", 0xC0DCC0},
        {"clSkyBlue", 0xF0CAA6},
        {"clBtnFace", 0xFF00000F},
        {"clMenuBar", 0xFF00001E},
        {"clNone", 0x1FFFFFFF},
        {"clDefault", 0x20000000},
        {"255", 0xFF},
        {"$FF", 0xFF},
    };
    for (const Case& c : cases) {
        const auto v = ParseColorText(QString::fromLatin1(c.text));
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(static_cast<uint32_t>(*v), c.value) << c.text;
    }
    EXPECT_FALSE(ParseColorText(u"clYellow ").has_value());
    EXPECT_FALSE(ParseColorText(u"clHotLights").has_value());
    EXPECT_FALSE(ParseColorText(u"").has_value());
}
