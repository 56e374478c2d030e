// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/desktop/Dialogs.h"
#include "app/ui/desktop/Shell.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace uitest {

// Answers the window's questions from queues the test fills and records what
// was asked; an empty queue answers as a person who cancels.
class TFakeDialogs final : public app::TDialogs {
public:
    struct TMessage {
        QMessageBox::Icon Icon;
        QString Text;
        QMessageBox::StandardButtons Buttons;
    };

    std::deque<QMessageBox::StandardButton> MessageAnswers;
    std::deque<QString> FolderAnswers;
    // The state of the sub-folder check box a folder answer leaves; unchecked
    // when the queue is empty.
    std::deque<bool> SubFolderAnswers;
    std::deque<QStringList> OpenAnswers;
    std::deque<QString> SaveAnswers;

    std::vector<TMessage> Messages;
    QStringList FolderTitles;
    QStringList FolderStarts;
    QStringList OpenFilters;
    QStringList SaveFilters;

    QMessageBox::StandardButton Message(QWidget*, QMessageBox::Icon Icon, const QString& Text,
                                        QMessageBox::StandardButtons Buttons) override
    {
        Messages.push_back({Icon, Text, Buttons});
        return Take(MessageAnswers, QMessageBox::Cancel);
    }
    QString BrowseForFolder(QWidget*, const QString& Title, const QString& Start) override
    {
        FolderTitles << Title;
        FolderStarts << Start;
        return Take(FolderAnswers, QString());
    }
    QString BrowseForFolderTree(QWidget* Owner, const QString& Title, const QString& Start, bool& SubFolders) override
    {
        SubFolders = Take(SubFolderAnswers, false);
        return BrowseForFolder(Owner, Title, Start);
    }
    QStringList OpenFiles(QWidget*, const QString& Filter, bool) override
    {
        OpenFilters << Filter;
        return Take(OpenAnswers, QStringList());
    }
    QString SaveFile(QWidget*, const QString& Filter, const QString&) override
    {
        SaveFilters << Filter;
        return Take(SaveAnswers, QString());
    }

private:
    template <typename T, typename U> static T Take(std::deque<T>& Queue, U Default)
    {
        if (Queue.empty())
            return T(Default);
        T Answer = Queue.front();
        Queue.pop_front();
        return Answer;
    }
};

// Records what the window asked the desktop to show.
class TFakeShell final : public app::TShell {
public:
    QStringList ShownItems;
    QStringList OpenedFolders;

    void ShowItem(const QString& Path) override { ShownItems << Path; }
    void OpenFolder(const QString& Folder) override { OpenedFolders << Folder; }
};

} // namespace uitest
