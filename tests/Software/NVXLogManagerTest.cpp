#include "ScopedTimeZone.h"
#include "AppFolders.h"
#include "NVXLogFileSink.h"
#include "NVXLogManager.h"
#include "TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kLimit = 5242880;
// "yyyy/MM/dd HH:mm:ss:SSS" and the two spaces before the message.
constexpr qint64 kStampBytes = 25;

const QRegularExpression kLine(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3}  (.*)$"));

// Time the tests move by hand.
class ManualClock {
public:
    ManualClock() : ms_(QDateTime(QDate(2015, 4, 16), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch()) {}
    NVXLogManager::Clock function()
    {
        return [this] { return QDateTime::fromMSecsSinceEpoch(ms_.load(), Qt::UTC); };
    }
    void advanceSeconds(qint64 s) { ms_ += s * 1000; }

private:
    std::atomic<qint64> ms_;
};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The messages of a log file, in file order; a line without the time stamp
// shows up as "<bad> ..." so that the comparison names it.
QStringList messages(const QString &path)
{
    QStringList out;
    QByteArray all = contents(path);
    if (all.isEmpty())
        return out;
    if (all.endsWith('\n'))
        all.chop(1);
    for (const QByteArray &raw : all.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QRegularExpressionMatch m = kLine.match(line);
        out << (m.hasMatch() ? m.captured(1) : QStringLiteral("<bad> ") + line);
    }
    return out;
}

// The log files of a folder by their exact naming rule.
QStringList logFileNames(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^log-[0-9A-F]{6}\\.txt$"));
    return QDir(folder).entryList(QDir::Files, QDir::Name).filter(name);
}

class LogManagerTest : public ::testing::Test {
protected:
    NVXLogManager::Options options()
    {
        NVXLogManager::Options o;
        o.logsFolder = dir.file("LogsFolder");
        o.clock = clock.function();
        o.console = nullptr;
        o.ageCheckInterval = std::chrono::milliseconds(0); // no timer unless a test wants one
        return o;
    }

    TempDir dir;
    ManualClock clock;
};

// ---- Line format -----------------------------------------------------------

TEST(LogLineFormat, LocalTimeTwoSpacesMessageAndOneLineFeed)
{
    ScopedTimeZone zone("CST-8"); // eight hours ahead of UTC
    const auto at = std::chrono::system_clock::time_point(
        std::chrono::milliseconds(QDateTime(QDate(2015, 4, 16), QTime(1, 5, 7, 45), Qt::UTC).toMSecsSinceEpoch()));
    const struct {
        const char *message;
        const char *line;
    } cases[] = {
        {"hello", "2015/04/16 09:05:07:045  hello\n"},
        {"ends with a feed\n", "2015/04/16 09:05:07:045  ends with a feed\n"},
        {"", "2015/04/16 09:05:07:045  \n"},
        {"two\nlines", "2015/04/16 09:05:07:045  two\nlines\n"},
        {"%@ %d {} {0} %s %v", "2015/04/16 09:05:07:045  %@ %d {} {0} %s %v\n"},
    };
    for (const auto &c : cases) {
        NVXLogLineFormatter formatter;
        const spdlog::details::log_msg msg(at, spdlog::source_loc{}, "snapvale", spdlog::level::info, c.message);
        spdlog::memory_buf_t out;
        formatter.format(msg, out);
        EXPECT_EQ(std::string(out.data(), out.size()), c.line) << c.message;
    }
}

TEST_F(LogManagerTest, MessagesAreWrittenLiterallyToTheFileAndTheConsole)
{
    std::FILE *console = std::tmpfile();
    ASSERT_NE(console, nullptr);
    NVXLogManager::Options o = options();
    o.console = console;
    const QStringList written = {"path:%@ count %d", "{} {0} {:>10} %s %%", QString::fromUtf8("Grüße 写真 {}"),
                                 "warning %@"};
    {
        NVXLogManager log(o);
        log.writeInfoLog(written[0]);
        log.writeInfoLog(written[1]);
        log.writeErrorLog(written[2]);
        log.writeWarnLog(written[3]);
        log.flush();
        EXPECT_EQ(messages(log.logFilePath()), written);

        std::fflush(console);
        std::rewind(console);
        QFile echo;
        ASSERT_TRUE(echo.open(console, QIODevice::ReadOnly));
        EXPECT_EQ(echo.readAll(), contents(log.logFilePath()));
    }
    std::fclose(console);
}

TEST_F(LogManagerTest, ErrorLineIsInTheFileWhenTheCallReturns)
{
    NVXLogManager log(options());
    QStringList expected;
    for (int i = 0; i < 20000; ++i) {
        expected << QStringLiteral("queued line %1").arg(i);
        log.writeInfoLog(expected.last());
    }
    expected << QStringLiteral("error line");
    log.writeErrorLog(expected.last());
    // No flush: the queued lines before the error and the error itself must
    // already be in the file, in call order.
    EXPECT_EQ(messages(log.logFilePath()), expected);
}

// ---- Rolling and retention -------------------------------------------------

TEST_F(LogManagerTest, FileRollsRightAfterTheWriteThatReachesTheLimit)
{
    const struct {
        qint64 firstFileBytes;
        bool rolls;
    } cases[] = {{kLimit - 1, false}, {kLimit, true}};
    for (const auto &c : cases) {
        TempDir folder;
        NVXLogManager::Options o = options();
        o.logsFolder = folder.path();
        NVXLogManager log(o);
        const QString big(int(c.firstFileBytes - kStampBytes - 1), u'x');
        log.writeInfoLog(big);
        log.flush();
        const QString first = log.logFilePath();
        EXPECT_EQ(QFileInfo(first).size(), c.firstFileBytes);
        EXPECT_EQ(log.currentLogFilePath() != first, c.rolls) << c.firstFileBytes;

        log.writeInfoLog("next");
        log.flush();
        const QStringList firstMessages = messages(first);
        if (c.rolls) {
            EXPECT_EQ(firstMessages, QStringList{big});
            EXPECT_EQ(messages(log.currentLogFilePath()), QStringList{"next"});
        } else {
            // The line that crosses the limit still goes into the file,
            // which is closed right after it.
            EXPECT_EQ(firstMessages, QStringList({big, "next"}));
            EXPECT_NE(log.currentLogFilePath(), first);
        }
    }
}

TEST_F(LogManagerTest, KeepsTheFiveNewestClosedFilesByCreation)
{
    const QString folder = dir.file("LogsFolder");
    ASSERT_TRUE(QDir().mkpath(folder));
    // Two files of earlier runs whose name order is the opposite of their
    // age, and files that are not log files.
    const auto earlier = [&](const QString &name, int hoursAgo) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old\n");
        f.flush(); // a later write would move the time again
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600 * hoursAgo),
                                  QFileDevice::FileModificationTime));
    };
    earlier("log-FFFFF0.txt", 3);
    earlier("log-0000A1.txt", 2);
    earlier("notes.txt", 5);
    earlier("log-abcdef.txt", 5);

    NVXLogManager::Options o = options();
    o.rules.maxFileSize = 1; // every line closes its file
    NVXLogManager log(o);
    const auto present = [&](const char *name) { return QFileInfo::exists(folder + "/" + name); };

    for (int i = 1; i <= 3; ++i)
        log.writeInfoLog(QStringLiteral("line %1").arg(i));
    log.flush();
    EXPECT_TRUE(present("log-FFFFF0.txt")) << "five closed files are kept";

    log.writeInfoLog("line 4"); // a sixth closed file: the oldest goes
    log.flush();
    EXPECT_FALSE(present("log-FFFFF0.txt"));
    EXPECT_TRUE(present("log-0000A1.txt"));

    log.writeInfoLog("line 5");
    log.writeInfoLog("line 6");
    log.flush();
    EXPECT_FALSE(present("log-0000A1.txt"));
    EXPECT_FALSE(QFileInfo::exists(log.logFilePath())) << "the first file of this run held line 1";

    QStringList kept;
    for (const QString &name : logFileNames(folder))
        kept << messages(folder + "/" + name);
    kept.sort();
    EXPECT_EQ(kept, QStringList({"line 2", "line 3", "line 4", "line 5", "line 6"}));
    EXPECT_EQ(logFileNames(folder).size(), 6) << "five closed files and the empty current one";
    EXPECT_TRUE(present("notes.txt"));
    EXPECT_TRUE(present("log-abcdef.txt"));
}

TEST_F(LogManagerTest, FileRollsOnTheFirstWriteAfterSevenDays)
{
    NVXLogManager log(options());
    log.writeInfoLog("a");
    clock.advanceSeconds(604800 - 1);
    log.writeInfoLog("b");
    log.flush();
    EXPECT_EQ(log.currentLogFilePath(), log.logFilePath());

    clock.advanceSeconds(1);
    log.writeInfoLog("c");
    log.flush();
    EXPECT_EQ(messages(log.logFilePath()), QStringList({"a", "b"}));
    EXPECT_NE(log.currentLogFilePath(), log.logFilePath());
    EXPECT_EQ(messages(log.currentLogFilePath()), QStringList{"c"});
}

TEST_F(LogManagerTest, TimerRollsAnIdleFileWhenItIsSevenDaysOld)
{
    NVXLogManager::Options o = options();
    o.ageCheckInterval = std::chrono::milliseconds(5);
    NVXLogManager log(o);
    log.writeInfoLog("before");
    log.flush();
    clock.advanceSeconds(604800);

    QElapsedTimer waited;
    waited.start();
    while (log.currentLogFilePath() == log.logFilePath() && waited.elapsed() < 10000)
        QThread::msleep(5);
    EXPECT_NE(log.currentLogFilePath(), log.logFilePath()) << "no roll within 10 s";
    EXPECT_EQ(messages(log.logFilePath()), QStringList{"before"});
}

// ---- File names ------------------------------------------------------------

TEST_F(LogManagerTest, TakenOrMalformedNamesAreSkipped)
{
    const QString folder = dir.file("LogsFolder");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile taken(folder + "/log-AAAAAA.txt");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep\n");
    taken.close();

    QStringList candidates = {"AAAAAA", "AAAAAA", "abcdef", "ABC", "ABCDEF"};
    NVXLogManager::Options o = options();
    o.names = [&] { return candidates.isEmpty() ? QStringLiteral("EEEEEE") : candidates.takeFirst(); };
    NVXLogManager log(o);
    EXPECT_EQ(log.logFilePath(), folder + "/log-ABCDEF.txt");
    EXPECT_EQ(contents(folder + "/log-AAAAAA.txt"), QByteArray("keep\n"));
}

TEST_F(LogManagerTest, RandomNamesAreSixUpperCaseHexCharacters)
{
    NVXLogManager::Options o = options();
    o.rules.maxFileSize = 1;
    o.rules.keptClosedFiles = 100;
    NVXLogManager log(o);
    for (int i = 0; i < 20; ++i)
        log.writeInfoLog("x");
    log.flush();
    const QStringList names = logFileNames(o.logsFolder);
    EXPECT_EQ(names.size(), 21);
    EXPECT_EQ(QDir(o.logsFolder).entryList(QDir::Files).size(), 21) << "every file follows the naming rule";
}

// ---- Threads ---------------------------------------------------------------

TEST_F(LogManagerTest, FourThreadsLoseNoLineAndNeverInterleave)
{
    constexpr int kThreads = 4;
    constexpr int kLines = 100000;
    NVXLogManager::Options o = options();
    o.rules.maxFileSize = 1 << 20; // rolls many times while the threads write
    o.rules.keptClosedFiles = 1000;
    NVXLogManager log(o);
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([&log, t] {
                for (int n = 0; n < kLines; ++n)
                    log.writeInfoLog(QStringLiteral("thread %1 line %2 end").arg(t).arg(n));
            });
        }
    }
    log.flush();

    // Every line whole, each thread's lines in call order within a file, and
    // each line exactly once over all files.
    const QRegularExpression body(QStringLiteral("^thread (\\d) line (\\d+) end$"));
    std::vector<std::vector<char>> seen(kThreads, std::vector<char>(kLines, 0));
    int malformed = 0, duplicates = 0, outOfOrder = 0;
    for (const QString &name : logFileNames(o.logsFolder)) {
        std::vector<int> last(kThreads, -1);
        for (const QString &m : messages(o.logsFolder + "/" + name)) {
            const QRegularExpressionMatch match = body.match(m);
            if (!match.hasMatch()) {
                ++malformed;
                continue;
            }
            const int t = match.captured(1).toInt();
            const int n = match.captured(2).toInt();
            if (t >= kThreads || n >= kLines) {
                ++malformed;
                continue;
            }
            duplicates += seen[t][n];
            seen[t][n] = 1;
            outOfOrder += n <= last[t];
            last[t] = n;
        }
    }
    int missing = 0;
    for (const auto &lines : seen)
        for (char s : lines)
            missing += !s;
    EXPECT_EQ(malformed, 0);
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(missing, 0);
    EXPECT_GT(logFileNames(o.logsFolder).size(), 10);
}

// ---- Bad folders and the process-wide facade -------------------------------

TEST_F(LogManagerTest, UnusableLogsFolderStillReachesTheConsole)
{
    // The folder's parent is a regular file, so nothing can be created there
    // (whoever runs the test).
    QFile blocker(dir.file("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    std::FILE *console = std::tmpfile();
    ASSERT_NE(console, nullptr);

    NVXLogManager::Options o = options();
    o.logsFolder = dir.file("blocker/LogsFolder");
    o.console = console;
    {
        NVXLogManager log(o);
        EXPECT_TRUE(log.logFilePath().isEmpty());
        log.writeInfoLog("info");
        log.writeErrorLog("error");
        log.flush();
        EXPECT_TRUE(log.currentLogFilePath().isEmpty());
    }
    std::fflush(console);
    std::rewind(console);
    QFile echo;
    ASSERT_TRUE(echo.open(console, QIODevice::ReadOnly));
    const QList<QByteArray> lines = echo.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("  info"));
    EXPECT_TRUE(lines[1].endsWith("  error"));
    echo.close();
    std::fclose(console);
}

TEST(LogManagerSingleton, WritesIntoTheLogsFolderOfTheSupportFolder)
{
    NVXLogManager &log = NVXLogManager::singleton();
    EXPECT_EQ(log.logsFolderPath(), AppFolders::supportPath() + "/LogsFolder");
    EXPECT_EQ(QFileInfo(log.logFilePath()).absolutePath(), log.logsFolderPath());
    EXPECT_TRUE(QFileInfo(log.logFilePath()).isFile());
}

} // namespace
