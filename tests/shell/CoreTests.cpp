// Options paths and colours, message boxes, pictures and backgrounds, shell open.
#include "ShellTestSupport.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/FormBase.h"
#include "desktop/QtTranslation.h"
#include "shell/ShellOpen.h"
#include "shell/WhileWorking.h"

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QImageWriter>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <future>
#include <QTranslator>
#include <gtest/gtest.h>
#include <optional>

using namespace shell;
using namespace shelltest;

TEST(ProgramPath, JoinsFolderAndBackslashPath) {
    ProgramFolder = QStringLiteral("/srv/vertan");
    EXPECT_EQ(ProgramPath(QStringLiteral("\\Data\\Options.cfg")),
              QStringLiteral("/srv/vertan/Data/Options.cfg"));
    ProgramFolder = QStringLiteral("/");
    EXPECT_EQ(ProgramPath(QStringLiteral("\\Config.cfg")), QStringLiteral("/Config.cfg"));
}

TEST(ToQColor, RgbSystemNoneAndDefault) {
    EXPECT_EQ(ToQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0xFFFF), QColor(255, 255, 0));
    EXPECT_EQ(ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ToQColor(0x00F0FBFF), QColor(255, 251, 240)); // cream
    EXPECT_EQ(ToQColor(static_cast<int32_t>(0xFF00000F)),
              QApplication::palette().color(QPalette::Active, QPalette::Button)); // button face
    EXPECT_EQ(ToQColor(static_cast<int32_t>(0xFF000005)),
              QApplication::palette().color(QPalette::Active, QPalette::Base)); // window
    EXPECT_EQ(ToQColor(0x1FFFFFFF).alpha(), 0);                                 // no colour at all
    EXPECT_FALSE(ToQColor(0x20000000).isValid()); // the control's default
}

TEST(MessageBoxes, HookGetsKindCaptionAndAnswers) {
    BoxRecorder yes(true);
    ShowNotice(QStringLiteral("a"));
    ShowError(QStringLiteral("b"));
    EXPECT_TRUE(AskConfirm(QStringLiteral("c")));
    ASSERT_EQ(yes.boxes.size(), 3u);
    EXPECT_EQ(yes.boxes[0].kind, BoxKind::Notice);
    EXPECT_EQ(yes.boxes[0].caption, QStringLiteral("Вертан"));
    EXPECT_EQ(yes.boxes[1].kind, BoxKind::Error);
    EXPECT_EQ(yes.boxes[1].caption, QStringLiteral("Error"));
    EXPECT_EQ(yes.boxes[2].kind, BoxKind::Confirm);
    EXPECT_EQ(yes.boxes[2].caption, QStringLiteral("Confirm"));
}

// What a real box showed; it is answered with Esc from inside its own modal loop.
struct SeenBox {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // in the order added
    QString yes, no, defaultButton;
};

void WatchNextBox(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            if (box->buttonRole(button) == QMessageBox::YesRole)
                seen.yes = button->text();
            if (box->buttonRole(button) == QMessageBox::NoRole)
                seen.no = button->text();
        }
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Escape);
    });
}

TEST(MessageBoxes, ConfirmBoxHasYesDefaultAndEscapeAnswersNo) {
    SeenBox seen;
    WatchNextBox(seen);
    EXPECT_FALSE(AskConfirm(QStringLiteral("Очистить?")));
    EXPECT_EQ(seen.title, QStringLiteral("Confirm"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.yes, QStringLiteral("&Yes"));
    EXPECT_EQ(seen.no, QStringLiteral("&No"));
    EXPECT_EQ(seen.defaultButton, QStringLiteral("&Yes"));
}

TEST(MessageBoxes, ErrorBoxHasErrorIconAndOk) {
    SeenBox seen;
    WatchNextBox(seen);
    ShowError(QStringLiteral("Ошибка"));
    EXPECT_EQ(seen.title, QStringLiteral("Error"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
}

// Qt's own texts speak Russian; the program's boxes keep their own words.
TEST(QtTranslation, EditMenuInRussianAndBoxesUnchanged) {
    const std::unique_ptr<QTranslator> russian(desktop::InstallQtTranslation());
    ASSERT_NE(russian, nullptr) << "Qt's Russian translation is not installed";
    QLineEdit edit(QStringLiteral("имя"));
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    EXPECT_TRUE(texts.contains(QStringLiteral("Копировать"))) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Вставить"))) << texts.join('|').toStdString();
    EXPECT_GE(texts.size(), 7);
    for (const QString& text : texts)
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << text.toStdString();

    SeenBox confirm, error, notice;
    WatchNextBox(confirm);
    AskConfirm(QStringLiteral("Очистить?"));
    WatchNextBox(error);
    ShowError(QStringLiteral("Ошибка"));
    WatchNextBox(notice);
    ShowNotice(QStringLiteral("Готово"));
    EXPECT_EQ(confirm.title, QStringLiteral("Confirm"));
    EXPECT_EQ(confirm.buttons, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
    EXPECT_EQ(error.title, QStringLiteral("Error"));
    EXPECT_EQ(error.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(notice.title, QStringLiteral("Вертан"));
    EXPECT_EQ(notice.buttons, QStringList{QStringLiteral("OK")});
}

struct PictureCase {
    const char* name;
    QByteArray bytes;
    bool loads;
};

TEST(LoadPicture, ChoosesDecoderByExtension) {
    ProgramFolderFixture folder;
    const QByteArray jpeg = EncodedPicture("JPG", QSize(64, 48));
    const QByteArray bmp = EncodedPicture("BMP");
    QByteArray garbage(2000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131 + 7) % 251);
    QByteArray corruptBody = jpeg;
    for (qsizetype i = corruptBody.size() / 2; i < corruptBody.size() - 2; i += 7)
        corruptBody[i] = static_cast<char>(0xFF);
    const std::vector<PictureCase> cases = {
        {"a.bmp", bmp, true},
        {"b.BMP", bmp, true},
        {"c.jpg", jpeg, true},
        {"d.JPG", jpeg, true},
        {"e.jpeg", jpeg, true},
        {"f.Jpeg", jpeg, true},
        {"g.ico", EncodedPicture("ICO", QSize(32, 32)), true},
        {"h.png", EncodedPicture("PNG"), false},
        {"i.wmf", bmp, false},
        {"j.emf", bmp, false},
        {"k", bmp, false},
        {"l.gif", bmp, false},
        {"m.jpg", jpeg.left(jpeg.size() / 2), false}, // truncated
        {"n.jpg", garbage, false},
        {"o.jpg", QByteArray(), false},
        {"p.jpg", bmp, false}, // not the kind its extension names
        {"q.bmp", jpeg, false},
        {"r.jpg", corruptBody, false},
    };
    for (const PictureCase& c : cases) {
        folder.Write(QString::fromLatin1(c.name), c.bytes);
        bool loaded = false;
        try {
            loaded = !LoadPicture(folder.File(QString::fromLatin1(c.name))).isNull();
        } catch (const PictureError&) {
            loaded = false;
        }
        EXPECT_EQ(loaded, c.loads) << c.name;
    }
    EXPECT_THROW(LoadPicture(folder.File(QStringLiteral("missing.jpg"))), PictureError);
    EXPECT_THROW(LoadPicture(folder.File(QStringLiteral("missing.bmp"))), PictureError);
    EXPECT_THROW(LoadPicture(QString()), PictureError);
}

// Grey and progressive JPEGs are as valid as the baseline colour ones.
TEST(LoadPicture, GreyAndProgressiveJpegsLoad) {
    ProgramFolderFixture folder;
    QImage grey(48, 32, QImage::Format_Grayscale8);
    grey.fill(200);
    QImage colour(48, 32, QImage::Format_RGB32);
    colour.fill(QColor(30, 120, 60));
    const auto encode = [](const QImage& image, bool progressive) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPG");
        writer.setProgressiveScanWrite(progressive);
        EXPECT_TRUE(writer.write(image));
        return buffer.data();
    };
    folder.Write(QStringLiteral("grey.jpg"), encode(grey, false));
    folder.Write(QStringLiteral("progressive.jpg"), encode(colour, true));
    const QImage g = LoadPicture(folder.File(QStringLiteral("grey.jpg")));
    ASSERT_EQ(g.size(), QSize(48, 32));
    EXPECT_NEAR(g.pixelColor(10, 10).red(), 200, 3);
    EXPECT_NEAR(g.pixelColor(10, 10).blue(), 200, 3);
    const QImage p = LoadPicture(folder.File(QStringLiteral("progressive.jpg")));
    ASSERT_EQ(p.size(), QSize(48, 32));
    EXPECT_NEAR(p.pixelColor(20, 20).green(), 120, 8);
}

TEST(LoadPicture, JpegKeepsItsPixels) {
    ProgramFolderFixture folder;
    folder.Write(QStringLiteral("p.jpg"), EncodedPicture("JPG", QSize(64, 48)));
    const QImage image = LoadPicture(folder.File(QStringLiteral("p.jpg")));
    ASSERT_EQ(image.size(), QSize(64, 48));
    // Top-left quarter is the light brown, bottom-right the green (JPEG is lossy).
    const QColor corner = image.pixelColor(4, 4);
    const QColor far = image.pixelColor(60, 44);
    EXPECT_NEAR(corner.red(), 200, 12);
    EXPECT_NEAR(far.green(), 120, 12);
    EXPECT_NEAR(far.red(), 30, 12);
}

TEST(LoadBackground, StretchesBeneathControlsAndReplaces) {
    ProgramFolderFixture folder;
    folder.Write(QStringLiteral("bg.bmp"), EncodedPicture("BMP", QSize(10, 10)));
    TFormBase form(QStringLiteral("t"), QSize(300, 200), TFormBase::Frame::Dialog);
    QLabel* label = form.AddLabel(QStringLiteral("Текст"), {20, 20}, 15, Qt::yellow);
    LoadBackground(&form, folder.File(QStringLiteral("bg.bmp")));
    LoadBackground(&form, folder.File(QStringLiteral("bg.bmp")));
    const auto backgrounds = form.findChildren<QLabel*>(QStringLiteral("Background"));
    ASSERT_EQ(backgrounds.size(), 1);
    EXPECT_EQ(backgrounds.front(), form.Background);
    EXPECT_EQ(form.Background->geometry(), QRect(0, 0, 300, 200));
    EXPECT_TRUE(form.Background->hasScaledContents());
    EXPECT_EQ(form.childAt(label->geometry().center()), label);
    EXPECT_EQ(form.childAt(QPoint(290, 190)), form.Background);
    EXPECT_THROW(LoadBackground(&form, folder.File(QStringLiteral("none.bmp"))), PictureError);
    EXPECT_FALSE(form.Background->pixmap().isNull()); // a failed load keeps the picture
}

// Drawn transparent, a bitmap shows the window's colour wherever it has the
// colour of its bottom-left pixel; a JPEG has no transparent colour.
TEST(LoadBackground, TransparentBitmapShowsTheWindowColour) {
    ProgramFolderFixture folder;
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30)); // the transparent colour...
    for (int y = 0; y < 10; ++y)       // ...except the top half
        for (int x = 0; x < 20; ++x)
            picture.setPixelColor(x, y, QColor(20, 120, 40));
    const auto write = [&](const char* name, const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, format, 100);
        folder.Write(QString::fromLatin1(name), bytes);
    };
    write("bg.bmp", "BMP");
    write("bg.jpg", "JPG");

    struct Case {
        const char* file;
        BackgroundDrawing drawing;
        bool windowColourBelow;
    };
    const Case cases[] = {{"bg.bmp", BackgroundDrawing::Transparent, true},
                          {"bg.bmp", BackgroundDrawing::Opaque, false},
                          {"bg.jpg", BackgroundDrawing::Transparent, false}};
    for (const Case& c : cases) {
        TFormBase form(QStringLiteral("t"), QSize(200, 100), TFormBase::Frame::Dialog);
        LoadBackground(&form, folder.File(QString::fromLatin1(c.file)), c.drawing);
        const QImage shot = form.grab().toImage();
        const QColor window = form.palette().color(QPalette::Window);
        EXPECT_EQ(shot.pixelColor(100, 90) == window, c.windowColourBelow) << c.file;
        EXPECT_NEAR(shot.pixelColor(100, 10).green(), 120, 12) << c.file; // the picture above
    }
}

TEST(FormBase, RefusesResizeAndCentresAtEveryShow) {
    TFormBase form(QStringLiteral("t"), QSize(368, 169), TFormBase::Frame::Dialog);
    form.resize(800, 600);
    EXPECT_EQ(form.size(), QSize(368, 169));
    form.ShowCentred();
    const QPoint centred = form.pos();
    form.move(centred + QPoint(50, 40));
    form.hide();
    form.ShowCentred();
    EXPECT_EQ(form.pos(), centred);
    const QRect screen = form.screen()->geometry();
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    form.hide();
}

TEST(ExceptionSink, DropErrorsStopsTheHandlerAndGoesOn) {
    int steps = 0;
    DropErrors([&] {
        ++steps;
        throw std::runtime_error("x");
    });
    DropErrors([&] {
        ++steps;
        throw 7;
    });
    DropErrors([&] { ++steps; });
    EXPECT_EQ(steps, 3);
}

class ShellOpenTest : public ::testing::Test {
  protected:
    ProgramFolderFixture folder;
    void Executable(const QString& name, const QByteArray& body) {
        folder.Write(name, body);
        QFile::setPermissions(folder.File(name),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

TEST_F(ShellOpenTest, ResultsForMissingAndUnrunnableFiles) {
    folder.Write(QStringLiteral("plain"), "text");
    Executable(QStringLiteral("garbage"), QByteArrayLiteral("\x01\x02\x03 not a program"));
    EXPECT_EQ(ShellOpen(QStringLiteral("nothing")), ShellFileNotFound);
    EXPECT_EQ(ShellOpen(QStringLiteral("Data\\nothing.htm")), ShellFileNotFound);
    EXPECT_EQ(ShellOpen(QStringLiteral("Nowhere\\Help.htm")), ShellPathNotFound);
    EXPECT_EQ(ShellOpen(QStringLiteral("./Nowhere/tolvaner")), ShellPathNotFound);
    EXPECT_EQ(ShellOpen(QString()), ShellFileNotFound);
    EXPECT_EQ(ShellOpen(QStringLiteral("plain")), ShellAccessDenied);
    EXPECT_EQ(ShellOpen(QStringLiteral("garbage")), ShellBadFormat);
}

TEST_F(ShellOpenTest, StartsProgramInCurrentFolderAndReportsExit) {
    // Whether it ended normally with status 0: a launcher's clean end.
    const std::vector<std::pair<QByteArray, bool>> endings = {
        {"exit 0", true}, {"exit 1", false}, {"kill -TERM $$", false}};
    for (const auto& [ending, clean] : endings) {
        Executable(QStringLiteral("client"), "#!/bin/sh\npwd > started.txt\n" + ending + "\n");
        QEventLoop loop;
        std::optional<bool> exited;
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(20000);
        EXPECT_GT(ShellOpen(QStringLiteral("client"),
                            [&](bool cleanExit) {
                                exited = cleanExit;
                                loop.quit();
                            }),
                  32);
        loop.exec();
        EXPECT_EQ(exited, std::optional<bool>(clean)) << ending.toStdString();
        EXPECT_EQ(folder.Read(QStringLiteral("started.txt")).trimmed(),
                  QDir(folder.Path()).canonicalPath().toUtf8());
    }
}

// The offscreen platform has no desktop handler: links and documents report
// "no association", which callers treat as success (no error box).
TEST_F(ShellOpenTest, LinksAndDocumentsGoToTheDesktop) {
    folder.Write(QStringLiteral("Data/Help.htm"), "<html></html>");
    for (const char* target : {"www.vertan-game.ru", "mailto:support@vertan-game.ru",
                               "https://vertan-game.ru", "Data\\Help.htm", "Data"}) {
        const int result = ShellOpen(QString::fromLatin1(target));
        EXPECT_TRUE(result == ShellNoAssociation || result > 32) << target;
    }
}

namespace {

// The window that says the program is working: it shows while the work
// waits, the event loop runs meanwhile, and the work's failure comes back.
TEST(WhileWorking, ShowsAWindowWhileTheWorkRunsAndPassesItsFailureOn) {
    const auto workingWindow = []() -> QWidget* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Страница клуба")
                return w;
        return nullptr;
    };
    // The work waits until the test has seen the window (or gives up).
    std::promise<bool> seen;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (workingWindow()) {
            look.stop();
            seen.set_value(true);
        }
    });
    look.start(1);
    bool shown = false;
    shell::WhileWorking("Страница клуба", "Создаётся страница клуба…", [&] {
        shown = seen.get_future().wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    }, 0);
    EXPECT_TRUE(shown) << "no window while the work ran";
    EXPECT_EQ(workingWindow(), nullptr) << "the window stayed after the work";
    EXPECT_THROW(shell::WhileWorking("Страница клуба", "…", [] { throw std::runtime_error("x"); }),
                 std::runtime_error);
}

} // namespace
