#include "Localization.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(Localization, TableIsCompiledIntoTheBinaryWhereInstallLooksForIt)
{
    QStringList found;
    QDirIterator it(":/", {"*.qm"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    EXPECT_TRUE(found.contains(Localization::tablePath())) << found.join(", ").toStdString();
    EXPECT_TRUE(Localization::install());
    EXPECT_TRUE(Localization::install()); // a second call is harmless
}

TEST(Localization, AnswersTheTextOrEmptyForAMissingKey)
{
    const struct {
        const char *key;
        const char *text;
    } cases[] = {
        {"MSG_COM_Confirm_OK", "OK"},
        {"MSG_COM_Confirm_Cancel", "Cancel"},
        {"MSG_NOT_A_KEY", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Localization::text(c.key), QString(c.text)) << c.key;
        EXPECT_EQ(Localization::text(QString(c.key)), QString(c.text)) << c.key;
    }
    // Installed in the application as well, so qtTrId() sees the table.
    EXPECT_EQ(qtTrId("MSG_COM_Confirm_OK"), "OK");
}

TEST(Localization, AnswersFromSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (Localization::text("MSG_COM_Confirm_OK") == "OK" && Localization::text("MSG_X").isEmpty())
                    ++right;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(right.load(), 800);
}

} // namespace
