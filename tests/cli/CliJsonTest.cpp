// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli convert for programs: JSON results on standard output, JSON
// progress and the human log on standard error.
#include "CliTestUtil.h"
#include "support/TestUtil.h"

#include <QByteArray>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace autest;

namespace {

// Every line of Text parsed as a JSON object with Qt's strict parser.
std::vector<QJsonObject> JsonLines(const std::string& Text)
{
    std::vector<QJsonObject> Objects;
    const QList<QByteArray> Lines = QByteArray::fromStdString(Text).split('\n');
    EXPECT_TRUE(Lines.last().isEmpty()) << "the last line ends in a line feed";
    for (qsizetype I = 0; I + 1 < Lines.size(); ++I) {
        QJsonParseError Error{};
        const QJsonDocument Document = QJsonDocument::fromJson(Lines[I], &Error);
        EXPECT_EQ(Error.error, QJsonParseError::NoError) << Lines[I].toStdString();
        Objects.push_back(Document.object());
    }
    return Objects;
}

QJsonValue Path(const TTempDir& Dir, const std::string& Name)
{
    return QDir::cleanPath(QString::fromStdString(Dir.File(Name)));
}

} // namespace

// A converted, a failed, a skipped and a missing file: one object each, field
// by field, then the summary; the log goes to standard error, with the
// progress as JSON lines.
TEST(CliJson, EachFileAnswersOnceThenTheSummary)
{
    TTempDir Dir;
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=2 -ar 22050 " + Quote(Dir.File("tone.flac")));
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 " + Quote(Dir.File("kept.flac")));
    WriteBytes(Dir.File("damaged.flac"), std::vector<uint8_t>(60, 'x'));
    std::filesystem::create_directories(Dir.File("out"));
    WriteBytes(Dir.File("out/kept.wav"), {'o', 'l', 'd'});

    const TCliResult R = Cli(Dir,
                             "convert --json --progress=json --if-exists skip --keep-time -j 2 -r 8000 -o out "
                             "tone.flac damaged.flac kept.flac missing.flac",
                             "errors.txt");
    EXPECT_EQ(R.Status, 1) << R.Out;
    const std::vector<QJsonObject> Lines = JsonLines(R.Out);
    ASSERT_EQ(Lines.size(), 5u) << R.Out;
    // Files answer as they end, in any order; the summary comes last.
    std::map<std::string, QJsonObject> Files;
    for (size_t I = 0; I + 1 < Lines.size(); ++I) {
        const QJsonObject& Line = Lines[I];
        EXPECT_EQ(Line.keys(), (QStringList{"duration_seconds", "elapsed_seconds", "input", "message", "output",
                                            "result", "size_bytes"}))
            << R.Out;
        EXPECT_TRUE(Line.value("elapsed_seconds").isDouble() && Line.value("elapsed_seconds").toDouble() >= 0);
        Files[Line.value("input").toString().toStdString()] = Line;
    }
    ASSERT_EQ(Files.size(), 4u) << R.Out;

    const QJsonObject& Tone = Files["tone.flac"];
    EXPECT_EQ(Tone.value("result"), QJsonValue("converted"));
    EXPECT_EQ(Tone.value("message"), QJsonValue(""));
    EXPECT_EQ(Tone.value("output"), Path(Dir, "out/tone.wav"));
    EXPECT_EQ(Tone.value("duration_seconds"), QJsonValue(2));
    EXPECT_EQ(std::filesystem::last_write_time(Dir.File("out/tone.wav")),
              std::filesystem::last_write_time(Dir.File("tone.flac")));
    EXPECT_EQ(Tone.value("size_bytes"), QJsonValue(static_cast<qint64>(std::filesystem::file_size(Dir.File("out/tone.wav")))));

    const QJsonObject& Damaged = Files["damaged.flac"];
    EXPECT_EQ(Damaged.value("result"), QJsonValue("failed"));
    EXPECT_FALSE(Damaged.value("message").toString().isEmpty());
    EXPECT_TRUE(Damaged.value("output").isNull() && Damaged.value("size_bytes").isNull() &&
                Damaged.value("duration_seconds").isNull());
    EXPECT_FALSE(std::filesystem::exists(Dir.File("out/damaged.wav")));

    const QJsonObject& Kept = Files["kept.flac"];
    EXPECT_EQ(Kept.value("result"), QJsonValue("skipped"));
    EXPECT_EQ(Kept.value("message"), QJsonValue("The WAV file exists already; it was kept as it was."));
    EXPECT_EQ(Kept.value("output"), Path(Dir, "out/kept.wav"));
    EXPECT_EQ(Kept.value("size_bytes"), QJsonValue(3));
    EXPECT_EQ(Kept.value("duration_seconds"), QJsonValue(1));

    const QJsonObject& Missing = Files["missing.flac"];
    EXPECT_EQ(Missing.value("result"), QJsonValue("failed"));
    EXPECT_EQ(Missing.value("message"), QJsonValue("no such file or folder"));
    EXPECT_TRUE(Missing.value("output").isNull() && Missing.value("size_bytes").isNull() &&
                Missing.value("duration_seconds").isNull());

    const QJsonObject Summary = Lines.back().value("summary").toObject();
    EXPECT_EQ(Summary.keys(), (QStringList{"converted", "elapsed_seconds", "failed", "files", "skipped", "stopped"}));
    EXPECT_EQ(Summary.value("files"), QJsonValue(4));
    EXPECT_EQ(Summary.value("converted"), QJsonValue(1));
    EXPECT_EQ(Summary.value("failed"), QJsonValue(2));
    EXPECT_EQ(Summary.value("skipped"), QJsonValue(1));
    EXPECT_EQ(Summary.value("stopped"), QJsonValue(0));
    EXPECT_GE(Summary.value("elapsed_seconds").toDouble(-1), 0);

    // Standard error: the log as people read it, the complaint about the
    // missing file, and the progress, whose last line has everything done.
    const std::string Errors = Text(Dir.File("errors.txt"));
    EXPECT_NE(Errors.find("kelvaro-cli: missing.flac: no such file or folder\n"), std::string::npos) << Errors;
    EXPECT_NE(Errors.find("]Convert to: tone.wav [Success]\n"), std::string::npos) << Errors;
    QJsonObject LastProgress;
    for (const QByteArray& Line : QByteArray::fromStdString(Errors).split('\n'))
        if (Line.startsWith('{'))
            LastProgress = QJsonDocument::fromJson(Line).object();
    EXPECT_EQ(LastProgress.value("files_done"), QJsonValue(3)) << Errors;
    EXPECT_EQ(LastProgress.value("files"), QJsonValue(3));
    EXPECT_EQ(LastProgress.value("share"), QJsonValue(1));
    EXPECT_TRUE(LastProgress.contains("seconds_left") && LastProgress.contains("elapsed_seconds"));
}
