// The board: paints the session's board (or a replay's), animates each echoed
// move and turns clicks and keys into cells for the session.
#pragma once

#include "client/BoardRenderer.h"
#include "client/ClientSession.h"

#include <QImage>
#include <QVariantAnimation>
#include <QWidget>

namespace client {

class BoardWidget : public QWidget {
    Q_OBJECT
  public:
    explicit BoardWidget(ClientSession& session, QWidget* parent = nullptr);

    /*! Replaces the status line (empty: the game's own status). */
    void SetNotice(const QString& notice);
    /*! The rails number the points from the other side's home than
        RailSide's own choice. */
    void SetOtherNumbering(bool other);
    bool OtherNumbering() const { return extras_.otherNumbering; }
    /*! The board as it stands, without a checker in flight. */
    QImage Snapshot(QSize size) const;
    const BoardRenderer& Renderer() const { return renderer_; }
    /*! Shows another model (a replay); nullptr: the session's again. Clicks
        and keys play only on the session's. */
    void ShowModel(const BoardModel* model);
    const BoardModel& Shown() const { return shown_ ? *shown_ : session_.Model(); }
    /*! Redraws and retells the shown model. */
    void Refresh();
    /*! Animates a move of the shown model. */
    void StartFlight(const ShownMove& shown);
    bool Animating() const { return extras_.flight.has_value(); }

    /*! How long a checker takes from source to target. */
    static constexpr int FlightMs = 420;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    bool Playing() const { return !shown_ && session_.Model().AwaitingPerson(); }

    ClientSession& session_;
    BoardRenderer renderer_;
    ViewExtras extras_;
    QVariantAnimation flight_;
    const BoardModel* shown_ = nullptr;
};

} // namespace client
