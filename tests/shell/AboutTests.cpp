// The about dialog: the about file at start-up, the user guide's error boxes.
#include "ShellTestSupport.h"
#include "shell/AppOptions.h"
#include "shell/ProgramEnd.h"
#include "shell/ShellOpen.h"
#include "shell/Unit4.h"
#include "text/Win1251.h"

#include <QDesktopServices>
#include <QScrollBar>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace shell;
using namespace shelltest;

using AboutTest = shelltest::DialogFolderTest;

TEST_F(AboutTest, LoadsRichTextReadOnly) {
    folder.Write(
        QStringLiteral("Data/About.rtf"),
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\qc\\b \\'c2\\'e5\\'f0\\'f2\\'e0"
        "\\'ed\\b0\\par}");
    TForm4 form;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(form.AboutText->toPlainText(), QStringLiteral("Вертан\n"));
    EXPECT_TRUE(form.AboutText->isReadOnly());
    EXPECT_EQ(form.AboutText->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.AboutText->geometry(), QRect(8, 8, 401, 233));
}

TEST_F(AboutTest, PlainTextAboutFileIsShownWithoutMessage) {
    folder.Write(QStringLiteral("Data/About.rtf"),
                 text::ToWin1251(QStringLiteral("Простой текст")));
    TForm4 form;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(form.AboutText->toPlainText(), QStringLiteral("Простой текст"));
}

TEST_F(AboutTest, MissingAboutFileEndsTheProgram) {
    QFile::remove(folder.File(QStringLiteral("Data/About.rtf")));
    TForm4 form;
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл About.rtf!")});
    EXPECT_TRUE(ProgramEndRequested());
}

TEST_F(AboutTest, MissingDialogPictureLeavesTextEmptySilently) {
    DialogBackground = QStringLiteral("Data/Dialog.wmf");
    TForm4 form;
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(form.AboutText->toPlainText().isEmpty());
    EXPECT_FALSE(ProgramEndRequested());
}

TEST_F(AboutTest, HelpPageErrorBoxes) {
    TForm4 form;
    form.ShowCentred();
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QStringList boxes;
    };
    const std::vector<Case> cases = {
        {"missing page", [] {}, {QStringLiteral("Не найден файл Help.htm!")}},
        {"missing folder",
         [&] { QDir(folder.File(QStringLiteral("Data"))).removeRecursively(); },
         {QStringLiteral("Не найден путь к файлу Help.htm!")}},
        // No program for web pages: the path to open by hand.
        {"page present",
         [&] { folder.Write(QStringLiteral("Data/Help.htm"), "<html></html>"); },
         {QStringLiteral("Не удалось открыть руководство пользователя: не найден браузер. "
                         "Откройте в браузере файл\n") +
          QDir(folder.File(QStringLiteral("Data"))).absoluteFilePath(QStringLiteral("Help.htm"))}},
    };
    for (const Case& c : cases) {
        c.arrange();
        boxes.boxes.clear();
        QDir::setCurrent(QDir::rootPath()); // the handler returns to the program folder itself
        form.Button2->click();
        EXPECT_EQ(boxes.Texts(), c.boxes) << c.name;
        for (const Box& box : boxes.boxes)
            EXPECT_EQ(box.kind, BoxKind::Error) << c.name;
        EXPECT_TRUE(form.isVisible()) << c.name;
    }
    form.Button1->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AboutTest, LinksShowTheirAddresses) {
    TForm4 form;
    EXPECT_EQ(form.Label2->text(), about::FirstSite);
    EXPECT_EQ(form.Label6->text(), about::SecondSite);
    EXPECT_EQ(form.Label4->text(), about::MailShown);
    EXPECT_TRUE(form.Label4->font().underline());
    EXPECT_EQ(form.Label4->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(about::MailLink.startsWith(QStringLiteral("mailto:")));
}

// A file that opens but fails on reading: the kernel's view of this process's
// memory answers a read at address 0 with an I/O error.
TEST_F(AboutTest, AboutFileFailingToReadEndsTheProgram) {
    const QString about = folder.File(QStringLiteral("Data/About.rtf"));
    QFile::remove(about);
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), about));
    TForm4 form;
    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Не найден файл About.rtf!")});
    EXPECT_TRUE(ProgramEndRequested());
}

namespace {
// Takes the place of the desktop's web browser.
class LinkRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened << url; }
};
} // namespace

TEST_F(AboutTest, WebAddressesOpenAsLinksWhateverTheirHost) {
    LinkRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
    const std::vector<std::pair<QString, QString>> cases = {
        {"vertan-game.ru", "http://vertan-game.ru"},
        {"nardy.example/about/", "http://nardy.example/about/"},
        {"https://vertan-game.ru", "https://vertan-game.ru"},
    };
    for (const auto& [address, url] : cases) {
        browser.opened.clear();
        EXPECT_GT(OpenWebAddress(address), 32) << address.toStdString();
        EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(url)}) << address.toStdString();
    }
    // The about dialog's own links go the same way.
    TForm4 form;
    browser.opened.clear();
    form.Label2Click();
    form.Label6Click();
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl("http://" + about::FirstSite),
                                           QUrl("http://" + about::SecondSite)}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

// A browser that takes the page: root is told where the page is, as the
// browser may refuse root; anyone else is told nothing.
TEST_F(AboutTest, HelpPageOpenedAsRootTellsItsPath) {
    folder.Write(QStringLiteral("Data/Help.htm"), "<html></html>");
    TForm4 form;
    LinkRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "Open");
    boxes.boxes.clear();
    form.Button2->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl::fromLocalFile(TForm4::HelpFilePath())});
    ASSERT_EQ(boxes.boxes.size(), geteuid() == 0 ? 1u : 0u);
    if (geteuid() == 0) {
        EXPECT_TRUE(boxes.Texts().first().endsWith("\n" + TForm4::HelpFilePath()));
    }
}

#include "AboutTests.moc"
