// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentViewer.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace app {

TDocumentViewer::TDocumentViewer(const QString& Path, QWidget* Parent)
    : QDialog(Parent), FBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmDocument"));
    const QFileInfo Info(Path);
    setWindowTitle(Info.completeBaseName());
    FBrowser->setObjectName(QStringLiteral("txtDocument"));
    FBrowser->setAccessibleName(Info.completeBaseName());
    FBrowser->setOpenExternalLinks(true);
    // Pictures and relative links are found beside the document.
    FBrowser->setSearchPaths({Info.absolutePath()});
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        FBrowser->setPlainText(QStringLiteral("\"%1\" cannot be read: %2").arg(Path, File.errorString()));
    } else if (Info.suffix().compare(QLatin1String("md"), Qt::CaseInsensitive) == 0) {
        FBrowser->setMarkdown(QString::fromUtf8(File.readAll()));
    } else {
        FBrowser->setPlainText(QString::fromUtf8(File.readAll()));
        // Plain notes line their columns up with spaces.
        FBrowser->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    auto* Buttons = new QDialogButtonBox(this);
    QPushButton* Close = Buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    Close->setObjectName(QStringLiteral("btnClose"));
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FBrowser, 1);
    Layout->addWidget(Buttons);
    resize(760, 600);
}

} // namespace app
