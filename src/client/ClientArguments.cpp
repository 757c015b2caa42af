#include "client/ClientArguments.h"

#include "text/NumberText.h"

namespace client {

std::optional<ClientArguments> ParseClientArguments(const QStringList& args, QString& error) {
    ClientArguments parsed;
    bool seedGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value").arg(arg);
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == QLatin1String("--auto")) {
            parsed.autoPlay = true;
        } else if (arg == QLatin1String("--quit-on-close")) {
            parsed.quitOnClose = true;
        } else if (arg == QLatin1String("--seed")) {
            const auto v = value();
            const auto n = v ? text::ParseIntegerText(*v) : std::nullopt;
            if (!n) {
                error = error.isEmpty() ? QStringLiteral("bad seed") : error;
                return std::nullopt;
            }
            parsed.seed = static_cast<uint32_t>(*n);
            seedGiven = true;
        } else if (arg == QLatin1String("--port")) {
            const auto v = value();
            const auto n = v ? text::ParseIntegerText(*v) : std::nullopt;
            if (!n || *n < 1 || *n > 65535) {
                error = error.isEmpty() ? QStringLiteral("bad port") : error;
                return std::nullopt;
            }
            parsed.port = static_cast<uint16_t>(*n);
        } else if (arg == QLatin1String("--screenshot") || arg == QLatin1String("--record") ||
                   arg == QLatin1String("--open")) {
            const auto v = value();
            if (!v || v->isEmpty()) {
                error = error.isEmpty() ? QStringLiteral("%1 needs a file").arg(arg) : error;
                return std::nullopt;
            }
            (arg == QLatin1String("--record")   ? parsed.record
             : arg == QLatin1String("--open") ? parsed.open
                                                : parsed.screenshot) = *v;
        } else {
            error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        }
    }
    if (seedGiven && !parsed.autoPlay) {
        error = QStringLiteral("--seed needs --auto");
        return std::nullopt;
    }
    // A game from a file is only shown: nothing connects, plays or records it.
    if (!parsed.open.isEmpty() && (parsed.autoPlay || parsed.port || !parsed.record.isEmpty())) {
        error = QStringLiteral("--open goes with no --auto, --port or --record");
        return std::nullopt;
    }
    parsed.quitOnClose = parsed.quitOnClose || parsed.autoPlay;
    return parsed;
}

} // namespace client
