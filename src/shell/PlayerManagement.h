// "Управление игроками": the administrator's corrections of the club's data
// from the ratings window: rename, merge, points, reversal of a game, and
// registration of a name the registration window cannot take.
#pragma once

#include "shell/FormBase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <functional>

namespace db {
class TDModule;
}

namespace shell {

class TPlayerManagement : public TFormBase {
    Q_OBJECT
  public:
    explicit TPlayerManagement(db::TDModule& module, QWidget* parent = nullptr);

    TLabel* Label1;          // "Игрок: <name>"
    QLineEdit* NewName;      // rename
    QComboBox* MergeInto;    // the player this row is a second row of
    QSpinBox* Points;        // set points
    QSpinBox* GameCode;      // reverse a game
    QLineEdit* RegisterName; // any name
    QLineEdit* Reason;
    QPushButton* RenameButton;
    QPushButton* MergeButton;
    QPushButton* PointsButton;
    QPushButton* ReverseButton;
    QPushButton* RegisterButton;
    QPushButton* Button1; // "Назад"

    /*! Shows the window for the player of that name with those points, the
        other people in the merge list. Throws db::DbError. */
    void OpenFor(const QString& name, qint64 points);

    /*! Called after every correction made (the ratings grid reads again). */
    std::function<void()> Corrected;

  private:
    /*! Asks, runs one correction, tells a refusal in an error box in its
        own words and a failure with the engine's text, and a success in a
        notice. */
    void Run(const QString& question, const std::function<void()>& correction);

    db::TDModule& module_;
    QString player_;
};

} // namespace shell
