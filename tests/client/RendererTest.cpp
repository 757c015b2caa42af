// The painter's record: what it was asked to draw per cell, at every size the
// settings offer, and the hit test that maps clicks back to cells.
#include "StandardBoard.h"
#include "client/BoardGeometry.h"
#include "client/BoardRenderer.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

using namespace client;
using proc::Black;
using proc::White;

namespace {

// A position from the middle of a game: a tall stack, both bars, some off.
proc::Board MidGameBoard() {
    proc::Board board{};
    const std::pair<int32_t, int32_t> cells[] = {{1, -2},  {4, 1},   {5, 3},   {6, 6},   {8, 1},
                                                 {12, -3}, {15, -2}, {17, -1}, {19, -3}, {20, -1},
                                                 {21, 1},  {22, -1}, {26, 1},  {25, -1}};
    for (auto [cell, count] : cells) {
        proc::Cell(board, cell) = count;
    }
    return board;
}

BoardModel MidGame() {
    BoardModel model;
    proc::Board board = MidGameBoard();
    // Start with two extra white checkers on 2 and one black on 23, and bear them off.
    proc::Cell(board, 2) = 2;
    proc::Cell(board, 23) = -1;
    model.Apply(StartInfo{board, QStringLiteral("Анна (белые)"),
                          QStringLiteral("Компьютер (чёрные)"), proc::MakeDice(6, 3)});
    model.Apply(DiceInfo{White, proc::MakeDice(2, 2)});
    model.Apply(MoveInfo{White, {2, 27}});
    model.Apply(MoveInfo{White, {2, 27}});
    model.Apply(DiceInfo{Black, proc::MakeDice(2, 1)});
    model.Apply(MoveInfo{Black, {23, 27}});
    model.Apply(DiceInfo{White, proc::MakeDice(5, 3)});
    model.Apply(MoveListInfo{White, {{26, 20}, {26, 22}}});
    return model;
}

// The largest difference of any colour channel between two images of one size.
int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

RenderRecord Render(const BoardModel& model, QSize size, const ViewExtras& extras = {}) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    BoardRenderer renderer;
    renderer.Paint(painter, size, model, extras);
    return renderer.Record();
}

} // namespace

class RendererSizes : public ::testing::TestWithParam<QSize> {};

TEST_P(RendererSizes, DrawsEveryCheckerOfTheOpening) {
    BoardModel model;
    model.Apply(StartInfo{StandardBoard(), "w", "b", proc::MakeDice(4, 1)});
    const RenderRecord record = Render(model, GetParam());
    for (int32_t cell = 1; cell <= 26; ++cell) {
        const int count = std::abs(proc::Cell(StandardBoard(), cell));
        EXPECT_EQ(record.shown[cell], count) << "cell " << cell;
        EXPECT_EQ(record.discs[cell], std::min(count, geometry::PointSlots)) << "cell " << cell;
    }
    EXPECT_EQ(record.shown[WhiteTray], 0);
    EXPECT_EQ(record.shown[BlackTray], 0);
}

TEST_P(RendererSizes, MidGameCountsBarsTraysAndTallStacks) {
    const RenderRecord record = Render(MidGame(), GetParam());
    const proc::Board board = MidGameBoard();
    int total = 0;
    for (int32_t cell = 1; cell <= 26; ++cell) {
        EXPECT_EQ(record.shown[cell], std::abs(proc::Cell(board, cell))) << "cell " << cell;
        total += record.shown[cell];
    }
    EXPECT_EQ(total, 27);
    EXPECT_EQ(record.discs[6], geometry::PointSlots); // six stand as five and a count
    EXPECT_TRUE(record.texts.contains(QStringLiteral("6")));
    EXPECT_EQ(record.discs[25], 1);
    EXPECT_EQ(record.discs[26], 1);
    EXPECT_EQ(record.shown[WhiteTray], 2);
    EXPECT_EQ(record.discs[WhiteTray], 2);
    EXPECT_EQ(record.shown[BlackTray], 1);
    EXPECT_TRUE(record.texts.contains(QStringLiteral("Анна (белые)")));
    EXPECT_TRUE(record.texts.contains(QStringLiteral("Компьютер (чёрные)")));
    EXPECT_TRUE(record.texts.contains(QStringLiteral("Розыгрыш цвета: Анна 6, Компьютер 3")));
    EXPECT_TRUE(record.texts.contains(QStringLiteral("Ваш ход: выберите фишку")));
    EXPECT_EQ(record.dice, 2);
    EXPECT_EQ(record.movable, (std::vector<int32_t>{26}));
    EXPECT_TRUE(record.targets.empty());
}

INSTANTIATE_TEST_SUITE_P(Resolutions, RendererSizes,
                         ::testing::Values(QSize(320, 240), QSize(800, 600), QSize(1024, 768),
                                           QSize(1920, 1080)));

TEST(Renderer, SelectedSourceLightsItsTargets) {
    BoardModel model = MidGame();
    model.Click(26);
    const RenderRecord record = Render(model, QSize(800, 600));
    EXPECT_EQ(record.selected, 26);
    EXPECT_EQ(record.targets, (std::vector<int32_t>{20, 22}));
    EXPECT_TRUE(record.texts.contains(QStringLiteral("Ваш ход: выберите, куда пойти")));
}

TEST(Renderer, BearOffTargetLightsTheTray) {
    BoardModel model;
    proc::Board board{};
    proc::Cell(board, 3) = 1;
    proc::Cell(board, 20) = -1;
    model.Apply(StartInfo{board, "w", "b", proc::MakeDice(4, 1)});
    model.Apply(DiceInfo{White, proc::MakeDice(4, 3)});
    model.Apply(MoveListInfo{White, {{3, 27}}});
    model.Click(3);
    EXPECT_EQ(Render(model, QSize(1024, 768)).targets, (std::vector<int32_t>{27}));
}

TEST(Renderer, CheckerInFlightIsNotYetOnItsTarget) {
    BoardModel model;
    model.Apply(StartInfo{StandardBoard(), "w", "b", proc::MakeDice(4, 1)});
    model.Apply(DiceInfo{White, proc::MakeDice(6, 5)});
    const auto shown = model.Apply(MoveInfo{White, {24, 18}});
    ASSERT_TRUE(shown);
    const RenderRecord flying = Render(model, QSize(800, 600), {Flight{*shown, 0.5}, {}});
    EXPECT_TRUE(flying.flying);
    EXPECT_EQ(flying.shown[24], 1);
    EXPECT_EQ(flying.shown[18], 0);
    const RenderRecord landed = Render(model, QSize(800, 600));
    EXPECT_FALSE(landed.flying);
    EXPECT_EQ(landed.shown[18], 1);

    const auto off = model.Apply(MoveInfo{White, {6, 27}});
    EXPECT_EQ(Render(model, QSize(800, 600), {Flight{*off, 0.2}, {}}).shown[WhiteTray], 0);
    EXPECT_EQ(Render(model, QSize(800, 600)).shown[WhiteTray], 1);
}

TEST(Renderer, OutlinesWhereTheLastTurnsCheckersStood) {
    BoardModel model;
    model.Apply(StartInfo{StandardBoard(), "w", "b", proc::MakeDice(4, 1)});
    model.Apply(DiceInfo{Black, proc::MakeDice(6, 6)});
    for (int i = 0; i < 2; ++i) {
        model.Apply(MoveInfo{Black, {12, 18}});
    }
    model.Apply(MoveInfo{Black, {1, 7}});
    EXPECT_EQ(Render(model, QSize(800, 600)).traces, (std::vector<int32_t>{12, 12, 1}));
}

TEST(Renderer, StatusLines) {
    BoardModel model;
    EXPECT_EQ(BoardRenderer::StatusText(model), QStringLiteral("Ожидание начала игры…"));
    model.Apply(
        StartInfo{StandardBoard(), "Пётр (белые)", "Компьютер (чёрные)", proc::MakeDice(4, 1)});
    model.Apply(DiceInfo{White, proc::MakeDice(6, 5)});
    EXPECT_EQ(BoardRenderer::StatusText(model), QStringLiteral("Ход белых"));
    model.Apply(DiceInfo{Black, proc::MakeDice(1, 1)});
    EXPECT_EQ(BoardRenderer::StatusText(model), QStringLiteral("Белые пропускают ход. Ход чёрных"));
    model.SetGameOver();
    EXPECT_EQ(BoardRenderer::StatusText(model), QStringLiteral("Игра окончена"));
    // The notice of the view replaces the status line.
    EXPECT_TRUE(Render(model, QSize(640, 480), {std::nullopt, QStringLiteral("Связь потеряна")})
                    .texts.contains(QStringLiteral("Связь потеряна")));
}

// The winner's label as the plate shows it: a colour the message cut is whole.
// The rails number the points for one side: the person's against a
// computer, else the side to move; the toggle gives the other side's. One
// renderer draws every case, so a numbering kept from the case before shows.
TEST(Renderer, RailsShowOneNumbering) {
    const struct {
        const char* white;
        const char* black;
        std::optional<proc::Side> toMove;
        bool other;
        proc::Side numbered;
    } cases[] = {
        // clang-format off
        {"Анна (белые)",      "Компьютер (чёрные)",      Black,        false, White},
        {"Анна (белые)",      "Компьютер (чёрные)",      Black,        true,  Black},
        {"Компьютер (белые)", "Анна (чёрные)",           White,        false, Black},
        {"GNU Backgammon (белые)", "Анна (чёрные)",      std::nullopt, false, Black},
        {"Анна (белые)",      "Борис (чёрные)",          Black,        false, Black},
        {"Анна (белые)",      "Борис (чёрные)",          White,        false, White},
        {"Анна (белые)",      "Борис (чёрные)",          std::nullopt, false, White},
        {"Анна (белые)",      "Борис (чёрные)",          White,        true,  Black},
        {"Компьютер (белые)", "GNU Backgammon (чёрные)", Black,        false, Black},
        // clang-format on
    };
    BoardRenderer renderer;
    QImage image(QSize(800, 600), QImage::Format_ARGB32_Premultiplied);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.white) + " / " + c.black + (c.other ? ", other" : ""));
        BoardModel model;
        model.Apply(StartInfo{StandardBoard(), QString::fromUtf8(c.white),
                              QString::fromUtf8(c.black), proc::MakeDice(5, 2)});
        if (c.toMove) {
            model.Apply(DiceInfo{*c.toMove, proc::MakeDice(3, 1)});
        }
        QPainter painter(&image);
        ViewExtras extras;
        extras.otherNumbering = c.other;
        renderer.Paint(painter, image.size(), model, extras);
        const QStringList& rails = renderer.Record().rails;
        ASSERT_EQ(rails.size(), 24);
        // White's 1 point is the board's first; black counts it as his 24.
        EXPECT_EQ(rails.first(), c.numbered == White ? "1" : "24");
        EXPECT_EQ(rails[12], c.numbered == White ? "13" : "12");
    }
}

// The colour roll names who rolled which, the first die first.
TEST(Renderer, ColourRollNamesThePlayers) {
    const struct {
        const char* white;
        const char* black;
        proc::Dice opening;
        const char* shown; // "" for none
    } cases[] = {
        // clang-format off
        {"Иван (белые)",      "Компьютер (чёрные)", proc::MakeDice(5, 2), "Розыгрыш цвета: Иван 5, Компьютер 2"},
        {"Компьютер (белые)", "Иван (чёрные)",      proc::MakeDice(2, 5), "Розыгрыш цвета: Иван 2, Компьютер 5"},
        {"Иван (белые)",      "Компьютер (чёрные)", 0,                    ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        BoardModel model;
        model.Apply(StartInfo{StandardBoard(), QString::fromUtf8(c.white),
                              QString::fromUtf8(c.black), c.opening});
        const QStringList texts = Render(model, QSize(1024, 768)).texts;
        const QStringList rolls = texts.filter(QStringLiteral("Розыгрыш цвета"));
        EXPECT_EQ(rolls.join('|').toStdString(), c.shown) << c.white;
    }
}

TEST(Renderer, GameOverNamesTheWinner) {
    const struct {
        proc::Side winner;
        const char* status;
    } cases[] = {{White, "Игра окончена. Победа: Пётр (белые)"},
                 {Black, "Игра окончена. Победа: Александр Петрович (чёрные)"}};
    for (const auto& c : cases) {
        BoardModel model;
        proc::Board board{};
        proc::Cell(board, 1) = 1;
        proc::Cell(board, 24) = -1;
        // The black label as the start message's 20 characters left it.
        model.Apply(StartInfo{board, "Пётр (белые)", "Александр Петрович (", proc::MakeDice(4, 1)});
        const proc::Move last = c.winner == White ? proc::Move{1, 27} : proc::Move{24, 27};
        model.Apply(DiceInfo{c.winner, proc::MakeDice(1, 2)});
        model.Apply(MoveInfo{c.winner, last});
        model.SetGameOver();
        EXPECT_EQ(BoardRenderer::StatusText(model).toStdString(), c.status);
    }
}

class HitTest : public ::testing::TestWithParam<QSize> {};

TEST_P(HitTest, EveryCheckerPlaceMapsBackToItsCell) {
    const QSize size = GetParam();
    const QTransform toDevice = geometry::DesignToDevice(size);
    for (int32_t cell = 1; cell <= 26; ++cell) {
        const int last = cell <= 24 ? geometry::PointSlots : geometry::BarSlots;
        for (int slot = 0; slot < last; ++slot) {
            const QPointF p = toDevice.map(geometry::SlotCenter(cell, slot));
            EXPECT_EQ(geometry::CellAt(size, p), cell) << "cell " << cell << " slot " << slot;
        }
    }
    for (int side : {1, -1}) {
        EXPECT_EQ(geometry::CellAt(size, toDevice.map(geometry::TrayRect(side).center())), 27);
    }
    EXPECT_EQ(geometry::CellAt(size, toDevice.map(geometry::HeaderRect().center())), 0);
    EXPECT_EQ(geometry::CellAt(size, QPointF(-5, -5)), 0);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, HitTest,
                         ::testing::Values(QSize(320, 240), QSize(800, 600), QSize(1024, 768),
                                           QSize(1280, 720)));

TEST(Renderer, MidGameScreenshotForPeopleToLookAt) {
    BoardModel model = MidGame();
    model.Click(26);
    QImage image(QSize(1024, 768), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        BoardRenderer renderer;
        renderer.Paint(painter, image.size(), model, {});
    }
    const QString dir = QStringLiteral(VERTAN_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/client-midgame.png");
    ASSERT_TRUE(image.save(path, "PNG"));
    QImage back(path);
    EXPECT_EQ(back.size(), QSize(1024, 768));
    // Felt, wood and checkers: far from one flat colour.
    EXPECT_NE(back.pixel(512, 30), back.pixel(512, 384));
}

TEST(Renderer, DiceShowWhatIsLeftAndPipsStandByTheNames) {
    const struct {
        proc::Dice dice;
        std::vector<proc::Move> played;
        int faces, dimmed;
    } cases[] = {
        {proc::MakeDice(6, 5), {}, 2, 0},
        {proc::MakeDice(6, 5), {{24, 18}}, 2, 1},
        {proc::MakeDice(3, 3), {{8, 5}, {8, 5}}, 4, 2},
        {proc::MakeDice(3, 3), {{8, 5}, {8, 5}, {6, 3}, {6, 3}}, 4, 4},
    };
    for (const auto& c : cases) {
        BoardModel model;
        model.Apply(StartInfo{StandardBoard(), "w", "b", proc::MakeDice(4, 1)});
        model.Apply(DiceInfo{White, c.dice});
        for (const proc::Move& move : c.played) {
            model.Apply(MoveInfo{White, move});
        }
        const RenderRecord record = Render(model, QSize(800, 600));
        EXPECT_EQ(record.dice, c.faces);
        EXPECT_EQ(record.diceUsed, c.dimmed);
        EXPECT_TRUE(record.texts.contains(QStringLiteral("пипы: 167"))); // black's, untouched
    }
}

TEST(Renderer, FlightFramesClippedToTheCheckersPathMatchWholeFrames) {
    // The board widget repaints only FlightBounds of the last frame and the
    // next: whatever it leaves must already be right.
    const struct {
        proc::Side side;
        proc::Move move;
        QSize size;
        qreal ratio;
        double from, to;
    } cases[] = {
        {White, {26, 20}, QSize(800, 600), 1, 0.0, 0.3},     // off the bar, arcing up
        {White, {26, 22}, QSize(1920, 1080), 1, 0.45, 0.55}, // top of the arc, letterboxed
        {White, {6, 27}, QSize(1024, 768), 1, 0.7, 1.0},     // borne off into the tray
        {Black, {12, 17}, QSize(640, 480), 2, 0.2, 0.8},     // a long jump on a dense screen
        {Black, {1, 4}, QSize(320, 240), 1, 0.1, 0.12},      // a hit on the smallest board
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.move.from << "-" << c.move.to << " at " << c.from);
        BoardModel model = MidGame();
        const auto shown = model.Apply(MoveInfo{c.side, c.move});
        ASSERT_TRUE(shown);
        ViewExtras extras;
        extras.flight = Flight{*shown, c.from};
        auto canvas = [&] {
            QImage image(c.size * c.ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(c.ratio);
            image.fill(Qt::magenta);
            return image;
        };
        QImage stepped = canvas();
        BoardRenderer renderer;
        {
            QPainter painter(&stepped);
            renderer.Paint(painter, c.size, model, extras);
        }
        const QRect before = BoardRenderer::FlightBounds(c.size, model, *extras.flight);
        extras.flight->progress = c.to;
        {
            QPainter painter(&stepped);
            painter.setClipRect(
                before.united(BoardRenderer::FlightBounds(c.size, model, *extras.flight)));
            renderer.Paint(painter, c.size, model, extras);
        }
        EXPECT_TRUE(renderer.Record().flying);
        QImage whole = canvas();
        {
            QPainter painter(&whole);
            BoardRenderer fresh;
            fresh.Paint(painter, c.size, model, extras);
        }
        // Dashed outlines cut by the clip may differ by a level of antialiasing.
        EXPECT_LE(LargestDifference(stepped, whole), 2);
    }
}

// The cube on the bar: in the middle, or at its owner's edge (white sits
// below), clear of four checkers on either bar, faded in the Crawford game;
// each player's score beside the name.
TEST(Renderer, TheCubeSitsOnTheBarWhereItsOwnerIs) {
    const struct {
        MatchStateInfo state;
        int place;
        const char* face;
    } cases[] = {
        {{5, 13, 21, 1, 0, false}, 0, "64"},
        {{5, 13, 21, 2, White, false}, +1, "2"},
        {{5, 13, 21, 32, Black, false}, -1, "32"},
        {{5, 13, 21, 1, 0, true}, 0, "64"},
    };
    proc::Board board = StandardBoard();
    proc::Cell(board, proc::WhiteBar) = 4;
    proc::Cell(board, proc::BlackBar) = -4;
    const QSize size(1024, 768);
    const QTransform toDevice = geometry::DesignToDevice(size);
    BoardRenderer renderer; // one still layer for every case
    for (const auto& k : cases) {
        SCOPED_TRACE(k.face);
        BoardModel model;
        MatchModel match;
        const StartInfo start{board, QStringLiteral("Компьютер (белые)"),
                              QStringLiteral("Компьютер (чёрные)"), proc::MakeDice(4, 1)};
        model.Apply(start);
        match.Apply(start);
        match.Apply(k.state);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        renderer.Paint(painter, size, model, {std::nullopt, {}, &match});
        const RenderRecord& record = renderer.Record();
        EXPECT_EQ(record.cube, k.place);
        EXPECT_EQ(record.cubeDimmed, k.state.crawford);
        EXPECT_TRUE(record.texts.contains(QString::fromUtf8(k.face)));
        EXPECT_TRUE(record.texts.contains(QStringLiteral("13")));
        EXPECT_TRUE(record.texts.contains(QStringLiteral("21")));
        // The computer's whole label still fits beside its score.
        EXPECT_TRUE(record.texts.contains(QStringLiteral("Компьютер (чёрные)")));
        // The ivory face where the cube is; the bar's wood at the other places.
        for (int place : {-1, 0, 1}) {
            const QRectF cube = geometry::CubeRect(place);
            const QColor face =
                image.pixelColor(toDevice.map(cube.topLeft() + QPointF(8, 8)).toPoint());
            const bool ivory = face.red() > 170 && face.green() > 160 && face.blue() > 130;
            EXPECT_EQ(ivory, place == k.place && !k.state.crawford) << "place " << place;
            EXPECT_TRUE(geometry::BarRect().contains(cube));
            for (int slot = 0; slot < geometry::BarSlots; ++slot) {
                for (int32_t bar : {proc::BlackBar, proc::WhiteBar}) {
                    const QPointF checker = geometry::SlotCenter(bar, slot);
                    const double r = geometry::Checker / 2;
                    EXPECT_FALSE(
                        cube.intersects(QRectF(checker - QPointF(r, r), QSizeF(2 * r, 2 * r))))
                        << "bar " << bar << " slot " << slot;
                }
            }
        }
    }
    EXPECT_GT(geometry::CubeRect(White).top(), geometry::MiddleY());
    EXPECT_LT(geometry::CubeRect(Black).bottom(), geometry::MiddleY());
}
