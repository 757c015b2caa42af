// Main menu: the program's main window. Its creation reads the options file;
// its labels open the other windows.
#pragma once

#include "shell/FormBase.h"
#include "text/LineBuffer.h"

#include <array>

class TForm1 : public shell::TFormBase {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);

    shell::TLabel* Label1; // title "ВЕРТАН"
    shell::TLabel* Label2; // "Новая игра"
    shell::TLabel* Label3; // "Регистрация нового игрока"
    shell::TLabel* Label4; // "Рейтинги игроков"
    shell::TLabel* Label5; // "Настройки"
    shell::TLabel* Label6; // "О программе"
    shell::TLabel* Label7; // "Выход"
    shell::TLabel* Label8; // "Турнир"
    text::LineBuffer OptionsText;

    /*! The options step: ProgramFolder, the options file into OptionsText and
        the options, the menu picture, the menu colour. Any failure: the notice
        "Не найден файл Options.cfg!" and the program ends after start-up. */
    void FormCreate();

    /*! Hover family: label n (2..8) turns red, the other menu labels take
        MenuColor; leaving label n gives it MenuColor. */
    void LabelMouseMove(int n);
    void LabelMouseLeave(int n);

    void Label2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label7Click();
    /*! Opens the tournament window in place of the menu. */
    void Label8Click();

  signals:
    /*! The main window closed: the program ends. */
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    shell::TLabel* MenuLabel(int n) const;
    std::array<shell::TLabel*, 7> menuLabels_{};
};

extern TForm1* Form1;
