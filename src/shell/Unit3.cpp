#include "shell/Unit3.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"

#include <QCloseEvent>
#include <QDir>
#include <QSignalBlocker>

using namespace shell;

TForm3* Form3 = nullptr;

TForm3::TForm3(const QString& portText, QWidget* parent) : TForm3(parent) {
    DropErrors([&] { FormCreate(portText); });
}

TForm3::TForm3(const ConfigEditor& config, bool set, QWidget* parent) : TForm3(parent) {
    Config = config;
    DropErrors([&] {
        LoadBackground(this, DialogBackground, BackgroundDrawing::Transparent);
        ShowConfig(set);
    });
}

TForm3::TForm3(QWidget* parent)
    : TFormBase(QStringLiteral("Настройки"), QSize(368, 169), Frame::Dialog, parent) {
    Label1 = AddLabel(QStringLiteral("Выберите настроки по вашему вкусу"), {10, 10}, 19,
                      QColor(255, 255, 0));
    Label2 = AddLabel(QStringLiteral("Разрешение экрана"), {18, 42}, 19, QColor(255, 255, 255));
    Label3 = AddLabel(QStringLiteral("Полноэкранный режим"), {18, 82}, 19, QColor(255, 255, 255));
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems(ResolutionNames());
    ComboBox1->setGeometry(248, 48, 105, ComboBox1->sizeHint().height());
    ComboBox1->setCurrentIndex(0);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setGeometry(248, 88, 15, 17);
    Button1 = AddButton(QStringLiteral("Назад"), QRect(128, 128, 113, 25));
    setTabOrder(ComboBox1, CheckBox1);
    setTabOrder(CheckBox1, Button1);

    // Only the user's choices run the handlers; the start-up scan sets the
    // controls with their signals blocked.
    connect(ComboBox1, &QComboBox::activated, this, Dropping(this, &TForm3::ComboBox1Change));
    connect(CheckBox1, &QCheckBox::toggled, this, Dropping(this, &TForm3::CheckBox1Click));
    connect(Button1, &QPushButton::clicked, this, Dropping(this, &TForm3::Button1Click));
}

void TForm3::FormCreate(const QString& portText) {
    LoadBackground(this, DialogBackground,
                   BackgroundDrawing::Transparent); // not guarded: a failure skips the rest
    ShowConfig(ReadConfig(Config, portText));
}

bool TForm3::ReadConfig(ConfigEditor& config, const QString& portText) {
    const QString path = ProgramPath(QStringLiteral("\\Config.cfg"));
    try {
        config.ConfigText.LoadFromFile(path);
        QDir::setCurrent(ProgramFolder);
        if (config.ConfigText.IsEmpty()) {
            ShowNotice(QStringLiteral("Файл Config.cfg имеет неправильный формат!"));
            RequestProgramEnd();
            return false;
        }
        config.Scan(portText, [&config, path] { config.ConfigText.SaveToFile(path); });
    } catch (const std::exception&) {
        ShowNotice(QStringLiteral("Не найден файл Config.cfg!"));
        RequestProgramEnd();
    }
    return true;
}

void TForm3::ShowConfig(bool set) {
    if (!set)
        return;
    const QSignalBlocker comboBlocker(ComboBox1);
    const QSignalBlocker checkBlocker(CheckBox1);
    ComboBox1->setCurrentIndex(Config.Resolution);
    CheckBox1->setChecked(Config.FullScreen);
}

void TForm3::ComboBox1Change() {
    Config.ComboBox1Change(ComboBox1->currentIndex());
}

void TForm3::CheckBox1Click() {
    Config.CheckBox1Click(CheckBox1->isChecked());
}

void TForm3::Button1Click() {
    close();
}

void TForm3::FormClose() {
    if (!Config.ConfigText.IsEmpty())
        SaveConfig();
}

void TForm3::SaveConfig() {
    Config.ConfigText.SaveToFile(ProgramPath(QStringLiteral("\\Config.cfg")));
}

void TForm3::closeEvent(QCloseEvent* event) {
    // A failing save goes to the sink and abandons the close.
    bool saved = false;
    DropErrors([&] {
        FormClose();
        saved = true;
    });
    event->setAccepted(saved);
}
