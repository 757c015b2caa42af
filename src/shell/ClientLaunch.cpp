#include "shell/ClientLaunch.h"

#include "shell/AppOptions.h"
#include "shell/ShellOpen.h"

#include <QDir>

namespace shell {

// The launch errors always name the client as the user knows it.
QString ClientLaunchError(int shellResult) {
    switch (shellResult) {
    case ShellOutOfResources:
        return QStringLiteral("Недостаточно памяти для запуска программы!");
    case ShellFileNotFound:
        return QStringLiteral("Не найден файл tolvaner.exe!");
    case ShellPathNotFound:
        return QStringLiteral("Не найден путь к файлу tolvaner.exe!");
    case ShellBadFormat:
        return QStringLiteral("Неправильный формат файла tolvaner.exe!");
    default:
        // Any other failure of the shell (access denied, no association):
        // reported too, instead of waiting for a client that never starts.
        return shellResult <= 32 ? QStringLiteral("Не удалось запустить программу tolvaner.exe!")
                                 : QString();
    }
}

int StartClientOnGame(const QString& gameFile) {
    QDir::setCurrent(ProgramFolder);
    return ShellStart(ClientPath, {QStringLiteral("--open"), gameFile});
}

} // namespace shell
