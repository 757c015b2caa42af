// Config.cfg as the settings editor writes it, and every fallback.
#include "client/ClientArguments.h"
#include "client/ClientSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace client;

struct SettingsCase {
    const char* name;
    const char* file;
    int width;
    int height;
    bool fullscreen;
    int port;
    int problems;
};

class Settings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(Settings, ReadsOrFallsBack) {
    const SettingsCase& c = GetParam();
    text::LineBuffer lines;
    lines.SetText(QString::fromUtf8(c.file));
    QStringList problems;
    const ClientSettings s = ReadClientSettings(lines, problems);
    EXPECT_EQ(s.width, c.width) << c.name;
    EXPECT_EQ(s.height, c.height) << c.name;
    EXPECT_EQ(s.fullscreen, c.fullscreen) << c.name;
    EXPECT_EQ(s.port, c.port) << c.name;
    EXPECT_EQ(problems.size(), c.problems) << c.name << ": " << problems.join(" | ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Settings,
    ::testing::Values(
        SettingsCase{"shipped",
                     "[video]\n# c\nwidth 800\nheight 600\nfullscreen false\n\n[net]\n#\n#\n"
                     "server_port 4000\n",
                     800, 600, false, 4000, 0},
        SettingsCase{"all set",
                     "video\n\nwidth 1024\nheight 768\nfullscreen true\nnet\n\n\n"
                     "server_port $1F90",
                     1024, 768, true, 8080, 0},
        SettingsCase{"crlf and 0x port",
                     "video\r\n\r\nwidth 320\r\nheight 240\r\nfullscreen true\r\n"
                     "net\r\n\r\n\r\nserver_port 0x1F91\r\n",
                     320, 240, true, 8081, 0},
        SettingsCase{"empty file", "", 800, 600, false, 4000, 2},
        SettingsCase{"no video line", "net\n\n\nserver_port 5000", 800, 600, false, 5000, 1},
        SettingsCase{"no net line", "video\n\nwidth 640\nheight 480\nfullscreen false", 640, 480,
                     false, 4000, 1},
        SettingsCase{"damaged width",
                     "video\n\nwidth abc\nheight 480\nfullscreen false\nnet\n\n\n"
                     "server_port 4000",
                     800, 480, false, 4000, 1},
        SettingsCase{"width out of range",
                     "video\n\nwidth 99999\nheight 480\nfullscreen false\n"
                     "net\n\n\nserver_port 4000",
                     800, 480, false, 4000, 1},
        SettingsCase{"missing height line", "video\n\nwidth 640", 640, 600, false, 4000, 3},
        SettingsCase{"fullscreen neither",
                     "video\n\nwidth 640\nheight 480\nfullscreen maybe\n"
                     "net\n\n\nserver_port 4000",
                     640, 480, false, 4000, 1},
        SettingsCase{"port out of range",
                     "video\n\nwidth 640\nheight 480\nfullscreen false\nnet\n"
                     "\n\nserver_port 70000",
                     640, 480, false, 4000, 1},
        SettingsCase{"port without number",
                     "video\n\nwidth 640\nheight 480\nfullscreen false\nnet\n"
                     "\n\nserver_port",
                     640, 480, false, 4000, 1},
        SettingsCase{"port word glued",
                     "video\n\nwidth 640\nheight 480\nfullscreen false\nnet\n"
                     "\n\nserver_port4000",
                     640, 480, false, 4000, 1},
        SettingsCase{"net line last", "video\n\nwidth 640\nheight 480\nfullscreen false\nnet", 640,
                     480, false, 4000, 1},
        SettingsCase{"last video line wins",
                     "video\n\nwidth 320\nheight 240\nfullscreen true\n"
                     "video\n\nwidth 1024\nheight 768\nfullscreen false\n"
                     "net\n\n\nserver_port 4100",
                     1024, 768, false, 4100, 0}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(SettingsFile, MissingFileGivesDefaultsAndOneMessage) {
    QTemporaryDir dir;
    QStringList problems;
    const ClientSettings s = LoadClientSettings(dir.filePath("Config.cfg"), problems);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.port, 4000);
    EXPECT_EQ(problems.size(), 1);
}

TEST(SettingsFile, ReadsAFileOnDisk) {
    QTemporaryDir dir;
    QFile file(dir.filePath("Config.cfg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[video]\r\n\r\nwidth 1024\r\nheight 768\r\nfullscreen false\r\n[net]\r\n\r\n\r\n"
               "server_port 4321\r\n");
    file.close();
    QStringList problems;
    const ClientSettings s = LoadClientSettings(file.fileName(), problems);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.port, 4321);
    EXPECT_TRUE(problems.isEmpty());
}

TEST(ClientArguments, Table) {
    QString error;
    const auto none = ParseClientArguments({}, error);
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->autoPlay);
    EXPECT_FALSE(none->quitOnClose);
    EXPECT_FALSE(none->port);

    const auto autoRun = ParseClientArguments(
        {"--auto", "--seed", "42", "--port", "$1F90", "--screenshot", "x.png", "--record", "g.txt"},
        error);
    ASSERT_TRUE(autoRun);
    EXPECT_TRUE(autoRun->autoPlay);
    EXPECT_TRUE(autoRun->quitOnClose); // automatic mode always ends with the connection
    EXPECT_EQ(autoRun->seed, 42u);
    EXPECT_EQ(autoRun->port, 8080);
    EXPECT_EQ(autoRun->screenshot, QStringLiteral("x.png"));
    EXPECT_EQ(autoRun->record, QStringLiteral("g.txt"));

    for (const QStringList& bad :
         {QStringList{"--port"}, QStringList{"--port", "0"}, QStringList{"--port", "65536"},
          QStringList{"--seed", "1"}, QStringList{"--auto", "--seed", "x"}, QStringList{"--what"},
          QStringList{"--screenshot"}, QStringList{"--screenshot", ""}, QStringList{"--record"},
          QStringList{"--record", ""}}) {
        error.clear();
        EXPECT_FALSE(ParseClientArguments(bad, error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}
