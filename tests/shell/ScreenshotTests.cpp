// Renders the main menu and the dialogs offscreen to PNG files in the build
// folder and checks that each label's text is drawn where the layout puts it.
#include "ShellTestSupport.h"
#include "shell/ProgramEnd.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

using namespace shell;
using namespace shelltest;

namespace {

// Pixels of the label's own colour inside its rectangle of the picture.
int PixelsOfColour(const QImage& image, const QRect& rect, const QColor& colour) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40)
                ++count;
        }
    return count;
}

struct Expected {
    QLabel* label;
    QPoint pos;
};

void CheckWindow(TFormBase* window, const QString& name, const std::vector<Expected>& labels) {
    window->ShowCentred();
    const QImage image = window->grab().toImage();
    const QString dir = QStringLiteral(VERTAN_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")))
        << name.toStdString();
    EXPECT_EQ(image.size(), window->size());
    for (const Expected& e : labels) {
        EXPECT_EQ(e.label->pos(), e.pos) << e.label->text().toStdString();
        const QRect rect = e.label->geometry();
        ASSERT_TRUE(QRect(QPoint(0, 0), window->size()).contains(rect))
            << e.label->text().toStdString();
        // The glyphs cover a fair share of the label's box, in its colour.
        const int inside = PixelsOfColour(image, rect, LabelColor(e.label));
        EXPECT_GT(inside, rect.width() * rect.height() / 25) << e.label->text().toStdString();
    }
    window->hide();
}

} // namespace

class Screenshots : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallFontSubstitution();
        folder.WriteStandard();
        folder.Write(QStringLiteral("Data/Menu.jpg"),
                     ReadFile(QStringLiteral(VERTAN_PROGRAM_DIR "/Data/Menu.jpg")));
        folder.Write(QStringLiteral("Data/Dialog.bmp"),
                     ReadFile(QStringLiteral(VERTAN_PROGRAM_DIR "/Data/Dialog.bmp")));
        folder.Write(QStringLiteral("Data/About.rtf"),
                     ReadFile(QStringLiteral(VERTAN_SOURCE_DIR "/data/Data/About.rtf")));
        program = std::make_unique<Program>();
        ASSERT_FALSE(ProgramEndRequested()) << "the shipped pictures are built by program_data";
    }
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    ProgramFolderFixture folder;
    BoxRecorder boxes;
    std::unique_ptr<Program> program;
};

TEST_F(Screenshots, MainMenu) {
    CheckWindow(Form1, QStringLiteral("main-menu"),
                {{Form1->Label1, {112, 16}},
                 {Form1->Label2, {216, 128}},
                 {Form1->Label3, {120, 178}},
                 {Form1->Label4, {176, 228}},
                 {Form1->Label5, {216, 278}},
                 {Form1->Label6, {200, 328}},
                 {Form1->Label7, {240, 378}}});
    // The menu labels stack without touching each other.
    const std::vector<QLabel*> column = {Form1->Label1, Form1->Label2, Form1->Label3, Form1->Label4,
                                         Form1->Label5, Form1->Label6, Form1->Label7};
    for (size_t i = 1; i < column.size(); ++i)
        EXPECT_LE(column[i - 1]->geometry().bottom(), column[i]->geometry().top() + 6)
            << column[i]->text().toStdString();
}

TEST_F(Screenshots, Dialogs) {
    CheckWindow(Form2, QStringLiteral("new-game"),
                {{Form2->Label1, {16, 8}}, {Form2->Label2, {80, 72}}, {Form2->Label3, {160, 104}}});
    EXPECT_LT(Form2->ComboBox1->geometry().right(), Form2->Label3->geometry().left());
    EXPECT_LT(Form2->Label3->geometry().right(), Form2->ComboBox2->geometry().left());
    EXPECT_LE(Form2->Label1->geometry().right(), Form2->width());
    CheckWindow(Form3, QStringLiteral("settings"),
                {{Form3->Label1, {10, 10}}, {Form3->Label2, {18, 42}}, {Form3->Label3, {18, 82}}});
    CheckWindow(Form4, QStringLiteral("about"),
                {{Form4->Label1, {8, 248}},
                 {Form4->Label2, {184, 248}},
                 {Form4->Label6, {184, 272}},
                 {Form4->Label3, {8, 296}},
                 {Form4->Label4, {224, 296}}});
    // Texts on one row must not run into each other, nor into the controls.
    EXPECT_LT(Form4->Label1->geometry().right(), Form4->Label2->geometry().left());
    EXPECT_LT(Form4->Label3->geometry().right(), Form4->Label4->geometry().left());
    EXPECT_LE(Form4->Label4->geometry().right(), Form4->width());
    EXPECT_LT(Form3->Label2->geometry().right(), Form3->ComboBox1->geometry().left());
    EXPECT_LT(Form3->Label3->geometry().right(), Form3->CheckBox1->geometry().left());
    EXPECT_LE(Form3->Label1->geometry().right(), Form3->width());
}

TEST_F(Screenshots, NewGameDialogFrameAndKeyboardOrder) {
    EXPECT_EQ(Form2->windowTitle(), QStringLiteral("Новая игра"));
    EXPECT_EQ(Form2->size(), QSize(343, 192));
    EXPECT_TRUE(Form2->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Form2->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Form2->ComboBox1->geometry().topLeft(), QPoint(16, 104));
    EXPECT_EQ(Form2->ComboBox2->geometry().topLeft(), QPoint(192, 104));
    EXPECT_EQ(Form2->Button2->geometry(), QRect(16, 152, 105, 25));
    EXPECT_EQ(Form2->Button1->geometry(), QRect(224, 152, 105, 25));
    EXPECT_EQ(Form2->ComboBox1->width(), 137);
    EXPECT_FALSE(Form2->ComboBox1->isEditable());
    // Button1, Button2, ComboBox1, ComboBox2, the match's length, and round
    // again (the engine's level, after ComboBox2, is hidden without the engine).
    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(Form2));
        return w;
    };
    EXPECT_EQ(nextTabStop(Form2->Button1), Form2->Button2);
    EXPECT_EQ(nextTabStop(Form2->Button2), Form2->ComboBox1);
    EXPECT_EQ(nextTabStop(Form2->ComboBox1), Form2->ComboBox2);
    EXPECT_EQ(nextTabStop(Form2->ComboBox2), Form2->ComboBox4);
    EXPECT_EQ(nextTabStop(Form2->ComboBox4), Form2->Button1);
    Form1->Label2Click();
    QApplication::setActiveWindow(Form2);
    EXPECT_EQ(Form2->focusWidget(), Form2->Button1);
    Form2->hide();
}

TEST_F(Screenshots, SettingsAndAboutFramesAndKeyboardOrder) {
    struct Case {
        TFormBase* window;
        QString caption;
        QSize size;
        std::vector<QWidget*> order;
    };
    const std::vector<Case> cases = {
        {Form3,
         QStringLiteral("Настройки"),
         {368, 169},
         {Form3->ComboBox1, Form3->CheckBox1, Form3->Button1}},
        {Form4,
         QStringLiteral("О программе"),
         {417, 409},
         {Form4->AboutText, Form4->Button1, Form4->Button2}},
    };
    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy());
        return w;
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.window->windowTitle(), c.caption);
        EXPECT_EQ(c.window->size(), c.size);
        EXPECT_TRUE(c.window->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_FALSE(c.window->windowFlags() & Qt::WindowCloseButtonHint);
        for (size_t i = 0; i < c.order.size(); ++i)
            EXPECT_EQ(nextTabStop(c.order[i]), c.order[(i + 1) % c.order.size()])
                << c.caption.toStdString() << " after " << i;
    }
    EXPECT_EQ(Form3->ComboBox1->geometry().topLeft(), QPoint(248, 48));
    EXPECT_EQ(Form3->ComboBox1->width(), 105);
    EXPECT_FALSE(Form3->ComboBox1->isEditable());
    EXPECT_EQ(Form3->CheckBox1->geometry(), QRect(248, 88, 15, 17));
    EXPECT_TRUE(Form3->CheckBox1->text().isEmpty());
    EXPECT_EQ(Form3->Button1->geometry(), QRect(128, 128, 113, 25));
    EXPECT_EQ(Form4->Button2->geometry(), QRect(112, 336, 185, 25));
    EXPECT_EQ(Form4->Button1->geometry(), QRect(112, 368, 185, 25));
}

TEST_F(Screenshots, RussianTextsUseTheSubstitutedFont) {
    const bool comicInstalled =
        QFontDatabase::families().contains(QStringLiteral("Comic Sans MS"), Qt::CaseInsensitive);
    const QString expected =
        comicInstalled ? QStringLiteral("Comic Sans MS") : QStringLiteral("Comfortaa");
    EXPECT_EQ(QFontInfo(Form1->Label3->font()).family(), expected);
    EXPECT_EQ(QFontInfo(Form3->Label1->font()).family(), expected);
    EXPECT_EQ(QFontInfo(Form4->Button2->font()).family(), expected);
}

#include "shell/Unit5.h"
#include "shell/Unit7.h"
#include "shell/Unit8.h"

TEST_F(Screenshots, DatabaseWindows) {
    CheckWindow(Form5, QStringLiteral("registration"),
                {{Form5->Label1, {80, 8}}, {Form5->Label2, {48, 72}}, {Form5->Label3, {80, 96}}});
    EXPECT_LE(Form5->Label2->geometry().right(), Form5->width());
    CheckWindow(Form7, QStringLiteral("ratings"), {{Form7->Label1, {10, 10}}});
    EXPECT_LE(Form7->Label1->geometry().right(), Form7->width());
    CheckWindow(Form8, QStringLiteral("journal"), {{Form8->Label1, {10, 10}}});
}
