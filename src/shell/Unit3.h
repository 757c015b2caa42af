// Client settings: resolution and full-screen mode of the board client,
// kept in its Config.cfg; the server port is written there at every start.
#pragma once

#include "shell/ConfigEditor.h"
#include "shell/FormBase.h"

#include <QCheckBox>
#include <QComboBox>

class TForm3 : public shell::TFormBase {
    Q_OBJECT
  public:
    /*! portText: the options file's port line, copied verbatim into Config.cfg. */
    explicit TForm3(const QString& portText, QWidget* parent = nullptr);
    /*! Config.cfg as ReadConfig read it; set: whether the controls show it. */
    TForm3(const shell::ConfigEditor& config, bool set, QWidget* parent = nullptr);

    /*! Reads Config.cfg into config and writes the port line, telling a
        missing or bad file as FormCreate does. Returns whether the controls
        are to show what was read. */
    static bool ReadConfig(shell::ConfigEditor& config, const QString& portText);

    shell::TLabel* Label1;
    shell::TLabel* Label2;
    shell::TLabel* Label3;
    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
    shell::ConfigEditor Config; // ConfigText and VideoLine

    /*! Background, then reads Config.cfg, sets the controls from it and writes
        the port line. Notices "Файл Config.cfg имеет неправильный формат!"
        (empty file) and "Не найден файл Config.cfg!" (unreadable file or
        failed save) end the program after start-up. */
    void FormCreate(const QString& portText);
    void ComboBox1Change();
    void CheckBox1Click();
    void Button1Click();
    /*! Writes the buffer back unless it is empty. Throws on a failed save. */
    void FormClose();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    explicit TForm3(QWidget* parent);
    /*! The controls from Config when set. */
    void ShowConfig(bool set);
    void SaveConfig();
};

extern TForm3* Form3;
