// Records as the archive stores them: damaged or hostile bytes unpack to
// nothing, and never cost more memory than the length they claim.
#include "record/PackedRecord.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Text = QStringLiteral("Партия в нарды\nБелые: Анна\nЧёрные: Борис\n\n"
                                    "1. Белые 6-4: 24/18 13/9\n");

QByteArray WithLength(QByteArray packed, quint32 length) {
    for (int i = 0; i < 4; ++i)
        packed[i] = char(length >> (24 - 8 * i));
    return packed;
}

TEST(PackedRecord, DamagedBytesGiveNothing) {
    const QByteArray good = record::PackRecord(Text);
    const quint32 size = quint32(Text.toUtf8().size());
    const QByteArray atLimit(record::MaxRecordBytes, 'a');
    const struct {
        const char* what;
        QByteArray packed;
        bool reads;
    } cases[] = {
        {"as packed", good, true},
        {"cut short", good.left(good.size() - 6), false},
        {"a length too big", WithLength(good, size + 1), false},
        {"a length too small", WithLength(good, size - 1), false},
        {"no length", WithLength(good, 0), false},
        {"three bytes", good.left(3), false},
        {"no zlib stream", good.left(4) + QByteArray(40, 'x'), false},
        {"a record of the largest size", qCompress(atLimit, 1), true},
        {"one byte past the largest size", qCompress(atLimit + 'a', 1), false},
    };
    for (const auto& c : cases) {
        // Used again after each failure, as the club page's workers do.
        const auto unpacked = record::UnpackRecord(c.packed);
        EXPECT_EQ(bool(unpacked), c.reads) << c.what;
        if (unpacked && c.packed == good) {
            EXPECT_EQ(*unpacked, Text);
        }
    }
    EXPECT_EQ(record::UnpackRecord(qCompress(atLimit, 1))->size(), record::MaxRecordBytes);
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A stream that unpacks to far more than it claims (64 MB of zeros behind a
// length of 4 KB) is refused within what it claims: checked in a child
// process, whose peak memory is its own.
TEST(PackedRecord, AStreamLongerThanItsLengthCostsNoMoreThanTheLength) {
    const QByteArray bomb = WithLength(qCompress(QByteArray(64 << 20, '\0'), 1), 4096);
    ASSERT_LT(bomb.size(), 1 << 20);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long before = PeakKilobytes();
        const bool refused = !record::UnpackRecord(bomb);
        const long grown = PeakKilobytes() - before;
        _exit(!refused ? 1 : grown > 16 * 1024 ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: unpacked; 2: the peak memory grew by over 16 MB";
}

} // namespace
