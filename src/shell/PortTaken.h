// What the new-game dialog says when it cannot open the game port.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace shell {

/*! The program's "Программа уже запущена!" when the port's listener is of
    this account (self) or cannot be told; when another account's program
    holds it, says so, naming that account and the settings that change the
    port. */
QString PortTakenText(uint16_t port, std::optional<uint32_t> owner, uint32_t self);

/*! The same for the port as the system tells its listener now. */
QString PortTakenText(uint16_t port);

} // namespace shell
