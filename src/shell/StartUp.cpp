#include "shell/StartUp.h"
#include "desktop/QtTranslation.h"
#include "net/TDM.h"
#include "shell/FormBase.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"
#include "shell/Unit3.h"
#include "shell/Unit4.h"

#include "shell/DbMenuActions.h"

#include <QApplication>
#include <QTimer>

namespace shell {

Program::Program() {
    Create(objects_, Form1);
    Create(objects_, net::DM);
    Create(objects_, Form2, *net::DM);
    Create(objects_, Form3, Form1->OptionsText.Line(3));
    Create(objects_, Form4);
    CreateDatabaseObjects(objects_); // TDModule, TForm5, TForm7, TForm8
}

Program::~Program() {
    while (!objects_.empty())
        objects_.pop_back();
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    net::DM = nullptr;
    Form1 = nullptr;
}

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
    Program program;
    if (ProgramEndRequested())
        return 0;
    // exit(), not quit(): quit() closes every open window first, which would
    // run their close handlers (the settings dialog would save its choices,
    // a failing save would even cancel the end). The other windows simply
    // disappear with the main window.
    const auto end = [] { QCoreApplication::exit(0); };
    QObject::connect(Form1, &TForm1::Closed, qApp, end, Qt::QueuedConnection);
    Form1->ShowCentred();
    if (quitWhenShown)
        QTimer::singleShot(0, qApp, end);
    qApp->exec();
    return 0;
}

} // namespace shell
