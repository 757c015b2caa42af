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
Answer Ask(const QString& program, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
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

} // namespace
