// Reading the archive's records back: the club's page reads a million
// (record::ReplayRecord), their turn lines most of the text.
#include "RecordedGame.h"
#include "record/RecordText.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The texts of 300 seeded self-play games, as the launcher writes them.
const std::vector<QString>& Texts() {
    static const std::vector<QString> texts = [] {
        std::vector<QString> made;
        for (uint64_t seed = 1; seed <= 300; ++seed)
            made.push_back(record::RecordText(selfplay::RecordedGame(record::StandardStart(), seed,
                                                                     QStringLiteral("Анна"),
                                                                     QStringLiteral("Борис")),
                                              QDateTime(QDate(2026, 1, 1), QTime(12, 0))));
        return made;
    }();
    return texts;
}

// Each iteration reads the next text with read.
template <typename Read> void ReadEach(benchmark::State& state, Read read) {
    const std::vector<QString>& texts = Texts();
    size_t i = 0;
    QString error;
    for (auto _ : state) {
        auto result = read(texts[i++ % texts.size()], error);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ParseRecord(benchmark::State& state) {
    ReadEach(state, record::ParseRecord);
}
BENCHMARK(BM_ParseRecord);

// As the club's page reads each record for its game page.
void BM_ReplayRecord(benchmark::State& state) {
    ReadEach(state, record::ReplayRecord);
}
BENCHMARK(BM_ReplayRecord);

} // namespace

BENCHMARK_MAIN();
