// Where the launcher's dialogs stand among another program's windows, on a
// real X server under a real window manager, read as the server sees it:
// a dialog stays above ordinary windows, but not above a window the launcher
// started for the user to look at, and is on top again once that is gone.
// The test brings its own server and window manager up on a free display.
#include "shell/FormBase.h"
#include "shell/ShellOpen.h"
#include "shell/StepBack.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/prctl.h>

namespace {

constexpr int WaitMs = 10000;
const QString DialogTitle = QStringLiteral("ratings");

// A helper process dies with the test, however the test ends.
void DieWithTheTest(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

QString Xprop(const QStringList& arguments) {
    QProcess xprop;
    xprop.start(QStringLiteral(VERTAN_XPROP), QStringList{"-notype"} + arguments);
    if (!xprop.waitForFinished(WaitMs))
        return {};
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

struct XWindow {
    QString title;
    qint64 pid = 0;
    bool above = false; // kept above ordinary windows by the window manager
};
using Windows = QList<XWindow>;

// The windows the window manager shows, bottom to top.
Windows Stacking() {
    Windows windows;
    const QString ids = Xprop({"-root", "_NET_CLIENT_LIST_STACKING"}).section('#', 1);
    for (const QString& id : ids.split(',', Qt::SkipEmptyParts)) {
        XWindow window;
        const QString fields =
            Xprop({"-id", id.trimmed(), "_NET_WM_NAME", "_NET_WM_PID", "_NET_WM_STATE"});
        for (const QString& line : fields.split('\n')) {
            const QString value = line.section(QStringLiteral(" = "), 1);
            if (line.startsWith("_NET_WM_NAME "))
                window.title = value.mid(1, value.size() - 2);
            else if (line.startsWith("_NET_WM_PID "))
                window.pid = value.toLongLong();
            else if (line.startsWith("_NET_WM_STATE "))
                window.above = value.contains("_NET_WM_STATE_ABOVE");
        }
        windows << window;
    }
    return windows;
}

// Ends the program that shows a window (never a group: a pid of 0 is none).
void End(const XWindow& window) {
    if (window.pid > 0)
        ::kill(pid_t(window.pid), SIGTERM);
}

// A window's place from the bottom; -1 when it is not shown.
int Place(const Windows& windows, const QString& title) {
    for (int i = 0; i < windows.size(); ++i)
        if (windows[i].title == title)
            return i;
    return -1;
}

std::string Describe(const Windows& windows) {
    QStringList titles;
    for (const XWindow& window : windows)
        titles << window.title + (window.above ? "(above)" : "");
    return "bottom to top: " + titles.join(", ").toStdString();
}

// The window manager may fail to take a window it is sent while it starts
// up: it is ready once it has taken one, shown again each half second until then.
bool ManagerTakesWindows() {
    QWidget probe;
    probe.setWindowTitle(QStringLiteral("probe"));
    QElapsedTimer shown;
    return QTest::qWaitFor(
        [&] {
            if (Place(Stacking(), "probe") >= 0)
                return true;
            if (!shown.isValid() || shown.elapsed() > 500) {
                probe.hide();
                probe.show();
                shown.start();
            }
            return false;
        },
        WaitMs);
}

struct StackingTest : ::testing::Test {
    shell::TFormBase dialog{DialogTitle, QSize(240, 120), shell::TFormBase::Frame::Dialog};
    Windows windows; // as last seen

    void SetUp() override {
        dialog.move(100, 100);
        dialog.show();
        ASSERT_TRUE(WaitUntil([](const Windows& w) { return Place(w, DialogTitle) >= 0; }))
            << Describe(windows);
    }
    void TearDown() override {
        for (const XWindow& window : Stacking())
            if (window.title == "viewer")
                End(window);
        EXPECT_TRUE(QTest::qWaitFor([] { return !shell::SteppedBack(); }, WaitMs));
    }
    // Polls the server until what is seen holds, at most WaitMs.
    bool WaitUntil(const std::function<bool(const Windows&)>& seen) {
        return QTest::qWaitFor(
            [&] {
                windows = Stacking();
                return seen(windows);
            },
            WaitMs);
    }
    bool WaitForWindow(const QString& title) {
        return WaitUntil([&](const Windows& w) { return Place(w, title) >= 0; });
    }
    // The control: an ordinary window opened without stepping back.
    void ExpectOpenedBelowTheDialog() {
        QProcess plain;
        DieWithTheTest(plain);
        plain.start(QStringLiteral(VERTAN_STACKING_VIEWER), {"plain"});
        ASSERT_TRUE(WaitForWindow("plain")) << Describe(windows);
        EXPECT_LT(Place(windows, "plain"), Place(windows, DialogTitle)) << Describe(windows);
        plain.terminate();
        plain.waitForFinished(WaitMs);
    }
};

TEST_F(StackingTest, AWindowOpenedWithoutSteppingBackStaysBelowTheDialog) {
    ExpectOpenedBelowTheDialog();
}

TEST_F(StackingTest, AProgramTheLauncherStartsComesUpAboveItsDialogsUntilItEnds) {
    ASSERT_GT(shell::ShellStart(QStringLiteral(VERTAN_STACKING_VIEWER), {"viewer"}), 32);
    // The window manager may show a new window under the focused one for a
    // moment before it gives it focus and raises it.
    ASSERT_TRUE(WaitUntil([](const Windows& w) {
        return Place(w, "viewer") > Place(w, DialogTitle) && Place(w, DialogTitle) >= 0;
    })) << Describe(windows);

    End(windows[Place(windows, "viewer")]);
    ASSERT_TRUE(QTest::qWaitFor([] { return !shell::SteppedBack(); }, WaitMs));
    ASSERT_TRUE(WaitUntil([](const Windows& w) {
        const int dialogAt = Place(w, DialogTitle);
        return Place(w, "viewer") < 0 && dialogAt >= 0 && w[dialogAt].above;
    })) << Describe(windows);
    EXPECT_EQ(Place(windows, DialogTitle), windows.size() - 1) << Describe(windows);
    ExpectOpenedBelowTheDialog();
}

} // namespace

// A display of its own: the server takes a free number and writes it once it
// listens; the window manager is up once it names its check window.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QProcess server;
    DieWithTheTest(server);
    server.start(QStringLiteral(VERTAN_XVFB),
                 {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    while (!server.canReadLine() && server.waitForReadyRead(WaitMs)) {
    }
    if (!server.canReadLine()) {
        std::fprintf(stderr, "Xvfb did not start: %s\n", server.readAllStandardError().data());
        return 1;
    }
    qputenv("DISPLAY", ":" + server.readLine().trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 1;
    {
        QApplication app(argc, argv);
        QProcess manager;
        DieWithTheTest(manager);
        manager.start(QStringLiteral(VERTAN_WINDOW_MANAGER), {"--sm-disable"});
        if (QTest::qWaitFor(
                [] {
                    return Xprop({"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
                },
                WaitMs) &&
            ManagerTakesWindows())
            result = RUN_ALL_TESTS();
        else
            std::fprintf(stderr, "The window manager did not start: %s\n",
                         manager.readAllStandardError().data());
        manager.terminate();
        manager.waitForFinished(WaitMs);
    }
    server.terminate();
    server.waitForFinished(WaitMs);
    return result;
}
