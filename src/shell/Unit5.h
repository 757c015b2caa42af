// Registration of a new player.
#pragma once

#include "shell/FormBase.h"

#include <QLineEdit>

namespace db {
class TDModule;
}

class TForm5 : public shell::TFormBase {
    Q_OBJECT
  public:
    /*! Builds the window and runs FormCreate; a failing background is dropped. */
    explicit TForm5(db::TDModule& module, QWidget* parent = nullptr);
    ~TForm5() override;

    shell::TLabel* Label1;
    QLineEdit* Edit1;
    shell::TLabel* Label2;
    shell::TLabel* Label3;
    QPushButton* Button1; // "Назад"
    QPushButton* Button2; // "Зарегистрировать"

    /*! The Windows-1251 codes a name may hold: Latin letters 65..122 (with the
        six signs between them) and Cyrillic letters 192..255. */
    static bool IsNameChar(QChar c);
    /*! The text without every character a name may not hold. */
    static QString FilterName(const QString& text);
    /*! Whether a name that the database does not hold may be registered: not
        empty and not a computer's name in the lists ("Компьютер", the engine's). */
    static bool FreeName(const QString& name);

    /*! The background. Throws shell::PictureError. */
    void FormCreate();
    /*! The typed-character filter: a key that is not backspace or a name
        character becomes 0, which the name box ignores. (In the name box,
        Enter presses an enabled Button2 and Ctrl+A selects the whole name.) */
    void Edit1KeyPress(QChar& key);
    /*! The name check: Button2 is enabled when the name is not registered and
        FreeName. Throws db::DbError (Button2 keeps its
        state); the window tells a server out of reach once per visit. */
    void Edit1Change();
    /*! Registers the name with 0 points, tells the user how to take part and
        hides. A failure is told in an error box and the window stays open:
        a name another launcher registered meanwhile in the program's words,
        a server out of reach as such, anything else with the engine's text. */
    void Button2Click();
    void Button1Click();

    /*! The main menu's Label3Click: clears the name, disables Button2, centres
        and shows the window with the focus in the name box. */
    void OpenRegistration();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /*! After a failed registration: the name is registered now (by another
        launcher at the same moment). Leaves Button2 disabled then. */
    bool NameTakenMeanwhile();

    db::TDModule& module_;
    bool serverAwayTold_ = false; // this visit has told the server is away
};

extern TForm5* Form5;
