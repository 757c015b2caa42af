// The outbox's durability: each write is put on disk in the order that lets a
// power cut at any moment leave either the whole result in the queue or none.
// The syncs are recorded with what the folder held when each came.
#include "db/Outbox.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct SyncRecorder {
    explicit SyncRecorder(QString folder) : programFolder(std::move(folder)) {}

    QString programFolder;
    QStringList calls;
    qint64 syncedBytes = -1;
    bool fileSyncWorks = true;

    QString Outbox() const { return programFolder + "/Data/Outbox"; }

    // What a power cut would find in the queue: its entries, set-aside ones and
    // files being written.
    QString Queue() const {
        const QDir dir(Outbox());
        return QStringLiteral("results=%1 failed=%2 parts=%3")
            .arg(dir.entryList({"*.result"}, QDir::Files).size())
            .arg(dir.entryList({"*.failed"}, QDir::Files).size())
            .arg(dir.entryList({"*.part"}, QDir::Files).size());
    }

    db::DiskSync Sync() {
        return {[this](int descriptor) {
                    struct stat status {};
                    ::fstat(descriptor, &status);
                    syncedBytes = status.st_size;
                    calls << "file, " + Queue();
                    return fileSyncWorks;
                },
                [this](const QString& folder) {
                    calls << "folder " + QDir(programFolder).relativeFilePath(folder) + ", " +
                                 Queue();
                }};
    }
};

db::PendingResult Result(const QString& identity) {
    return {identity, -1, "Анна", "Компьютер", true, false, "08.12.2026", "1. 31: 13/10 24/23"};
}

struct DurabilityCase {
    const char* name;
    std::function<void(db::Outbox&)> step;
    QStringList syncs; // in order, each with the queue as it stood then
};

void PrintTo(const DurabilityCase& c, std::ostream* out) {
    *out << c.name;
}

class OutboxDurability : public ::testing::TestWithParam<DurabilityCase> {};

TEST_P(OutboxDurability, SyncsEachWriteBeforeItCountsOnIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Data"));
    SyncRecorder recorder(dir.path());
    db::Outbox outbox(dir.path(), recorder.Sync());
    GetParam().step(outbox);
    EXPECT_EQ(recorder.calls, GetParam().syncs);
    // The data synced was the whole entry, not a part of it.
    const auto pending = outbox.Pending();
    if (!pending.empty()) {
        EXPECT_EQ(recorder.syncedBytes, QFileInfo(pending.back().file).size());
    }
}

void PutOne(db::Outbox& outbox) {
    QString error;
    ASSERT_TRUE(outbox.Put(Result("1"), error)) << error.toStdString();
}

// The first result put: the new folder's own name, then the entry's data
// before its rename, then the rename.
const QStringList FirstPut{"folder Data, results=0 failed=0 parts=0",
                           "file, results=0 failed=0 parts=1",
                           "folder Data/Outbox, results=1 failed=0 parts=0"};

INSTANTIATE_TEST_SUITE_P(
    Steps, OutboxDurability,
    ::testing::Values(
        DurabilityCase{"PutIntoANewFolder", PutOne, FirstPut},
        DurabilityCase{"PutBesideAnother",
                       [](db::Outbox& outbox) {
                           PutOne(outbox);
                           PutOne(outbox);
                       },
                       FirstPut + QStringList{"file, results=1 failed=0 parts=1",
                                              "folder Data/Outbox, results=2 failed=0 parts=0"}},
        DurabilityCase{"Remove",
                       [](db::Outbox& outbox) {
                           PutOne(outbox);
                           outbox.Remove(outbox.Pending().at(0));
                       },
                       FirstPut + QStringList{"folder Data/Outbox, results=0 failed=0 parts=0"}},
        DurabilityCase{"SetAside",
                       [](db::Outbox& outbox) {
                           PutOne(outbox);
                           outbox.SetAside(outbox.Pending().at(0));
                       },
                       FirstPut + QStringList{"folder Data/Outbox, results=0 failed=1 parts=0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutboxEntry, AnEntryThatCannotBePutOnDiskIsNotQueued) {
    QTemporaryDir dir;
    SyncRecorder recorder(dir.path());
    recorder.fileSyncWorks = false;
    db::Outbox outbox(dir.path(), recorder.Sync());
    QString error;
    EXPECT_FALSE(outbox.Put(Result("1"), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(recorder.Queue(), "results=0 failed=0 parts=0");
    EXPECT_TRUE(outbox.Pending().empty());
}

} // namespace
