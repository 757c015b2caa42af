// What the new-game dialog says when the game port is taken: this program's
// own words, unless another account's program holds it.
#include "shell/PortTaken.h"

#include <gtest/gtest.h>
#include <pwd.h>

TEST(PortTaken, AnotherAccountsListenerIsNamedWithTheSettingToChange) {
    EXPECT_EQ(shell::PortTakenText(4000, std::nullopt, 1000), "Программа уже запущена!");
    EXPECT_EQ(shell::PortTakenText(4000, 1000, 1000), "Программа уже запущена!");
    const passwd* root = getpwuid(0);
    ASSERT_NE(root, nullptr);
    const QString other = shell::PortTakenText(4000, 0, 1000);
    EXPECT_TRUE(other.startsWith("Игровой порт 4000 занят программой другой учётной записи этого "
                                 "компьютера (" +
                                 QString(root->pw_name) + ")"))
        << other.toStdString();
    EXPECT_TRUE(other.contains("Data/Options.cfg") && other.contains("server_port"));
    EXPECT_TRUE(shell::PortTakenText(4000, 4000000, 0).contains("(uid 4000000)"));
}
