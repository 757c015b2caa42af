// One frame of the board at 1920 x 1080: a crowded mid-game position (tall
// stacks, both bars, trays), a checker picked with its targets lit, the
// keyboard focus, doubles on show and a checker in flight. The target is at
// most 4 ms a frame, so the 60-frame animation has room to spare.
#include "client/BoardRenderer.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

client::BoardModel Crowded() {
    proc::Board board{};
    const std::pair<int32_t, int32_t> cells[] = {{1, -2},  {3, 2},  {4, 2},   {5, 3},   {6, 6},
                                                 {12, -3}, {13, 1}, {17, -2}, {19, -4}, {20, -2},
                                                 {23, 1},  {26, 1}, {25, -1}};
    for (auto [cell, count] : cells) {
        proc::Cell(board, cell) = count;
    }
    client::BoardModel model;
    model.Apply(client::StartInfo{board, QStringLiteral("Анна (белые)"),
                                  QStringLiteral("Компьютер (чёрные)"), proc::MakeDice(6, 3)});
    model.Apply(client::DiceInfo{proc::White, proc::MakeDice(2, 2)});
    model.Apply(client::MoveInfo{proc::White, {26, 23}});
    model.Apply(client::MoveListInfo{proc::White, {{23, 21}, {6, 4}, {5, 3}, {4, 2}, {3, 1}}});
    model.Click(6);
    model.MoveFocus(+1);
    return model;
}

// The crowded position at 1920 x 1080 with a checker halfway through its flight.
struct FlightFrame {
    const QSize size{1920, 1080};
    const client::BoardModel model = Crowded();
    client::ViewExtras extras{client::Flight{client::ShownMove{proc::White, {26, 23}, false}, 0.5},
                              {}};
    QImage image{size, QImage::Format_ARGB32_Premultiplied};
    client::BoardRenderer renderer;
};

// The whole window, as on the flight's first frame or any other repaint.
void BM_FrameFullHdWithFlight(benchmark::State& state) {
    FlightFrame f;
    for (auto _ : state) {
        QPainter painter(&f.image);
        f.renderer.Paint(painter, f.size, f.model, f.extras);
        painter.end();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_FrameFullHdWithFlight)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A frame of the flight as the board widget paints it: the window clipped to
// where the checker was and where it is now (a 60th of the 420 ms flight on).
void BM_FlightFrameFullHd(benchmark::State& state) {
    FlightFrame f;
    {
        QPainter painter(&f.image);
        f.renderer.Paint(painter, f.size, f.model, f.extras);
    }
    client::Flight& flight = *f.extras.flight;
    const double step = 1000.0 / 60 / 420;
    for (auto _ : state) {
        const QRect before = client::BoardRenderer::FlightBounds(f.size, f.model, flight);
        flight.progress = flight.progress + step > 0.9 ? 0.1 : flight.progress + step;
        QPainter painter(&f.image);
        painter.setClipRect(
            before.united(client::BoardRenderer::FlightBounds(f.size, f.model, flight)));
        f.renderer.Paint(painter, f.size, f.model, f.extras);
        painter.end();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_FlightFrameFullHd)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The floor: the cached still layer and the two text lines of a board
// waiting for its game.
void BM_FrameFullHdBeforeTheGame(benchmark::State& state) {
    const QSize size(1920, 1080);
    const client::BoardModel model;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    client::BoardRenderer renderer;
    for (auto _ : state) {
        QPainter painter(&image);
        renderer.Paint(painter, size, model, {});
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FrameFullHdBeforeTheGame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
