// The database under faults: durable commits, a disk that fills during a
// recording, and a file locked by another process during a registration
// and a recording. Nothing may be half-written, the user hears of the
// failure, and the next attempt works.
#include "common/FileSizeLimit.h"
#include "RatingsFolder.h"
#include "db/DbError.h"
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/Unit6.h"
#include "shell/AppOptions.h"
#include "shell/DbMenuActions.h"
#include "shell/MessageBoxes.h"
#include "shell/Unit5.h"

#include <QImage>
#include <QProcess>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <gtest/gtest.h>

using shell::BoxKind;

namespace {

struct Box {
    BoxKind kind;
    QString text;
};

struct DbFaultTest : ::testing::Test {
    RatingsFolder folder;
    std::unique_ptr<db::TDModule> dm;
    QList<Box> boxes;

    void SetUp() override {
        shell::SetMessageBoxHook([this](BoxKind kind, const QString&, const QString& text) {
            boxes << Box{kind, text};
            return true;
        });
        folder.AddPlayer(2, "Анна", 5);
        dm = std::make_unique<db::TDModule>(folder.Path(), 200);
        dm->DataModuleCreate();
        db::DModule = dm.get();
        shell::ProgramFolder = folder.Path();
    }
    void TearDown() override {
        shell::ProgramFolder.clear();
        dm.reset();
        shell::SetMessageBoxHook(nullptr);
    }
    // Points of Анна and the journal: what a recording changes.
    QString State() {
        return folder.Rows("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2") + "/" +
               folder.Rows("SELECT G_CODE, G_WINPLAYER, G_LOSEPLAYER FROM GAMES ORDER BY G_CODE");
    }
};

// Another program holding the write lock until Release().
class ForeignLock {
  public:
    explicit ForeignLock(const QString& file) {
        shell_.start("sqlite3", {file});
        shell_.write("BEGIN IMMEDIATE;\nSELECT 'held';\n");
        held_ = shell_.waitForReadyRead(10000) && shell_.readAll().contains("held");
    }
    ~ForeignLock() { Release(); }
    bool Held() const { return held_; }
    void Release() {
        if (shell_.state() == QProcess::NotRunning)
            return;
        shell_.write("ROLLBACK;\n.quit\n");
        shell_.closeWriteChannel();
        if (!shell_.waitForFinished(10000))
            shell_.kill();
    }

  private:
    QProcess shell_;
    bool held_ = false;
};

} // namespace

TEST_F(DbFaultTest, EveryConnectionCommitsDurably) {
    // Each shared query may run on a connection of its own; all must wait
    // for the disk (synchronous = FULL is 2).
    for (db::TQuery* query : {&dm->QRWork, &dm->IBPlayers, &dm->IBGames}) {
        query->SetSQL({QStringLiteral("PRAGMA synchronous"), {}});
        query->Open();
        EXPECT_EQ(query->Model()->record(0).value(0).toInt(), 2);
    }
}

TEST_F(DbFaultTest, DiskFillingDuringARecordingWritesAllOrNothing) {
    const int startPoints = folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2").toInt();
    int attempts = 0;
    int failures = 0;
    int waited = 0;
    // From no room at all to more than a recording needs.
    for (unsigned long limit : {0ul, 512ul, 4096ul, 8192ul, 20000ul, 40000ul, 1ul << 20}) {
        SCOPED_TRACE(limit);
        boxes.clear();
        {
            testcommon::FileSizeLimit full(limit);
            shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
        }
        ++attempts;
        EXPECT_EQ(folder.Scalar("PRAGMA integrity_check").toString(), "ok");
        const int games = folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt();
        EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2").toInt(),
                  startPoints + games)
            << "the rows and the points go together";
        ASSERT_FALSE(boxes.isEmpty());
        EXPECT_EQ(boxes[0].kind, BoxKind::Notice) << "the announcement comes either way";
        // A result the full disk refused waits in the outbox where that has
        // room, and is told; where nothing can be written, the failure is.
        ASSERT_LE(boxes.size(), 2);
        if (boxes.size() == 2 && boxes[1].text == db::QueuedText) {
            ++waited;
        } else if (boxes.size() == 2) {
            ++failures;
            EXPECT_TRUE(boxes[1].text.startsWith("Результат игры не записан в базу данных!"));
        }
    }
    EXPECT_GT(failures + waited, 0) << "no limit made the disk full";
    // With room again every result that waited goes in, none twice.
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), attempts + 1 - failures);
}

TEST_F(DbFaultTest, LockHeldByAnotherProgramKeepsTheResultUntilTheDatabaseAnswers) {
    const QString before = State();
    ForeignLock lock(folder.DatabaseFile());
    ASSERT_TRUE(lock.Held());
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
    lock.Release();
    EXPECT_EQ(State(), before);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1].kind, BoxKind::Notice);
    EXPECT_EQ(boxes[1].text, db::QueuedText);
    // The next recording writes the waiting game first, then its own.
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
    EXPECT_EQ(State(), "7/1|2|1;2|2|1");
    EXPECT_EQ(boxes.size(), 3);
}

TEST_F(DbFaultTest, LockHeldByAnotherProgramFailsARegistrationThatThenWorks) {
    shell::DialogBackground = folder.Path() + "/Dialog.bmp";
    QImage(8, 8, QImage::Format_RGB32).save(shell::DialogBackground, "BMP");
    TForm5 form(*dm);
    form.OpenRegistration();
    form.Edit1->setText("Глеб");
    ASSERT_TRUE(form.Button2->isEnabled());
    {
        ForeignLock lock(folder.DatabaseFile());
        ASSERT_TRUE(lock.Held());
        form.Button2->click();
    }
    EXPECT_EQ(folder.Rows("SELECT P_NAME FROM PLAYERS ORDER BY P_CODE"), "Computer;Анна");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(form.isVisible()) << "the window stays for another try";
    form.Button2->click();
    EXPECT_EQ(folder.Rows("SELECT P_NAME FROM PLAYERS ORDER BY P_CODE"), "Computer;Анна;Глеб");
    EXPECT_FALSE(form.isVisible());
    shell::DialogBackground.clear();
}

TEST_F(DbFaultTest, TheOutboxGivesResultsBackInTheOrderTheyWerePut) {
    // Put faster than the clock's millisecond: the order must hold all the same.
    db::Outbox outbox(folder.Path());
    QStringList put;
    for (int i = 0; i < 40; ++i) {
        QString error;
        put << QString::number(i);
        ASSERT_TRUE(outbox.Put({put.last(), -1, "Анна", "Компьютер", true, false, "08.12.2026", {}},
                               error))
            << error.toStdString();
    }
    QStringList back;
    for (const db::Outbox::Entry& entry : outbox.Pending())
        back << entry.result.identity;
    EXPECT_EQ(back, put);
}
