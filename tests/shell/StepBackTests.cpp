// The launcher's dialogs step back from the top while a window it started is
// open, and come back once it is gone. No window manager is installed here,
// so the flags are checked rather than the stacking on a screen.
#include "shell/FormBase.h"
#include "shell/ShellOpen.h"
#include "shell/StepBack.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool OnTop(const QWidget& window) {
    return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// What the platform tells when the user comes back (offscreen has no other
// program to leave for).
void BackAtTheLauncher() {
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
}

struct StepBackTest : ::testing::Test {
    shell::TFormBase dialog{"Рейтинги игроков", QSize(200, 100), shell::TFormBase::Frame::Dialog};
    shell::TFormBase hidden{"Журнал игр", QSize(200, 100), shell::TFormBase::Frame::Dialog};
    shell::TFormBase menu{"Вертан", QSize(200, 100), shell::TFormBase::Frame::MainWindow};
    void SetUp() override {
        dialog.move(40, 50);
        dialog.show();
        menu.show();
    }
    void TearDown() override {
        // Nothing left holding the windows back for the next case.
        BackAtTheLauncher();
    }
};

TEST_F(StepBackTest, WhileAProgramRunsAndUntilTheUserIsBack) {
    QProcess viewer;
    viewer.start("cat", {});
    ASSERT_TRUE(viewer.waitForStarted());
    shell::StepBackFor(&viewer);
    EXPECT_FALSE(OnTop(dialog));
    EXPECT_FALSE(OnTop(hidden));
    EXPECT_TRUE(dialog.isVisible()) << "stepped back, not hidden";
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_EQ(dialog.pos(), QPoint(40, 50));
    EXPECT_FALSE(menu.windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // never was

    shell::StepBackFor(); // the browser too
    QSignalSpy ended(&viewer, &QProcess::finished);
    viewer.closeWriteChannel();
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_FALSE(OnTop(dialog)) << "the browser is still open";
    BackAtTheLauncher();
    EXPECT_TRUE(OnTop(dialog));
    EXPECT_TRUE(OnTop(hidden));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_FALSE(shell::SteppedBack());
}

// The board client on a saved game, started as the journal starts it.
TEST_F(StepBackTest, AProgramTheShellStartsHoldsThemBackUntilItEnds) {
    QTemporaryDir folder;
    const QString program = folder.filePath("viewer");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_GT(shell::ShellStart(program, {"--open", "game.txt"}), 32);
    EXPECT_FALSE(OnTop(dialog));
    EXPECT_TRUE(QTest::qWaitFor([] { return !shell::SteppedBack(); }, 10000));
    EXPECT_TRUE(OnTop(dialog));
}

} // namespace
