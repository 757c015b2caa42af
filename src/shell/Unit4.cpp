#include "shell/Unit4.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"
#include "shell/RtfReader.h"
#include "shell/ShellOpen.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace shell;

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : TForm4(Controls{}, parent) {
    DropErrors([this] { FormCreate(); });
}

TForm4::TForm4(const std::optional<QByteArray>& about, QWidget* parent)
    : TForm4(Controls{}, parent) {
    DropErrors([&] {
        LoadBackground(this, DialogBackground, BackgroundDrawing::Transparent);
        ShowAbout(about);
    });
}

TForm4::TForm4(Controls, QWidget* parent)
    : TFormBase(QStringLiteral("О программе"), QSize(417, 409), Frame::Dialog, parent) {
    AboutText = new QTextEdit(this);
    AboutText->setGeometry(8, 8, 401, 233);
    AboutText->setReadOnly(true);
    AboutText->setFrameShape(QFrame::NoFrame);
    AboutText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AboutText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const QColor yellow(255, 255, 0);
    Label1 = AddLabel(QStringLiteral("Сайты разработчиков:"), {8, 248}, 15, yellow);
    Label2 = AddLink(about::FirstSite, {184, 248});
    Label6 = AddLink(about::SecondSite, {184, 272});
    Label3 = AddLabel(QStringLiteral("Замечания и предложения:"), {8, 296}, 15, yellow);
    Label4 = AddLink(about::MailShown, {224, 296});
    Button2 = AddButton(QStringLiteral("Руководство пользователя"), QRect(112, 336, 185, 25));
    Button1 = AddButton(QStringLiteral("Назад"), QRect(112, 368, 185, 25));
    setTabOrder(AboutText, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, Dropping(this, &TForm4::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Dropping(this, &TForm4::Button2Click));
    connect(Label2, &TLabel::Click, this, Dropping(this, &TForm4::Label2Click));
    connect(Label6, &TLabel::Click, this, Dropping(this, &TForm4::Label6Click));
    connect(Label4, &TLabel::Click, this, Dropping(this, &TForm4::Label4Click));
}

TLabel* TForm4::AddLink(const QString& text, QPoint pos) {
    TLabel* label = AddLabel(text, pos, 15, QColor(0, 255, 255));
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->adjustSize();
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

void TForm4::FormCreate() {
    LoadBackground(this, DialogBackground,
                   BackgroundDrawing::Transparent); // not guarded: a failure skips the about text
    ShowAbout(ReadAbout());
}

std::optional<QByteArray> TForm4::ReadAbout() {
    QFile file(ProgramPath(QStringLiteral("\\Data\\About.rtf")));
    // A file that opens but cannot be read is as unusable as a missing one.
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        ShowNotice(QStringLiteral("Не найден файл About.rtf!"));
        RequestProgramEnd();
        return std::nullopt;
    }
    return content;
}

void TForm4::ShowAbout(const std::optional<QByteArray>& about) {
    if (!about)
        return;
    LoadRichOrPlainText(*about, AboutText->document());
    AboutText->moveCursor(QTextCursor::Start);
}

void TForm4::Button1Click() {
    hide();
}

void TForm4::Button2Click() {
    QDir::setCurrent(ProgramFolder);
    switch (ShellOpen(QStringLiteral("Data\\Help.htm"))) {
    case ShellOutOfResources:
        ShowError(QStringLiteral("Недостаточно памяти или других ресурсов!"));
        break;
    case ShellFileNotFound:
        ShowError(QStringLiteral("Не найден файл Help.htm!"));
        break;
    case ShellPathNotFound:
        ShowError(QStringLiteral("Не найден путь к файлу Help.htm!"));
        break;
    case ShellBadFormat:
        ShowError(QStringLiteral("Неправильный формат файла Help.htm!"));
        break;
    case ShellNoAssociation:
        ShowError(QStringLiteral("Не удалось открыть руководство пользователя: не найден "
                                 "браузер. Откройте в браузере файл\n") +
                  HelpFilePath());
        break;
    default:
        // A browser started for root often refuses to run and says so only
        // on its own terminal.
        if (geteuid() == 0)
            ShowNotice(QStringLiteral("Программа работает от имени root, а многие браузеры от его "
                                      "имени не запускаются. Если руководство не открылось, "
                                      "откройте в браузере файл\n") +
                       HelpFilePath());
        break;
    }
}

QString TForm4::HelpFilePath() {
    return QDir(ProgramFolder).absoluteFilePath(QStringLiteral("Data/Help.htm"));
}

// Link failures are silent.
void TForm4::Label2Click() {
    OpenWebAddress(about::FirstSite);
}
void TForm4::Label6Click() {
    OpenWebAddress(about::SecondSite);
}
void TForm4::Label4Click() {
    ShellOpen(about::MailLink);
}
