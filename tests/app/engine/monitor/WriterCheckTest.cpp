// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorTestUtil.h"
#include "support/TestUtil.h"
#include "app/engine/monitor/WriterCheck.h"

#include <QProcess>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace app;
using namespace autest;

namespace {

// Another process that holds the file open with the shell redirection given
// until its input closes.
class THolder {
public:
    THolder(const QString& FileName, const char* Redirection)
    {
        FProcess.start("sh", {"-c", QString("exec 3%1\"$0\"; echo open; read line").arg(Redirection), FileName});
        FProcess.waitForStarted();
        FProcess.waitForReadyRead(5000);
    }
    ~THolder()
    {
        FProcess.closeWriteChannel();
        FProcess.waitForFinished(5000);
    }

private:
    QProcess FProcess;
};

} // namespace

TEST(WriterCheck, SeesWritersOfOtherProcessesBothWays)
{
    TTempDir Temp;
    const QString Name = QString::fromStdString(Temp.File("a.wma"));
    WriteFile(Name, "0123456789");
    EXPECT_EQ(HasWriterByLease(Name), std::optional<bool>(false));
    EXPECT_FALSE(HasWriterInProc(Name));
    {
        THolder Reader(Name, "<");
        EXPECT_EQ(HasWriterByLease(Name), std::optional<bool>(false));
        EXPECT_FALSE(HasWriterInProc(Name));
    }
    for (const char* Redirection : {">>", "<>"}) {
        THolder Writer(Name, Redirection);
        EXPECT_EQ(HasWriterByLease(Name), std::optional<bool>(true)) << Redirection;
        EXPECT_TRUE(HasWriterInProc(Name)) << Redirection;
        EXPECT_TRUE(HasWriter(Name));
    }
    EXPECT_FALSE(HasWriter(Name));
}

TEST(WriterCheck, SeesOurOwnWritersAndToleratesMissingFiles)
{
    TTempDir Temp;
    const QString Name = QString::fromStdString(Temp.File("b.wma"));
    WriteFile(Name, "x");
    const int Fd = open(QFile::encodeName(Name), O_WRONLY);
    ASSERT_GE(Fd, 0);
    EXPECT_TRUE(HasWriter(Name));
    EXPECT_TRUE(HasWriterInProc(Name));
    close(Fd);
    EXPECT_FALSE(HasWriter(Name));

    const QString Missing = QString::fromStdString(Temp.File("none.wma"));
    EXPECT_FALSE(HasWriterByLease(Missing).has_value());
    EXPECT_FALSE(HasWriterInProc(Missing));
    EXPECT_FALSE(HasWriter(Missing));
}
