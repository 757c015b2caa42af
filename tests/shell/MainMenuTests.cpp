// The options step of the main menu's creation, the hover family, resizing,
// and the menu's click actions.
#include "ShellTestSupport.h"
#include "shell/AppOptions.h"
#include "shell/ProgramEnd.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;
using namespace shelltest;

namespace {

void ResetOptions() {
    ProgramFolder.clear();
    MenuColor = 0;
    MenuBackground.clear();
    DialogBackground.clear();
    ServerPort = 0;
    ClientPath.clear();
}

const QString OptionsNotice = QStringLiteral("Не найден файл Options.cfg!");
const QByteArray Pictures = "Data/Menu.jpg\r\nData/Dialog.bmp\r\n";

struct OptionsCase {
    const char* name;
    QByteArray options;
    bool ok;
    int32_t color;
    int32_t port;
};

} // namespace

TEST(OptionsStep, AcceptsAndRejectsLines) {
    const std::vector<OptionsCase> cases = {
        {"standard", "clYellow\r\n" + Pictures + "4000\r\ntolvaner\r\n", true, 0xFFFF, 4000},
        {"lower name", "clyellow\n" + Pictures + "4000\n", true, 0xFFFF, 4000},
        {"upper name", "CLYELLOW\r" + Pictures + "4000\r", true, 0xFFFF, 4000},
        {"decimal", "255\r\n" + Pictures + "4000", true, 255, 4000},
        {"dollar", "$FF\r\n" + Pictures + "4000", true, 255, 4000},
        {"0x", "0xff\r\n" + Pictures + "4000", true, 255, 4000},
        {"x", "xFF\r\n" + Pictures + "4000", true, 255, 4000},
        {"hex port", "clRed\r\n" + Pictures + "$1F90\r\n", true, 255, 8080},
        {"four lines", "clAqua\r\n" + Pictures + "4000", true, 0xFFFF00, 4000},
        {"system colour", "clBtnFace\r\n" + Pictures + "4000", true,
         static_cast<int32_t>(0xFF00000F), 4000},
        {"blank after name", "clYellow \r\n" + Pictures + "4000", false, 0, 0},
        {"unknown name", "clOrange\r\n" + Pictures + "4000", false, 0, 0},
        {"empty colour", "\r\n" + Pictures + "4000", false, 0, 0},
        {"three lines", "clYellow\r\n" + Pictures, false, 0xFFFF, 0},
        {"port with blank after", "clYellow\r\n" + Pictures + "4000 \r\n", false, 0xFFFF, 0},
        {"port text", "clYellow\r\n" + Pictures + "port\r\n", false, 0xFFFF, 0},
        {"empty picture line", "clYellow\r\n\r\nData/Dialog.bmp\r\n4000\r\n", false, 0xFFFF, 4000},
        {"png picture", "clYellow\r\nData/Menu.png\r\nData/Dialog.bmp\r\n4000\r\n", false, 0xFFFF,
         4000},
        {"missing picture", "clYellow\r\nData/None.jpg\r\nData/Dialog.bmp\r\n4000\r\n", false,
         0xFFFF, 4000},
        {"upper-case JPG", "clYellow\r\nData/Upper.JPG\r\nData/Dialog.bmp\r\n4000\r\n", true,
         0xFFFF, 4000},
        {"backslash paths", "clYellow\r\nData\\Menu.jpg\r\nData\\Dialog.bmp\r\n4000\r\n", true,
         0xFFFF, 4000},
    };
    for (const OptionsCase& c : cases) {
        ProgramFolderFixture folder;
        folder.WriteStandard();
        folder.Write(QStringLiteral("Data/Menu.png"), EncodedPicture("PNG"));
        folder.Write(QStringLiteral("Data/Upper.JPG"),
                     folder.Read(QStringLiteral("Data/Menu.jpg")));
        folder.Write(QStringLiteral("Data/Options.cfg"), c.options);
        ResetOptions();
        BoxRecorder boxes;
        TForm1 form;
        EXPECT_EQ(ProgramFolder, QDir::currentPath()) << c.name;
        EXPECT_EQ(boxes.Texts(), c.ok ? QStringList() : QStringList{OptionsNotice}) << c.name;
        EXPECT_EQ(ProgramEndRequested(), !c.ok) << c.name;
        EXPECT_EQ(MenuColor, c.color) << c.name;
        EXPECT_EQ(ServerPort, c.port) << c.name;
        // The menu labels take the colour only when the whole step succeeded.
        const QColor expected = c.ok ? ToQColor(c.color) : QColor(255, 255, 0);
        EXPECT_EQ(LabelColor(form.Label7), expected) << c.name;
        EXPECT_EQ(LabelColor(form.Label1), QColor(0, 255, 0)) << c.name;
    }
}

TEST(OptionsStep, KeepsLinesAndPathsVerbatim) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    folder.Write(
        QStringLiteral("Data/Options.cfg"),
        "clYellow\r\nData/Menu.jpg\r\n Data/Dialog.bmp \r\n$1F90\r\n./tolvaner\r\nextra\r\n");
    ResetOptions();
    BoxRecorder boxes;
    TForm1 form;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(MenuBackground, QStringLiteral("Data/Menu.jpg"));
    EXPECT_EQ(DialogBackground, QStringLiteral(" Data/Dialog.bmp "));
    EXPECT_EQ(ClientPath, QStringLiteral("./tolvaner"));
    EXPECT_EQ(form.OptionsText.Line(3), QStringLiteral("$1F90"));
    EXPECT_EQ(form.OptionsText.Line(5), QStringLiteral("extra"));
    EXPECT_FALSE(form.Background->pixmap().isNull());
}

TEST(OptionsStep, MissingFileKeepsOptionsEmpty) {
    ProgramFolderFixture folder;
    ResetOptions();
    BoxRecorder boxes;
    TForm1 form;
    EXPECT_EQ(boxes.Texts(), QStringList{OptionsNotice});
    EXPECT_EQ(boxes.boxes.front().kind, BoxKind::Notice);
    EXPECT_TRUE(ProgramEndRequested());
    EXPECT_TRUE(MenuBackground.isEmpty());
    EXPECT_EQ(ServerPort, 0);
}

class MainMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteStandard("clWhite");
        ResetOptions();
        program = std::make_unique<Program>();
    }
    void TearDown() override { program.reset(); }
    std::vector<TLabel*> MenuLabels() const {
        return {Form1->Label2, Form1->Label3, Form1->Label4,
                Form1->Label5, Form1->Label6, Form1->Label7};
    }
    // Which menu labels show red, by number 2..7.
    std::vector<int> RedLabels() const {
        std::vector<int> red;
        for (int n = 2; n <= 7; ++n)
            if (LabelColor(MenuLabels()[static_cast<size_t>(n - 2)]) == QColor(255, 0, 0))
                red.push_back(n);
        return red;
    }
    ProgramFolderFixture folder;
    BoxRecorder boxes;
    std::unique_ptr<Program> program;
};

TEST_F(MainMenuTest, LayoutAndCaption) {
    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("Главное меню"));
    EXPECT_EQ(Form1->size(), QSize(569, 441));
    EXPECT_FALSE(Form1->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Form1->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(Form1->Label1->pos(), QPoint(112, 16));
    EXPECT_EQ(Form1->Label1->text(), QStringLiteral("ВЕРТАН"));
    EXPECT_EQ(Form1->Label1->font().pixelSize(), 61);
    const std::vector<QPoint> positions = {{216, 128}, {120, 178}, {176, 228},
                                           {216, 278}, {200, 328}, {240, 378}};
    for (size_t i = 0; i < positions.size(); ++i) {
        EXPECT_EQ(MenuLabels()[i]->pos(), positions[i]);
        EXPECT_EQ(MenuLabels()[i]->font().pixelSize(), 24);
        EXPECT_TRUE(MenuLabels()[i]->font().bold());
        EXPECT_EQ(MenuLabels()[i]->size(), MenuLabels()[i]->sizeHint()); // as large as its text
    }
}

TEST_F(MainMenuTest, HoverFamily) {
    Form1->LabelMouseMove(2);
    EXPECT_EQ(RedLabels(), std::vector<int>{2});
    // Straight from "Новая игра" to "Выход" without a leave in between.
    Form1->LabelMouseMove(7);
    EXPECT_EQ(RedLabels(), std::vector<int>{7});
    EXPECT_EQ(LabelColor(Form1->Label2), QColor(255, 255, 255));
    Form1->LabelMouseLeave(7);
    EXPECT_TRUE(RedLabels().empty());
    EXPECT_EQ(LabelColor(Form1->Label1), QColor(0, 255, 0));
}

TEST_F(MainMenuTest, PointerOverTitleHighlightsNewGame) {
    Form1->ShowCentred();
    QTest::mouseMove(Form1->Label1, Form1->Label1->rect().center());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), Form1->Label1->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Form1->Label1, &move);
    EXPECT_EQ(RedLabels(), std::vector<int>{2});
    EXPECT_EQ(LabelColor(Form1->Label1), QColor(0, 255, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Form1->Label1, &leave);
    EXPECT_TRUE(RedLabels().empty());
    Form1->hide();
}

TEST_F(MainMenuTest, ResizeIsRefused) {
    Form1->ShowCentred();
    Form1->resize(700, 500);
    Form1->setGeometry(QRect(Form1->pos(), QSize(200, 100)));
    EXPECT_EQ(Form1->size(), QSize(569, 441));
    Form1->hide();
}

TEST_F(MainMenuTest, TitleClickOpensNewGameAndHidesMenu) {
    Form1->ShowCentred();
    QTest::mouseClick(Form1->Label1, Qt::LeftButton);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_FALSE(Form1->isVisible());
    Form2->hide();
}

TEST_F(MainMenuTest, SettingsReopenCentred) {
    Form1->ShowCentred();
    QTest::mouseClick(Form1->Label5, Qt::LeftButton);
    ASSERT_TRUE(Form3->isVisible());
    const QPoint centred = Form3->pos();
    Form3->move(centred + QPoint(-70, 30));
    Form3->Button1->click();
    EXPECT_FALSE(Form3->isVisible());
    QTest::mouseClick(Form1->Label5, Qt::LeftButton);
    EXPECT_EQ(Form3->pos(), centred);
    EXPECT_TRUE(Form1->isVisible()); // the menu stays
    QTest::mouseClick(Form1->Label6, Qt::LeftButton);
    EXPECT_TRUE(Form4->isVisible());
    Form3->hide();
    Form4->hide();
}

TEST_F(MainMenuTest, ExitClosesMainWindow) {
    QSignalSpy closed(Form1, &TForm1::Closed);
    Form1->ShowCentred();
    QTest::mouseClick(Form1->Label7, Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(Form1->isVisible());
}

TEST(StartUp, WorkingFolderStartsWithoutNotices) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    BoxRecorder boxes;
    Program program;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(ProgramEndRequested());
    ASSERT_NE(Form4, nullptr);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form2->Background->pixmap().isNull());
}

TEST(StartUp, EveryStartUpNoticeAppearsAndTheProgramEnds) {
    ProgramFolderFixture folder; // nothing in it
    BoxRecorder boxes;
    { Program program; }
    // Only the options notice: the dialogs' backgrounds fail silently and skip the rest.
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл Options.cfg!")});
    EXPECT_TRUE(ProgramEndRequested());
    EXPECT_EQ(Form1, nullptr);
}

TEST(StartUp, PicturePathsWrittenWithBackslashesLoad) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    folder.Write(QStringLiteral("Data/Options.cfg"),
                 "clYellow\r\nData\\Menu.jpg\r\nData\\Dialog.bmp\r\n$1F90\r\ntolvaner\r\n");
    BoxRecorder boxes;
    Program program;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(ProgramEndRequested());
    EXPECT_FALSE(Form1->Background->pixmap().isNull());
    EXPECT_FALSE(Form3->Background->pixmap().isNull());
    EXPECT_TRUE(folder.Read(QStringLiteral("Config.cfg")).contains("server_port $1F90"));
}

TEST(StartUp, MissingDialogPictureIsSilentAndLeavesConfigUntouched) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    QFile::remove(folder.File(QStringLiteral("Data/Dialog.bmp")));
    const QByteArray config = folder.Read(QStringLiteral("Config.cfg"));
    BoxRecorder boxes;
    Program program;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(ProgramEndRequested());
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), config);
    EXPECT_TRUE(Form4->AboutText->toPlainText().isEmpty());
    EXPECT_TRUE(Form3->Background->pixmap().isNull());
}

TEST(StartUp, FromAnotherFolderLooksForDataThere) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    QDir(folder.Path()).mkpath(QStringLiteral("elsewhere"));
    QDir::setCurrent(folder.File(QStringLiteral("elsewhere")));
    BoxRecorder boxes;
    Program program;
    EXPECT_EQ(ProgramFolder, QDir::currentPath());
    EXPECT_TRUE(ProgramFolder.endsWith(QStringLiteral("/elsewhere")));
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл Options.cfg!")});
}

// Ending the program from the menu while the settings dialog is open runs no
// close handler of another window: the choice made there is lost.
TEST(StartUp, ExitWithSettingsOpenKeepsConfigAsAfterStartUp) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    BoxRecorder boxes;
    QByteArray afterStartUp;
    QTimer::singleShot(0, [&] {
        afterStartUp = folder.Read(QStringLiteral("Config.cfg"));
        Form1->Label5Click();
        Form3->ComboBox1->setCurrentIndex(3);
        emit Form3->ComboBox1->activated(3);
        Form1->Label7Click();
    });
    // Should the program not end, the run must not hang.
    bool stuck = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stuck = true;
        QCoreApplication::exit(1);
    });
    guard.start(20000);
    EXPECT_EQ(RunProgram(), 0);
    QApplication::setQuitOnLastWindowClosed(true);
    EXPECT_FALSE(stuck);
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_TRUE(afterStartUp.contains("server_port 4000"));
    EXPECT_EQ(folder.Read(QStringLiteral("Config.cfg")), afterStartUp);
}

// The clients the program starts never take the demo's options from the
// user's environment.
TEST(StartUp, ProgramDropsAStrayClientOptionsVariable) {
    ProgramFolderFixture folder;
    folder.WriteStandard();
    BoxRecorder boxes;
    qputenv("TOLVANER_ARGS", "--auto");
    EXPECT_EQ(RunProgram(true), 0);
    QApplication::setQuitOnLastWindowClosed(true);
    EXPECT_FALSE(qEnvironmentVariableIsSet("TOLVANER_ARGS"));
}

#include "shell/ExceptionSink.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"

// The database windows reached from the menu, over the shipped empty database.
class MenuDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteStandard();
        QFile shipped(QStringLiteral(VERTAN_PROGRAM_DIR "/Data/Ratings.mdb"));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << "built by the database's rule";
        folder.Write(QStringLiteral("Data/Ratings.mdb"), shipped.readAll());
        program = std::make_unique<Program>();
    }
    ProgramFolderFixture folder;
    BoxRecorder boxes;
    std::unique_ptr<Program> program;
};

TEST_F(MenuDatabaseTest, RegistrationOpensCleared) {
    ASSERT_NE(Form5, nullptr);
    Form5->Edit1->setText(QStringLiteral("Гость"));
    Form5->Button2->setEnabled(true);
    Form1->ShowCentred();
    QTest::mouseClick(Form1->Label3, Qt::LeftButton);
    EXPECT_TRUE(Form5->isVisible());
    EXPECT_TRUE(Form5->Edit1->text().isEmpty());
    EXPECT_FALSE(Form5->Button2->isEnabled());
    EXPECT_TRUE(Form1->isVisible());
    Form5->hide();
}

TEST_F(MenuDatabaseTest, RatingsOpenWithButtonsByRows) {
    ASSERT_NE(Form7, nullptr);
    Form1->ShowCentred();
    QTest::mouseClick(Form1->Label4, Qt::LeftButton);
    EXPECT_TRUE(Form7->isVisible());
    // Only the computer's row: nothing to list.
    EXPECT_FALSE(Form7->Button2->isEnabled());
    EXPECT_FALSE(Form7->Button3->isEnabled());
    Form7->hide();
}

TEST_F(MenuDatabaseTest, RatingsFailureShowsNothing) {
    program.reset();
    QFile::remove(folder.File(QStringLiteral("Data/Ratings.mdb")));
    program = std::make_unique<Program>();
    DropErrors([] { Form1->Label4Click(); });
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(boxes.boxes.empty());
}
