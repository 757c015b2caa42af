#include "shell/Unit2.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : TFormBase(QStringLiteral("Новая игра"), QSize(343, 192), Frame::Dialog, parent) {
    shell::DropErrors([this] { FormCreate(); });
}

void TForm2::FormCreate() {
    shell::LoadBackground(this, shell::DialogBackground);
}
