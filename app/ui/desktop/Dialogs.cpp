// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "app/engine/settings/AppTitle.h"

#include <QFileDialog>

namespace app {

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
