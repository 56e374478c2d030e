// SPDX-License-Identifier: GPL-3.0-or-later
// The batch page over real engine objects, with the desktop's dialogs and file
// manager answered by the test, and real audio files made from the shared
// fixtures.
#pragma once

#include "ui/FakeDesktop.h"
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/batch/ListRun.h"
#include "app/engine/batch/FileLoader.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/batch/BatchStatusBar.h"
#include "app/ui/batch/FileListActions.h"
#include "app/ui/batch/FileListView.h"
#include "app/ui/batch/LogPanel.h"
#include "app/ui/batch/PreviewControl.h"
#include "app/ui/batch/RunControl.h"
#include "audio/playback/DXAudioOut.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

// Readable texts in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace uitest {

class BatchPageTest : public ::testing::Test {
protected:
    BatchPageTest()
    {
        Settings.SetAutoLoad(false);
        app::LoadLanguageStrings(app::LangStrings(), 450, app::ExeFolderFile(QStringLiteral("English.lng")),
                                 QStringLiteral("Strings"));
        Batch.SetPreview(&Player);
        Loader.SetProbeThreads(QThread::idealThreadCount());
        Page = std::make_unique<app::TBatchPage>(FilesModel, Loader, Batch, Settings, Player,
                                                 Dialogs, Shell);
        Page->resize(900, 600);
        Page->show();
    }
    ~BatchPageTest() override
    {
        Page->StopForClose();
        Page.reset();
    }

    // A path in the test's folder.
    QString Path(const QString& Name) const { return QString::fromStdString(Dir.File(Name.toStdString())); }

    // Makes Name from a WAV of the shared fixtures with Command, which gets the
    // input and output paths for %1 and %2.
    QString Make(const QString& Name, const char* Command, const char* Fixture = "tone-44100-16-2.wav")
    {
        const QString Target = Path(Name);
        QDir().mkpath(QFileInfo(Target).path());
        const std::string Line = QString::fromLatin1(Command)
                                     .arg(QString::fromStdString("'" + autest::FixturesDir() + "/" + Fixture + "'"),
                                          "'" + Target + "'")
                                     .toStdString();
        std::string Out;
        EXPECT_EQ(autest::RunCommand(Line + " 2>&1", &Out), 0) << Line << "\n" << Out;
        return Target;
    }
    QString Wma(const QString& Name, const char* Fixture = "tone-44100-16-2.wav")
    {
        return Make(Name, "ffmpeg -v error -y -i %1 -c:a wmav2 -b:a 64k -f asf %2", Fixture);
    }
    // A tone of Seconds seconds as WMA, for playback that lasts.
    QString LongWma(const QString& Name, int Seconds)
    {
        const QString Target = Path(Name);
        const std::string Line = "ffmpeg -v error -y -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
                                 std::to_string(Seconds) + "' -ac 2 -c:a wmav2 -b:a 64k -f asf '" +
                                 Target.toStdString() + "' 2>&1";
        std::string Out;
        EXPECT_EQ(autest::RunCommand(Line, &Out), 0) << Out;
        return Target;
    }

    // Returns once the files being added have their rows.
    // Thousands of files take a while under the sanitizers.
    void WaitLoaded() { ASSERT_TRUE(autest::RunUntil([this] { return !Loader.Busy(); }, 100000)); }
    // Adds Paths through the Add button's dialog.
    void AddByDialog(const QStringList& Paths)
    {
        Dialogs.OpenAnswers.push_back(Paths);
        Actions().Add()->trigger();
        WaitLoaded();
    }
    // Drops Paths on the page.
    void Drop(const QStringList& Paths)
    {
        Page->AddDroppedFiles(Paths);
        WaitLoaded();
    }

    app::TFileListModel& Files() { return FilesModel; }
    app::TFileListActions& Actions() { return Page->ListActions(); }
    app::TBatchStatusBar& Status() { return Page->StatusBar(); }
    QStringList Paths()
    {
        QStringList List;
        for (int Row = 0; Row < Files().Count(); ++Row)
            List << Files().Row(Row).Path;
        return List;
    }
    QStringList Captions()
    {
        QStringList List;
        for (int Row = 0; Row < Files().Count(); ++Row)
            List << Files().Row(Row).Caption();
        return List;
    }
    void Select(std::initializer_list<int> Rows)
    {
        QItemSelectionModel& Selection = *Page->FileList().selectionModel();
        Selection.clearSelection();
        for (int Row : Rows)
            Selection.select(Page->FileList().model()->index(Row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The view's text of a cell.
    QString Cell(int Row, int Column, int Role = Qt::DisplayRole)
    {
        return Page->FileList().model()->index(Row, Column).data(Role).toString();
    }
    template <typename T = QWidget> T* Child(const char* Name) { return Page->findChild<T*>(QLatin1String(Name)); }

    autest::TTempDir Dir;
    app::TcdSettings Settings;
    // As the window holds them: the output stops before its decoders, the
    // loader before its list, the runs before their claim.
    app::TRunClaim Claim;
    app::TFileListModel FilesModel;
    app::TFileLoader Loader{FilesModel};
    app::TListRun Batch{FilesModel, Settings, Claim};
    app::THotDirectory HotDir{Settings, Claim};
    app::TPreviewPlayer Player;
    TFakeDialogs Dialogs;
    TFakeShell Shell;
    std::unique_ptr<app::TBatchPage> Page;
};

} // namespace uitest
