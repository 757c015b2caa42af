#include "desktop/CommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace desktop {

const char* Version() { return VERTAN_VERSION; }

bool RussianUser() {
    // The order in which the C library picks the language of messages.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return std::strncmp(value, "ru", 2) == 0;
    }
    return false;
}

std::optional<int> AnswerStandardOptions(int argc, char** argv, const std::string& name,
                                         const std::string& usage, const std::string& summary,
                                         const std::string& summaryRu) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            const bool russian = !summaryRu.empty() && RussianUser();
            std::printf("%s: %s\n%s\n", russian ? "использование" : "usage", usage.c_str(),
                        (russian ? summaryRu : summary).c_str());
            std::fflush(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", name.c_str(), Version());
            std::fflush(stdout);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<ReportCommand> ParseReportCommand(const std::vector<std::string>& args,
                                                std::string& error) {
    if (args.empty() || args.front() != "--report")
        return std::nullopt;
    if (args.size() == 1)
        return ReportCommand::Open;
    if (args.size() == 2 && args[1] == "--update")
        return ReportCommand::Update;
    error = "--report takes only --update";
    return std::nullopt;
}

int RejectArguments(const std::string& name, const std::string& error, const std::string& usage) {
    std::fprintf(stderr, "%s: %s\nusage: %s\n", name.c_str(), error.c_str(), usage.c_str());
    std::fflush(stderr);
    return 2;
}

} // namespace desktop
