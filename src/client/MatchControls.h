// The person's buttons of a match, laid over the board: the cube's turn
// ("Удвоить", "Бросить кости"), the answers to a double or a resignation, and
// resigning at a level. Each is shown only while the session offers it, and
// each has a key. A single game never shows any.
#pragma once

#include "client/ClientSession.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QWidget>
#include <array>

namespace client {

class MatchControls : public QWidget {
    Q_OBJECT
  public:
    /*! Lays itself over board (its parent) and follows its size. */
    MatchControls(ClientSession& session, QWidget* board);

    /*! "Сдаться": the levels take the place of the buttons. */
    void ChooseResignLevel();
    /*! "Отмена": back from the levels. */
    void CancelResign();
    /*! The buttons the person sees now, in order (tests and the reader). */
    QList<QPushButton*> Shown() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPushButton* Add(const QString& text, const QKeySequence& key,
                     const std::function<void()>& action);
    void Update();
    void Place();

    ClientSession& session_;
    QBoxLayout* layout_ = nullptr;
    QPushButton* double_ = nullptr;
    QPushButton* roll_ = nullptr;
    QPushButton* take_ = nullptr;
    QPushButton* pass_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* refuse_ = nullptr;
    QPushButton* resign_ = nullptr;
    std::array<QPushButton*, 3> levels_{};
    QPushButton* cancel_ = nullptr;
    bool choosingLevel_ = false;
};

} // namespace client
