#include "shell/PortTaken.h"

#include "net/SocketOwner.h"

#include <pwd.h>
#include <unistd.h>

namespace shell {

namespace {

QString AccountOf(uint32_t uid) {
    if (const passwd* account = getpwuid(uid); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    return QStringLiteral("uid %1").arg(uid);
}

} // namespace

QString PortTakenText(uint16_t port, std::optional<uint32_t> owner, uint32_t self) {
    if (!owner || *owner == self)
        return QStringLiteral("Программа уже запущена!");
    return QStringLiteral("Игровой порт %1 занят программой другой учётной записи этого "
                          "компьютера (%2). Закройте её или укажите другой порт в четвёртой "
                          "строке файла Data/Options.cfg и тот же порт в строке server_port "
                          "файла Config.cfg.")
        .arg(port)
        .arg(AccountOf(*owner));
}

QString PortTakenText(uint16_t port) {
    return PortTakenText(port, net::ListenerOwner(port), geteuid());
}

} // namespace shell
