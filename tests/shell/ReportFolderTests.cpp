// The folder of the club's page: asked for on a terminal, remembered.
#include "shell/ReportFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ReportFolder, AnswersAreTakenAsPaths) {
    const QString fallback = QStringLiteral("/club/report");
    // clang-format off
    const struct { QString answer, folder; } cases[] = {
        {"\n", fallback},
        {"   \n", fallback},
        {"/srv/www/club/\n", "/srv/www/club"},
        {"~/club\n", QDir::homePath() + "/club"},
        {"~\n", QDir::homePath()},
        {"site/../club\n", QDir::currentPath() + "/club"},
        {"", fallback}, // the terminal closed
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        QString input = c.answer, output;
        QTextStream in(&input), out(&output);
        EXPECT_EQ(shell::AskReportFolder(in, out, fallback), c.folder);
        EXPECT_TRUE(output.contains(fallback)) << "the question offers the fallback";
    }
}

TEST(ReportFolder, RememberedInTheProgramFolder) {
    const QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir("Data"));
    EXPECT_EQ(shell::RememberedReportFolder(program.path()), QString());
    ASSERT_TRUE(shell::RememberReportFolder(program.path(), "/srv/www/Клуб"));
    EXPECT_EQ(shell::RememberedReportFolder(program.path()), "/srv/www/Клуб");
}

} // namespace
