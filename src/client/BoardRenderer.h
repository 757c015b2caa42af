// Draws the board with QPainter onto any paint device, and records what it
// was asked to draw so tests can count checkers without looking at pixels.
#pragma once

#include "client/BoardModel.h"
#include "client/MatchModel.h"

#include <QImage>
#include <QPainter>
#include <QSize>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace client {

/*! A move echo on its way: progress 0 (at the source) to 1 (landed). */
struct Flight {
    ShownMove shown;
    double progress = 0;
};

/*! What the view adds to the model. */
struct ViewExtras {
    std::optional<Flight> flight;
    /*! Replaces the status line (connecting, connection failed). */
    QString notice;
    /*! The match around the game: its score, cube and status. */
    const MatchModel* match = nullptr;
    /*! The rails show the other side's numbering than RailSide's own choice. */
    bool otherNumbering = false;
};

/*! Index 27 of the cell tables: white's tray; 28: black's tray. */
constexpr int WhiteTray = 27;
constexpr int BlackTray = 28;

struct RenderRecord {
    std::array<int, 29> shown{};  // checkers each cell stands for (count badges included)
    std::array<int, 29> discs{};  // checker shapes painted per cell
    QStringList texts;            // every text painted
    std::vector<int32_t> movable; // sources ringed as movable
    std::vector<int32_t> targets; // cells lit as targets (27: the tray)
    std::optional<int32_t> selected;
    std::vector<int32_t> traces;    // sources of the last turn's moves, outlined
    bool flying = false;            // a checker drawn in flight
    int dice = 0;                   // dice faces painted
    int diceUsed = 0;               // of them dimmed as played
    std::optional<int32_t> focused; // the keyboard's cell, ringed
    QStringList rails;              // the numbers on the rails, board points 1..24
    std::optional<int> cube;        // the cube's place: 0 the middle, +1 white's edge, -1 black's
    bool cubeDimmed = false;        // out of play (the Crawford game)
};

class BoardRenderer {
  public:
    /*! Paints the whole area (letterboxed in wood when its shape is not 4:3),
        as far as the painter's clip lets it: a flight's later frames need only
        FlightBounds of the frame before and of their own. */
    void Paint(QPainter& painter, QSize area, const BoardModel& model, const ViewExtras& extras);
    /*! Where the flight's checker (shadow included) is drawn, in the area's
        coordinates. */
    static QRect FlightBounds(QSize area, const BoardModel& model, const Flight& flight);
    const RenderRecord& Record() const { return record_; }

    /*! The status line for a model: whose turn, a pass, the person's prompt, the end. */
    static QString StatusText(const BoardModel& model);
    /*! The status line as painted: the notice, else the match's around the model's. */
    static QString StatusLine(const BoardModel& model, const ViewExtras& extras);

  private:
    static QPointF FlightCentre(const BoardModel& model, const Flight& flight);
    void PaintStill(QPainter& painter, QSize area, proc::Side rails);
    void PaintTable(QPainter& p, QSize area);
    void PaintBoard(QPainter& p);
    void PaintPointNumbers(QPainter& p, proc::Side side);
    void PaintHeader(QPainter& p, const BoardModel& model, const MatchModel* match);
    void PaintScore(QPainter& p, const QRectF& badge, int score);
    void PaintCube(QPainter& p, const MatchModel& match);
    void PaintMatchLine(QPainter& p, const QRectF& box, const MatchModel& match);
    void PaintFooter(QPainter& p, const BoardModel& model, const ViewExtras& extras);
    void PaintCheckers(QPainter& p, const BoardModel& model, const ViewExtras& extras);
    void PaintTrays(QPainter& p, const BoardModel& model, const ViewExtras& extras);
    void PaintHighlights(QPainter& p, const BoardModel& model);
    void PaintTraces(QPainter& p, const BoardModel& model);
    void PaintRings(QPainter& p, const BoardModel& model);
    void PaintDice(QPainter& p, const BoardModel& model);
    void PaintFocus(QPainter& p, const BoardModel& model);
    void PaintFlight(QPainter& p, const BoardModel& model, const Flight& flight);
    void PaintChecker(QPainter& p, QPointF centre, int side, double alpha = 1);
    static void DrawChecker(QPainter& p, QPointF centre, int side);
    void PaintText(QPainter& p, const QRectF& box, int flags, const QString& text);

    RenderRecord record_;
    QImage still_; // the unchanging layer at the last size and numbering
    proc::Side stillRails_ = proc::White;
    QStringList rails_;
    struct Sprite {
        double scale = 0;
        QImage image;
    };
    std::array<Sprite, 2> sprites_; // a checker of each side at the last scale
};

} // namespace client
