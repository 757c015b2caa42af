// The options every program of the project answers the same way.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace desktop {

/*! The project's version, as the package carries it. */
const char* Version();

/*! Whether the user's language is Russian: the first of LC_ALL,
    LC_MESSAGES and LANG that is set begins with "ru". */
bool RussianUser();

/*! "--help" or "--version" among argv[1..]: prints the usage text (with the
    summary) or "name version" to stdout and returns 0, the exit status.
    Under a Russian locale (RussianUser) with a Russian summary given, the
    help is Russian ("использование:" and that summary). Nothing for any
    other command line, which the program parses itself. Checked before any
    window system is touched, so it works without one. */
std::optional<int> AnswerStandardOptions(int argc, char** argv, const std::string& name,
                                         const std::string& usage, const std::string& summary,
                                         const std::string& summaryRu = {});

/*! What the club's page is asked for: "--report" makes it and opens it,
    "--report --update" brings it up to date and opens nothing (the timer's). */
enum class ReportCommand { Open, Update };
/*! The report command of args (argv[1..]); nothing when args name none.
    A --report with anything else sets error. */
std::optional<ReportCommand> ParseReportCommand(const std::vector<std::string>& args,
                                                std::string& error);

/*! "name: error" and the usage text on stderr; returns 2, the exit status. */
int RejectArguments(const std::string& name, const std::string& error, const std::string& usage);

} // namespace desktop
