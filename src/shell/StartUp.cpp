#include "shell/StartUp.h"
#include "db/Unit6.h"
#include "desktop/QtTranslation.h"
#include "net/TDM.h"
#include "shell/AppOptions.h"
#include "shell/Background.h"
#include "shell/ExceptionSink.h"
#include "shell/FormBase.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"
#include "shell/Unit9.h"

#include "shell/DbMenuActions.h"

#include <QApplication>
#include <QTimer>
#include <optional>

namespace shell {

namespace {
// Program whose other windows are still to come.
Program* pendingRest = nullptr;
} // namespace

// What the settings and about windows read at start-up, read ahead of them.
struct Program::Files {
    ConfigEditor config;
    bool configShown = false;
    std::optional<QByteArray> about;
    std::optional<db::DatabaseChoice> database; // a file, connected with the rest
};

Program::Program(Start start) {
    Create(objects_, Form1);
    Create(objects_, net::DM);
    if (start == Start::Whole) {
        Create(objects_, Form2, *net::DM);
        Create(objects_, Form3, Form1->OptionsText.Line(3));
        Create(objects_, Form4);
        CreateDatabaseObjects(objects_); // TDModule, TForm5, TForm7, TForm8
        CreateTournamentWindow();
        return;
    }
    // The files in the order the windows read them; a dialog picture that
    // cannot be read skips both, as it does in those windows.
    files_ = std::make_unique<Files>();
    pendingRest = this;
    DropErrors([this] {
        CheckBackground(DialogBackground);
        files_->configShown = TForm3::ReadConfig(files_->config, Form1->OptionsText.Line(3));
        files_->about = TForm4::ReadAbout();
    });
    files_->database = CreateToldDatabaseModule(objects_);
}

void Program::CreateRest() {
    if (!files_)
        return;
    const std::unique_ptr<Files> files = std::move(files_);
    pendingRest = nullptr;
    Create(objects_, Form2, *net::DM);
    Create(objects_, Form3, files->config, files->configShown);
    Create(objects_, Form4, files->about);
    if (files->database)
        CreateDatabaseModule(objects_, *files->database);
    CreateDatabaseWindows(objects_);
    CreateTournamentWindow();
}

void Program::CreateTournamentWindow() {
    if (!db::DModule)
        return;
    Create(objects_, Form9, *db::DModule);
    Form2->PairingOver = [](const QString& pairing, bool played) {
        if (Form9)
            Form9->GameOver(pairing, played);
    };
}

void CompleteStartUp() {
    if (pendingRest)
        pendingRest->CreateRest();
}

Program::~Program() {
    if (pendingRest == this)
        pendingRest = nullptr;
    while (!objects_.empty())
        objects_.pop_back();
    Form9 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    net::DM = nullptr;
    Form1 = nullptr;
}

namespace {

// Queues the rest of the program once the main menu's first frame is painted
// (or ends the loop there, when only the start-up is timed).
class RestAfterFirstFrame : public QObject {
  public:
    RestAfterFirstFrame(Program& program, bool quitWhenShown)
        : program_(program), quitWhenShown_(quitWhenShown) {
        Form1->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == Form1) {
            Form1->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                if (quitWhenShown_)
                    QCoreApplication::exit(0);
                else
                    program_.CreateRest();
            });
        }
        return false;
    }

  private:
    Program& program_;
    bool quitWhenShown_;
};

} // namespace

void PrepareApplication() {
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitution();
    desktop::InstallQtTranslation();
}

int RunProgram(bool quitWhenShown) {
    PrepareApplication();
    // The board client takes its options from TOLVANER_ARGS when started
    // without any; only the demo sets them. One left in the user's
    // environment ("--auto") would play the person's moves.
    qunsetenv("TOLVANER_ARGS");
    Program program(Program::Start::MenuFirst);
    if (ProgramEndRequested())
        return 0;
    // exit(), not quit(): quit() closes every open window first, which would
    // run their close handlers (the settings dialog would save its choices,
    // a failing save would even cancel the end). The other windows simply
    // disappear with the main window.
    const auto end = [] { QCoreApplication::exit(0); };
    QObject::connect(Form1, &TForm1::Closed, qApp, end, Qt::QueuedConnection);
    // The other windows come once the menu's first frame is painted, or
    // when the menu first opens one of them, whichever is first.
    RestAfterFirstFrame rest(program, quitWhenShown);
    Form1->ShowCentred();
    qApp->exec();
    return 0;
}

} // namespace shell
