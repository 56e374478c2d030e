// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTestUtil.h"

#include "app/engine/batch/FileListModel.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace app;
using namespace autest;

namespace {

using TModel = TFileListModel;

TModel::TRow SizedRow(const QString& Path, qint64 Bytes)
{
    TModel::TRow Row;
    Row.Path = Path;
    Row.SizeBytes = Bytes;
    return Row;
}

QStringList Captions(const TModel& List)
{
    QStringList Names;
    for (int Row = 0; Row < List.Count(); ++Row)
        Names << List.index(Row, TModel::colName).data().toString();
    return Names;
}

} // namespace

TEST(FileListModel, APathIsListedOnceWhateverItsCase)
{
    TModel List;
    List.AddFile("/music/Song.wma");
    List.AddFile("/MUSIC/song.WMA");
    std::vector<TModel::TRow> Rows;
    Rows.push_back(SizedRow("/music/other.wma", 1));
    Rows.push_back(SizedRow("/music/SONG.wma", 2));
    Rows.push_back(SizedRow("/music/Other.wma", 3));
    EXPECT_EQ(List.AddRows(std::move(Rows)), 1);
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List.Row(0).Path, "/music/Song.wma");
    EXPECT_EQ(List.Row(1).SizeBytes, 1) << "the first of a batch's twins stays";

    // A removed or cleared path may come back.
    List.RemoveRow(0);
    List.AddFile("/music/song.wma");
    EXPECT_EQ(List.Count(), 2);
    List.Clear();
    List.AddFile("/music/other.wma");
    EXPECT_EQ(List.Count(), 1);
}

TEST(FileListModel, NamesSortWithoutCaseInTheUsersLocale)
{
    const TDefaultLocale German(QLocale(QLocale::German, QLocale::Germany));
    TModel List;
    for (const char* Name : {"V.wma", "\xc3\x9c" "ber.wma", "E.wma", "d.wma", "Ufer.wma", "A.wma"})
        List.AddFile("/music/" + QString::fromUtf8(Name));
    List.Sort(TModel::colName, true);
    EXPECT_EQ(Captions(List), (QStringList{"A.wma", "d.wma", "E.wma", QString::fromUtf8("\xc3\x9c" "ber.wma"),
                                           "Ufer.wma", "V.wma"}));
    EXPECT_EQ(List.index(1, TModel::colName).data(TModel::SortRole).toString(), "d.wma");
}

// Sizes and lengths sort by their values, never by the text a locale writes.
TEST(FileListModel, SizesAndLengthsSortAsNumbersInEveryLocale)
{
    for (const QLocale& Locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::French, QLocale::France),
                                  QLocale(QLocale::German, QLocale::Switzerland), QLocale(QLocale::Arabic, QLocale::Egypt),
                                  QLocale(QLocale::Hindi, QLocale::India)}) {
        SCOPED_TRACE(Locale.name().toStdString());
        const TDefaultLocale Default(Locale);
        TModel List;
        std::vector<TModel::TRow> Rows;
        Rows.push_back(SizedRow("/b", qint64{5} << 40));
        Rows.push_back(SizedRow("/c", 0));
        Rows.push_back(SizedRow("/a", 1536000));
        List.AddRows(std::move(Rows));
        List.AddFile("/unprobed");
        List.Sort(TModel::colSize, true);
        EXPECT_EQ(Captions(List), (QStringList{"unprobed", "c", "a", "b"}));
        EXPECT_EQ(List.index(3, TModel::colSize).data(TModel::SortRole).toLongLong(), qint64{5} << 40);
    }

    // A file no decoder read has no length and sorts before every length.
    TModel List;
    std::vector<TModel::TRow> Rows;
    for (const int Seconds : {4510, 599, 5}) {
        TModel::TRow Row = SizedRow(QString("/%1").arg(Seconds), 1);
        Row.Valid = true;
        Row.Duration = Seconds;
        Rows.push_back(Row);
    }
    Rows.push_back(SizedRow("/damaged", 1));
    List.AddRows(std::move(Rows));
    List.Sort(TModel::colLength, false);
    EXPECT_EQ(Captions(List), (QStringList{"4510", "599", "5", "damaged"}));
    EXPECT_EQ(List.index(0, TModel::colLength).data().toString(), "75:10");
    EXPECT_EQ(List.index(3, TModel::colLength).data().toString(), "");
}

// A row's state gives its image, its result text and its Information cell.
TEST(FileListModel, TheRowsStateMakesItsImageAndTexts)
{
    TModel List;
    List.AddFile("/music/a.wma");
    const QModelIndex Name = List.index(0, TModel::colName);
    const QModelIndex Information = List.index(0, TModel::colInformation);
    List.SetOutput(0, "/out/a.wav");
    EXPECT_EQ(Information.data().toString(), "") << "a pending row says nothing yet";
    // A row converting shows it, with its percentage.
    List.SetState(0, TModel::rsConverting);
    List.SetProgress(0, 37);
    EXPECT_EQ(Name.data(TModel::ImageIndexRole).toInt(), TModel::imgConverting);
    EXPECT_EQ(Information.data().toString(), "Save to: a.wav (37%)");
    EXPECT_EQ(Name.data(Qt::ToolTipRole).toString(), "Converting: 37%");
    List.SetState(0, TModel::rsSkipped, "exists");
    EXPECT_EQ(Name.data(TModel::ImageIndexRole).toInt(), TModel::imgSkipped);
    EXPECT_EQ(Name.data(Qt::AccessibleDescriptionRole).toString(), "Skipped: exists");
    List.SetState(0, TModel::rsPending);
    EXPECT_TRUE(List.Row(0).StateMessage.isEmpty());
    EXPECT_TRUE(Name.data(Qt::ToolTipRole).toString().isEmpty());
}

// An imported list keeps the paths it repeats; the next addition drops the
// later rows of each, as adding always has.
TEST(FileListModel, AnImportedListKeepsItsRepeatsUntilTheNextAddition)
{
    TModel List;
    std::vector<TModel::TRow> Rows;
    for (const char* Path : {"/a.wma", "/b.wma", "/A.wma"})
        Rows.push_back(SizedRow(Path, 1));
    EXPECT_EQ(List.AddRows(std::move(Rows), true), 3);
    List.AddFile("/c.wma");
    EXPECT_EQ(Captions(List), (QStringList{"a.wma", "b.wma", "c.wma"}));
    List.AddFile("/B.wma");
    EXPECT_EQ(List.Count(), 3);
    // Removing one of two twins leaves the other listed.
    std::vector<TModel::TRow> Twins;
    Twins.push_back(SizedRow("/B.wma", 1));
    List.AddRows(std::move(Twins), true);
    List.RemoveRow(1);
    List.AddFile("/b.wma");
    EXPECT_EQ(Captions(List), (QStringList{"a.wma", "c.wma", "B.wma"}));
}
