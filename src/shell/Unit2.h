// New game dialog. Placeholder frame until the game dialog lands: caption,
// size and background only.
#pragma once

#include "shell/FormBase.h"

class TForm2 : public shell::TFormBase {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm2* Form2;
