// About and help: the about text, the user guide and the developers' links.
#pragma once

#include "shell/FormBase.h"

#include <QTextEdit>
#include <optional>

/*! The developers' addresses: two web sites, the mail link and the address
    shown for it. */
namespace about {
inline const QString FirstSite = QStringLiteral("www.vertan-game.ru");
inline const QString SecondSite = QStringLiteral("www.nardy-vertan.ru");
inline const QString MailLink = QStringLiteral("mailto:support@vertan-game.ru");
inline const QString MailShown = QStringLiteral("support@vertan-game.ru");
} // namespace about

class TForm4 : public shell::TFormBase {
    Q_OBJECT
  public:
    explicit TForm4(QWidget* parent = nullptr);
    /*! With Data/About.rtf as ReadAbout read it (none: it could not be read). */
    explicit TForm4(const std::optional<QByteArray>& about, QWidget* parent = nullptr);

    /*! Data/About.rtf's content; none, after the notice FormCreate gives,
        when it cannot be read. */
    static std::optional<QByteArray> ReadAbout();

    QTextEdit* AboutText;
    shell::TLabel* Label1;
    shell::TLabel* Label2;
    shell::TLabel* Label6;
    shell::TLabel* Label3;
    shell::TLabel* Label4;
    QPushButton* Button2;
    QPushButton* Button1;

    /*! Background, then Data/About.rtf (rich text, or plain text when it is
        not RTF). A missing file: notice "Не найден файл About.rtf!" and the
        program ends after start-up. */
    void FormCreate();
    void Button1Click();
    /*! Opens "Data\Help.htm" from the program folder; error boxes for the
        shell results 0, 2, 3 and 11, and with the file's path when there is
        no browser; run as root, a notice with the path (the browser may
        refuse root). */
    void Button2Click();
    /*! The absolute path of the user manual. */
    static QString HelpFilePath();
    void Label2Click();
    void Label6Click();
    void Label4Click();

  private:
    struct Controls {};
    TForm4(Controls, QWidget* parent);
    void ShowAbout(const std::optional<QByteArray>& about);
    shell::TLabel* AddLink(const QString& text, QPoint pos);
};

extern TForm4* Form4;
