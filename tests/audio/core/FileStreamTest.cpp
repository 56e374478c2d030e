// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace au;
using namespace autest;

namespace {

std::string OpenError(const std::string& Name, uint16_t Mode)
{
    try {
        TAuFileStream Stream(Name, Mode);
    } catch (const EAuException& E) {
        return E.what();
    }
    return "";
}

} // namespace

TEST(FileStream, CreateTruncatesAndReadsBack)
{
    TTempDir Dir;
    const std::string Name = Dir.File("a.bin");
    WriteBytes(Name, std::vector<uint8_t>(100, 7));
    {
        TAuFileStream Out(Name, TAuFileStream::fmCreate);
        EXPECT_EQ(Out.Size(), 0);
        Out.Write("abcdef", 6);
        EXPECT_EQ(Out.Seek(-2, TSeekOrigin::End), 4);
        char Two[2] = {};
        EXPECT_EQ(Out.Read(Two, 2), 2);
        EXPECT_EQ(std::string(Two, 2), "ef");
        EXPECT_EQ(Out.Read(Two, 2), 0);
    }
    EXPECT_EQ(ReadBytes(Name).size(), 6u);
}

TEST(FileStream, FailuresCarryTheSystemsText)
{
    TTempDir Dir;
    EXPECT_EQ(OpenError(Dir.File("missing"), TAuFileStream::fmOpenRead), std::strerror(ENOENT));
    EXPECT_EQ(OpenError(Dir.File("no/such/dir/file"), TAuFileStream::fmCreate), std::strerror(ENOENT));
    EXPECT_EQ(OpenError(Dir.Path(), TAuFileStream::fmOpenRead), std::strerror(EISDIR));
}

TEST(FileStream, AWriterThatSharesNothingKeepsReadersOut)
{
    TTempDir Dir;
    const std::string Name = Dir.File("held.wav");
    const std::string Busy = std::strerror(EBUSY);
    {
        TAuFileStream Writer(Name, TAuFileStream::fmCreate);
        EXPECT_EQ(OpenError(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite), Busy);
        EXPECT_EQ(OpenError(Name, TAuFileStream::fmCreate), Busy);
        // A reader that lets everyone in takes no lock at all.
        EXPECT_EQ(OpenError(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyNone), "");
    }
    {
        TAuFileStream Reader(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite);
        EXPECT_EQ(OpenError(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite), "");
        EXPECT_EQ(OpenError(Name, TAuFileStream::fmOpenReadWrite), Busy);
    }
    EXPECT_EQ(OpenError(Name, TAuFileStream::fmOpenReadWrite), "");
}

TEST(FileStream, ARefusedCreateLeavesTheHeldFileAlone)
{
    TTempDir Dir;
    const std::string Name = Dir.File("keep.bin");
    WriteBytes(Name, std::vector<uint8_t>(10, 1));
    TAuFileStream Reader(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite);
    EXPECT_NE(OpenError(Name, TAuFileStream::fmCreate), "");
    EXPECT_EQ(ReadBytes(Name).size(), 10u);
}
