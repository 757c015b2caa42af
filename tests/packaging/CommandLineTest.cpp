// --help, --version and a wrong argument, the same way for every program.
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Answer {
    int code = -1;
    QString out;
    QString err;
};

// A platform that cannot start: none of these answers may need a display.
Answer Ask(const QString& program, const QStringList& args,
           const QList<std::pair<QString, QString>>& locale = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    for (const QString variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(variable);
    for (const auto& [variable, value] : locale)
        env.insert(variable, value);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VERTAN_PROGRAM_DIR "/") + program, args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, StandardOptionsAndWrongArgumentsNeedNoDisplay) {
    const QString version = QStringLiteral(VERTAN_VERSION);
    for (const QString program : {"vertan", "tolvaner", "referee"}) {
        SCOPED_TRACE(program.toStdString());
        struct Case {
            QStringList args;
            int code;
            QString out; // start of stdout
            QString err; // start of stderr
        };
        const Case cases[] = {
            {{"--help"}, 0, "usage: " + program + ' ', ""},
            {{"--version"}, 0, program + ' ' + version + '\n', ""},
            // Anywhere on the line, before the rest is looked at.
            {{"--nonsense", "--version"}, 0, program + ' ' + version + '\n', ""},
            {{"--nonsense"}, 2, "", program + ": "},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.args.join(' ').toStdString());
            const Answer answer = Ask(program, c.args);
            EXPECT_EQ(answer.code, c.code);
            // (A null text starts with no empty one.)
            EXPECT_TRUE(c.out.isEmpty() || answer.out.startsWith(c.out)) << answer.out.toStdString();
            EXPECT_TRUE(c.err.isEmpty() || answer.err.startsWith(c.err)) << answer.err.toStdString();
            if (c.code == 2) {
                EXPECT_TRUE(answer.err.contains("\nusage: " + program + ' '));
            } else {
                EXPECT_TRUE(answer.err.isEmpty()) << answer.err.toStdString();
            }
        }
    }
}

// --help speaks the user's language: the first of LC_ALL, LC_MESSAGES and
// LANG that is set decides.
TEST(CommandLine, HelpFollowsTheUsersLanguage) {
    using Locale = QList<std::pair<QString, QString>>;
    const Locale russian{{"LANG", "ru_RU.UTF-8"}};
    const Locale english{{"LC_ALL", "en_US.UTF-8"}, {"LANG", "ru_RU.UTF-8"}};
    const Locale messages{{"LC_MESSAGES", "ru_RU.UTF-8"}, {"LANG", "en_US.UTF-8"}};
    // clang-format off
    const struct { const char* program; Locale locale; const char* begins; const char* holds; } cases[] = {
        {"vertan", russian, "использование: vertan ", "страницу клуба"},
        {"vertan", english, "usage: vertan ", "club's page"},
        {"vertan", {}, "usage: vertan ", "club's page"},
        {"tolvaner", messages, "использование: tolvaner ", "сохранённую партию"},
        {"tolvaner", english, "usage: tolvaner ", "saved"},
        {"ratings-db", russian, "Использование: ", "Отменить партию CODE журнала"},
        {"ratings-db", english, "Usage: ", "Reverse game CODE of the journal"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Answer answer = Ask(c.program, {"--help"}, c.locale);
        SCOPED_TRACE(answer.out.toStdString());
        EXPECT_EQ(answer.code, 0);
        EXPECT_TRUE(answer.out.startsWith(QString::fromUtf8(c.begins)));
        EXPECT_TRUE(answer.out.contains(QString::fromUtf8(c.holds)));
    }
}

} // namespace
