// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/Language.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

namespace app {
namespace {

constexpr int StrSubFolders = 63;

} // namespace

QMessageBox::StandardButton TQtDialogs::Message(QWidget* Owner, QMessageBox::Icon Icon, const QString& Text,
                                                QMessageBox::StandardButtons Buttons)
{
    QMessageBox Box(Icon, QString::fromUtf8(ApplicationTitle), Text, Buttons, Owner);
    return static_cast<QMessageBox::StandardButton>(Box.exec());
}

QString TQtDialogs::BrowseForFolder(QWidget* Owner, const QString& Title, const QString& Start)
{
    return QFileDialog::getExistingDirectory(Owner, Title, Start);
}

QString TQtDialogs::BrowseForFolderTree(QWidget* Owner, const QString& Title, const QString& Start,
                                        bool& SubFolders)
{
    // The desktop's own folder dialog takes no control of ours; Qt's does.
    QFileDialog Dialog(Owner, Title, Start);
    Dialog.setFileMode(QFileDialog::Directory);
    Dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    auto* Below = new QCheckBox(LangText(StrSubFolders, "Include &sub-folders"), &Dialog);
    Below->setObjectName(QStringLiteral("chkAddSubFolders"));
    Below->setChecked(SubFolders);
    if (auto* Grid = qobject_cast<QGridLayout*>(Dialog.layout()))
        Grid->addWidget(Below, Grid->rowCount(), 0, 1, Grid->columnCount());
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    SubFolders = Below->isChecked();
    return Dialog.selectedFiles().constFirst();
}

QStringList TQtDialogs::OpenFiles(QWidget* Owner, const QString& Filter, bool Many)
{
    QFileDialog Dialog(Owner, QString(), QString(), Filter);
    Dialog.setFileMode(Many ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    Dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return Dialog.exec() == QDialog::Accepted ? Dialog.selectedFiles() : QStringList();
}

QString TQtDialogs::SaveFile(QWidget* Owner, const QString& Filter, const QString& DefaultSuffix)
{
    QFileDialog Dialog(Owner, QString(), QString(), Filter);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setDefaultSuffix(DefaultSuffix);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    return Dialog.selectedFiles().constFirst();
}

} // namespace app
