// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDialog.h"

#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/Language.h"
#include "audio/decoders/CodecVersions.h"
#include "audio/playback/PulseBinding.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {
namespace {

// Language strings of the texts the box puts together.
constexpr int StrVersion = 37, StrNotFound = 38;

QLabel* NewLabel(const char* Name, const QString& Text, QWidget* Parent)
{
    auto* Label = new QLabel(Text, Parent);
    Label->setObjectName(QLatin1String(Name));
    Label->setTextFormat(Qt::PlainText);
    Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return Label;
}

QString Line(const std::string& Name, const std::string& Version)
{
    return QString::fromStdString(Name) + QLatin1Char(' ') +
           (Version.empty() ? LangText(StrNotFound, "not found") : QString::fromStdString(Version));
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto* Icon = new QLabel(this);
    Icon->setPixmap(QIcon(QStringLiteral(":/kelvaro/org.trevalin.Kelvaro.svg")).pixmap(64, 64));
    Icon->setAccessibleName(QString::fromUtf8(ApplicationTitle));
    auto* Name = NewLabel("lblname", QString::fromUtf8(ApplicationTitle), this);
    QFont Bold = Name->font();
    Bold.setBold(true);
    Bold.setPointSizeF(Bold.pointSizeF() * 1.3);
    Name->setFont(Bold);
    auto* Version = NewLabel("lblversion", LangText(StrVersion, "Version %1").arg(QStringLiteral(KELVARO_VERSION)), this);
    auto* Licence = NewLabel("lbllicence",
                             QStringLiteral("Licence: GNU General Public License, version 3 or later "
                                            "(GPL-3.0-or-later). There is no warranty."),
                             this);
    Licence->setWordWrap(true);
    auto* LibrariesCaption = NewLabel("lbllibrariescaption", QStringLiteral("Codec libraries:"), this);
    auto* Libraries = NewLabel("lbllibraries", LibraryLines().join(QLatin1Char('\n')), this);
    Libraries->setContentsMargins(12, 0, 0, 0);
    auto* Buttons = new QDialogButtonBox(this);
    QPushButton* Close = Buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    Close->setObjectName(QStringLiteral("btnClose"));
    Close->setDefault(true);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Icon, 0, Qt::AlignHCenter);
    Layout->addWidget(Name, 0, Qt::AlignHCenter);
    Layout->addWidget(Version, 0, Qt::AlignHCenter);
    Layout->addWidget(Licence);
    Layout->addWidget(LibrariesCaption);
    Layout->addWidget(Libraries);
    Layout->addWidget(Buttons);
    setMinimumWidth(420);
}

QStringList TfrmAbout::LibraryLines()
{
    QStringList Lines;
    for (const auto& [Name, Version] : au::CodecLibraryVersions())
        Lines << Line(Name, Version);
    Lines << Line("PulseAudio", au::PulseLibraryVersion());
    return Lines;
}

} // namespace app
