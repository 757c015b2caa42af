#include "shell/Unit1.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"
#include "shell/StartUp.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"
#include "shell/Unit9.h"
#include "text/NumberText.h"

#include "shell/DbMenuActions.h"

#include <QCloseEvent>
#include <QDir>
#include <stdexcept>

using namespace shell;

TForm1* Form1 = nullptr;

namespace {
const QColor Yellow(255, 255, 0);
const QColor Lime(0, 255, 0);
constexpr int32_t HoverColor = 255; // pure red in the colour encoding
} // namespace

TForm1::TForm1(QWidget* parent)
    : TFormBase(QStringLiteral("Главное меню"), QSize(569, 441), Frame::MainWindow, parent) {
    Label1 = AddLabel(QStringLiteral("ВЕРТАН"), {112, 16}, 61, Lime);
    Label2 = AddLabel(QStringLiteral("Новая игра"), {216, 128}, 24, Yellow);
    Label3 = AddLabel(QStringLiteral("Регистрация нового игрока"), {120, 178}, 24, Yellow);
    Label4 = AddLabel(QStringLiteral("Рейтинги игроков"), {176, 228}, 24, Yellow);
    Label5 = AddLabel(QStringLiteral("Настройки"), {216, 278}, 24, Yellow);
    Label6 = AddLabel(QStringLiteral("О программе"), {200, 328}, 24, Yellow);
    Label7 = AddLabel(QStringLiteral("Выход"), {240, 378}, 24, Yellow);
    // Below the others, smaller, so the menu keeps its places.
    Label8 = AddLabel(QStringLiteral("Турнир"), {456, 404}, 18, Yellow);
    menuLabels_ = {Label2, Label3, Label4, Label5, Label6, Label7, Label8};

    for (int n = 2; n <= 8; ++n) {
        TLabel* label = MenuLabel(n);
        label->setMouseTracking(true);
        connect(label, &TLabel::MouseMove, this, [this, n] { LabelMouseMove(n); });
        connect(label, &TLabel::MouseLeave, this, [this, n] { LabelMouseLeave(n); });
    }
    // The title behaves as "Новая игра".
    Label1->setMouseTracking(true);
    connect(Label1, &TLabel::MouseMove, this, [this] { LabelMouseMove(2); });
    connect(Label1, &TLabel::MouseLeave, this, [this] { LabelMouseLeave(2); });

    connect(Label1, &TLabel::Click, this, Dropping(this, &TForm1::Label2Click));
    connect(Label2, &TLabel::Click, this, Dropping(this, &TForm1::Label2Click));
    connect(Label3, &TLabel::Click, this, Dropping(this, &TForm1::Label3Click));
    connect(Label4, &TLabel::Click, this, Dropping(this, &TForm1::Label4Click));
    connect(Label5, &TLabel::Click, this, Dropping(this, &TForm1::Label5Click));
    connect(Label6, &TLabel::Click, this, Dropping(this, &TForm1::Label6Click));
    connect(Label7, &TLabel::Click, this, Dropping(this, &TForm1::Label7Click));
    connect(Label8, &TLabel::Click, this, Dropping(this, &TForm1::Label8Click));

    DropErrors([this] { FormCreate(); });
}

TLabel* TForm1::MenuLabel(int n) const {
    return menuLabels_.at(static_cast<size_t>(n - 2));
}

void TForm1::FormCreate() {
    ProgramFolder = QDir::currentPath();
    try {
        OptionsText.LoadFromFile(ProgramPath(QStringLiteral("\\Data\\Options.cfg")));
        const auto color = text::ParseColorText(OptionsText.Line(0));
        if (!color)
            throw std::runtime_error("menu colour");
        MenuColor = *color;
        MenuBackground = OptionsText.Line(1);
        DialogBackground = OptionsText.Line(2);
        const auto port = text::ParseIntegerText(OptionsText.Line(3));
        if (!port)
            throw std::runtime_error("server port");
        ServerPort = *port;
        ClientPath = OptionsText.Line(4);
        LoadBackground(this, MenuBackground);
        for (TLabel* label : menuLabels_)
            SetLabelColor(label, ToQColor(MenuColor));
    } catch (const std::exception&) {
        ShowNotice(QStringLiteral("Не найден файл Options.cfg!"));
        RequestProgramEnd();
    }
}

void TForm1::LabelMouseMove(int n) {
    for (int k = 2; k <= 8; ++k)
        SetLabelColor(MenuLabel(k), ToQColor(k == n ? HoverColor : MenuColor));
}

void TForm1::LabelMouseLeave(int n) {
    SetLabelColor(MenuLabel(n), ToQColor(MenuColor));
}

void TForm1::Label2Click() {
    CompleteStartUp();
    Form2->ShowCentred();
    hide();
}

void TForm1::Label3Click() {
    CompleteStartUp();
    OpenRegistration();
}

void TForm1::Label4Click() {
    CompleteStartUp();
    OpenRatings();
}

void TForm1::Label5Click() {
    CompleteStartUp();
    Form3->ShowCentred();
}

void TForm1::Label6Click() {
    CompleteStartUp();
    Form4->ShowCentred();
}

void TForm1::Label7Click() {
    close();
}

void TForm1::Label8Click() {
    CompleteStartUp();
    if (!Form9)
        return;
    Form9->OpenTournaments();
    hide();
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}
