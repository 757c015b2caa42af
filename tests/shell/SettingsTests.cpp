// The client settings editor: the start-up scan, the user's edits and the
// writing back of Config.cfg.
#include "ShellTestSupport.h"
#include "shell/AppOptions.h"
#include "shell/ConfigEditor.h"
#include "shell/ProgramEnd.h"
#include "shell/Unit3.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace shell;
using namespace shelltest;

namespace {

struct ScanResult {
    QString text;
    int resolution;
    bool fullScreen;
    int videoLine;
    int saves;
};

ScanResult Scan(const QString& file, const QString& port = QStringLiteral("4000")) {
    ConfigEditor editor;
    editor.ConfigText.SetText(file);
    int saves = 0;
    editor.Scan(port, [&] { ++saves; });
    return {editor.ConfigText.Text(), editor.Resolution, editor.FullScreen, editor.VideoLine,
            saves};
}

struct ScanCase {
    const char* name;
    const char* file;
    const char* after;
    int resolution;
    bool fullScreen;
    int videoLine;
    int saves;
};

} // namespace

TEST(ConfigScan, Table) {
    const std::vector<ScanCase> cases = {
        {"1024 and false change nothing", "a\nb\nc\nd\nvideo\n-\nwidth 1024\nh\nfullscreen false",
         "a\r\nb\r\nc\r\nd\r\nvideo\r\n-\r\nwidth 1024\r\nh\r\nfullscreen false", 3, false, 4, 0},
        {"true with two blanks is rewritten", "video\n\nwidth 640\nh\nfullscreen  true\n",
         "video\r\n\r\nwidth 640\r\nh\r\nfullscreen true\r\n", 1, true, 0, 0},
        {"6400 contains 640", "video\n\nwidth 6400\n", "video\r\n\r\nwidth 6400\r\n", 1, false, 0,
         0},
        {"last match wins", "video\n\n3201024\n", "video\r\n\r\n3201024\r\n", 3, false, 0, 0},
        {"no match keeps the design item", "video\n\nwidth 1280\n", "video\r\n\r\nwidth 1280\r\n",
         0, false, 0, 0},
        {"last video wins", "video\n\nwidth 320\n\n\nvideo\n\nwidth 800\n",
         "video\r\n\r\nwidth 320\r\n\r\n\r\nvideo\r\n\r\nwidth 800\r\n", 2, false, 5, 0},
        {"true then false", "video\n\n\n\ntrue false\n",
         "video\r\n\r\n\r\n\r\nfullscreen false\r\n", 0, false, 0, 0},
        {"anchors are case-sensitive", "VIDEO\nNET\n", "VIDEO\r\nNET\r\n", 0, false, 0, 0},
        {"net gets the port line", "[net]\n\n\nserver_port 1\n",
         "[net]\r\n\r\n\r\nserver_port 4000\r\n", 0, false, 0, 1},
        {"net as last line saves unchanged", "x\nnet", "x\r\nnet", 0, false, 0, 1},
        {"net then final break: no port line", "net\n", "net\r\n", 0, false, 0, 1},
        {"two net lines save twice", "net\n\n\nold\nnet\n\n\nold",
         "net\r\n\r\n\r\nserver_port 4000\r\nnet\r\n\r\n\r\nserver_port 4000", 0, false, 0, 2},
        {"no anchors: accepted as is", "hello\nworld", "hello\r\nworld", 0, false, 0, 0},
        {"port line that replaced a video line", "net\n\n\nvideo\n",
         "net\r\n\r\n\r\nserver_port 4000\r\n", 0, false, 0, 1},
    };
    for (const ScanCase& c : cases) {
        const ScanResult r = Scan(QString::fromUtf8(c.file));
        EXPECT_EQ(r.text, QString::fromUtf8(c.after)) << c.name;
        EXPECT_EQ(r.resolution, c.resolution) << c.name;
        EXPECT_EQ(r.fullScreen, c.fullScreen) << c.name;
        EXPECT_EQ(r.videoLine, c.videoLine) << c.name;
        EXPECT_EQ(r.saves, c.saves) << c.name;
    }
}

TEST(ConfigScan, PortTextIsCopiedVerbatim) {
    EXPECT_EQ(Scan(QStringLiteral("net\n\n\n\n"), QStringLiteral("$1F90")).text,
              QStringLiteral("net\r\n\r\n\r\nserver_port $1F90\r\n"));
}

TEST(ConfigScan, SaveSeesFullScreenRewriteMadeBeforeIt) {
    ConfigEditor editor;
    editor.ConfigText.SetText(QStringLiteral("video\n\n\n\nfullscreen  true\nnet\n\n\nx"));
    QStringList saved;
    editor.Scan(QStringLiteral("1"), [&] { saved << editor.ConfigText.Text(); });
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved.front().contains(QStringLiteral("\r\nfullscreen true\r\n")));
}

TEST(ConfigEditor, UserEditsFollowVideoLine) {
    ConfigEditor editor;
    editor.ConfigText.SetText(QStringLiteral("a\nvideo\n\nw\nh\nf\n"));
    editor.Scan(QStringLiteral("1"), [] {});
    editor.ComboBox1Change(3);
    editor.CheckBox1Click(true);
    EXPECT_EQ(editor.ConfigText.Text(),
              QStringLiteral("a\r\nvideo\r\n\r\nwidth 1024\r\nheight 768\r\nfullscreen true\r\n"));
    editor.ComboBox1Change(7); // out of the list: ignored
    EXPECT_EQ(editor.Resolution, 3);
}

TEST(ConfigEditor, WithoutVideoLineEditsLinesTwoToFour) {
    ConfigEditor editor;
    editor.ConfigText.SetText(QStringLiteral("0\n1\n2\n3\n4\n5"));
    editor.Scan(QStringLiteral("1"), [] {});
    editor.ComboBox1Change(0);
    editor.CheckBox1Click(false);
    EXPECT_EQ(editor.ConfigText.Text(),
              QStringLiteral("0\r\n1\r\nwidth 320\r\nheight 240\r\nfullscreen false\r\n5"));
}

TEST(ConfigEditor, WritesBeyondTheEndDoNothing) {
    ConfigEditor editor;
    editor.ConfigText.SetText(QStringLiteral("video"));
    editor.Scan(QStringLiteral("1"), [] {});
    editor.ComboBox1Change(2);
    editor.CheckBox1Click(true);
    EXPECT_EQ(editor.ConfigText.Text(), QStringLiteral("video"));
}

TEST(ConfigEditor, ResolutionNamesUseCyrillicX) {
    const QStringList names = ResolutionNames();
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names[2], QStringLiteral("800\u0445600"));
    EXPECT_FALSE(names.join(QString()).contains(QLatin1Char('x')));
}

using SettingsDialogTest = shelltest::DialogFolderTest;

TEST_F(SettingsDialogTest, StartWritesPortAndShowsFileState) {
    folder.Write(QStringLiteral("Config.cfg"),
                 "[video]\r\n\r\nwidth 1024\r\nheight 768\r\nfullscreen true\r\n[net]\r\n\r\n\r\n"
                 "server_port 1\r\n");
    TForm3 form(QStringLiteral("$1F90"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("1024\u0445768"));
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_EQ(
        folder.Read(QStringLiteral("Config.cfg")),
        QByteArray("[video]\r\n\r\nwidth 1024\r\nheight 768\r\nfullscreen true\r\n[net]\r\n\r\n"
                   "\r\nserver_port $1F90\r\n"));
}

TEST_F(SettingsDialogTest, ChoicesReachTheFileOnlyWhenClosed) {
    folder.Write(QStringLiteral("Config.cfg"), "video\n\nwidth 320\nheight 240\nfullscreen false");
    TForm3 form(QStringLiteral("4000"));
    form.ShowCentred();
    form.ComboBox1->setCurrentIndex(2);
    emit form.ComboBox1->activated(2);
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")),
              QByteArray("video\n\nwidth 320\nheight 240\nfullscreen false"));
    form.Button1->click();
    EXPECT_FALSE(form.isVisible());
    // No final break in the file, none written back.
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")),
              QByteArray("video\r\n\r\nwidth 800\r\nheight 600\r\nfullscreen true"));
}

TEST_F(SettingsDialogTest, EmptyFileIsWrongFormat) {
    folder.Write(QStringLiteral("Config.cfg"), "");
    TForm3 form(QStringLiteral("4000"));
    EXPECT_EQ(boxes.Texts(),
              QStringList{QStringLiteral("Файл Config.cfg имеет неправильный формат!")});
    EXPECT_TRUE(ProgramEndRequested());
    form.FormClose(); // an empty buffer writes nothing
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), QByteArray());
}

TEST_F(SettingsDialogTest, MissingFileIsReported) {
    QFile::remove(folder.File(QStringLiteral("Config.cfg")));
    TForm3 form(QStringLiteral("4000"));
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл Config.cfg!")});
    EXPECT_TRUE(ProgramEndRequested());
    form.FormClose();
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("Config.cfg"))));
}

TEST_F(SettingsDialogTest, FailedPortSaveIsReportedAndFileKept) {
    const QByteArray original = "net\n\n\nserver_port 1\n";
    folder.Write(QStringLiteral("Config.cfg"), original);
    {
        FileSizeLimit limit(8);
        TForm3 form(QStringLiteral("4000"));
    }
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл Config.cfg!")});
    EXPECT_TRUE(ProgramEndRequested());
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), original); // never truncated
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files).filter(QStringLiteral("Config")),
              QStringList{QStringLiteral("Config.cfg")}); // no temporary file left
}

TEST_F(SettingsDialogTest, FailedSaveOnCloseKeepsDialogOpen) {
    const QByteArray original = "video\n\nwidth 320\nheight 240\nfullscreen false";
    folder.Write(QStringLiteral("Config.cfg"), original);
    TForm3 form(QStringLiteral("4000"));
    form.ShowCentred();
    form.ComboBox1->setCurrentIndex(3);
    emit form.ComboBox1->activated(3);
    {
        FileSizeLimit limit(8);
        EXPECT_FALSE(form.close());
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), original);
    EXPECT_TRUE(form.close()); // the next close saves
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(folder.Read(QStringLiteral("Config.cfg")).contains("width 1024\r\nheight 768"));
}

TEST_F(SettingsDialogTest, MissingDialogPictureSkipsTheFile) {
    DialogBackground = QStringLiteral("Data/None.bmp");
    const QByteArray original = folder.Read(QStringLiteral("Config.cfg"));
    TForm3 form(QStringLiteral("9999"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), original);
    EXPECT_FALSE(ProgramEndRequested());
}
