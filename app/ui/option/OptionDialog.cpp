// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionDialog.h"

#include "app/ui/access/ComboAccessible.h"
#include "app/ui/language/LanguageApply.h"
#include "app/engine/batch/BatchRunner.h"
#include "app/engine/chain/FileConversion.h"
#include "app/engine/chain/OutputFormat.h"
#include "app/engine/settings/CdSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

QLabel* NewLabel(const char* Name, const QString& Caption, QWidget* Parent)
{
    auto* Label = new QLabel(Caption, Parent);
    Label->setObjectName(QLatin1String(Name));
    return Label;
}

// A drop-down list of fixed items, labelled by Label (a screen reader finds
// the label through the buddy relation).
QComboBox* NewList(const char* Name, const QStringList& Items, QLabel* Label, QWidget* Parent)
{
    auto* List = new QComboBox(Parent);
    List->setObjectName(QLatin1String(Name));
    List->addItems(Items);
    Label->setBuddy(List);
    return List;
}

QStringList Numbers(const QList<int>& Values)
{
    QStringList Texts;
    for (int Value : Values)
        Texts << QString::number(Value);
    return Texts;
}

QPushButton* NewButton(const char* Name, const QString& Caption, QWidget* Parent)
{
    auto* Button = new QPushButton(Caption, Parent);
    Button->setObjectName(QLatin1String(Name));
    return Button;
}

} // namespace

TfrmOption::TfrmOption(TcdSettings& Settings, const QString& LanguageFile, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FSettings(Settings)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Option"));
    InstallNamedComboAccessible();

    auto* Grid = new QGridLayout;
    auto* RateLabel = NewLabel("lblRate", QStringLiteral("&Sample Rate:"), this);
    FRate = NewList("cbbRate", Numbers(TOutputFormat::OfferedRates()), RateLabel, this);
    auto* BitsLabel = NewLabel("lblbit", QStringLiteral("Wav &Bit:"), this);
    FBits = NewList("cbbbit", Numbers(TOutputFormat::BitDepths()), BitsLabel, this);
    auto* ChannelsLabel = NewLabel("lblchannels", QStringLiteral("&Channels:"), this);
    FChannels = NewList("cbbchannels", {QStringLiteral("Default"), QStringLiteral("Mono"), QStringLiteral("Stereo")},
                        ChannelsLabel, this);
    auto* EncodingLabel = NewLabel("lblencoding", QStringLiteral("&Encoding:"), this);
    FEncoding =
        NewList("cbbencoding", {QStringLiteral("RAW PCM"), QStringLiteral("DVI IMA ADPCM")}, EncodingLabel, this);
    auto* IfExistsLabel = NewLabel("lblifexists", QStringLiteral("&If the WAV file exists:"), this);
    // In TIfExists order.
    FIfExists = NewList("cbbifexists", {QStringLiteral("Overwrite"), QStringLiteral("Skip"), QStringLiteral("Rename")},
                        IfExistsLabel, this);
    auto* ParallelLabel = NewLabel("lblparallel", QStringLiteral("&Parallel conversions:"), this);
    // In ParallelChoices order: "Automatic", then the counts.
    QStringList Counts{QStringLiteral("Automatic")};
    for (int Choice : ParallelChoices().mid(1))
        Counts << QString::number(Choice);
    FParallel = NewList("cbbparallel", Counts, ParallelLabel, this);
    // The designed selection, which a stored bit depth the list lacks keeps.
    FRate->setCurrentText(QString::number(TOutputFormat::DefaultRate));
    FBits->setCurrentText(QString::number(TOutputFormat::DefaultBits));
    connect(FEncoding, &QComboBox::currentIndexChanged, this, &TfrmOption::EncodingChanged);

    const std::pair<QLabel*, QComboBox*> Rows[] = {{RateLabel, FRate},
                                                   {BitsLabel, FBits},
                                                   {ChannelsLabel, FChannels},
                                                   {EncodingLabel, FEncoding},
                                                   {IfExistsLabel, FIfExists},
                                                   {ParallelLabel, FParallel}};
    int Row = 0;
    for (const auto& [Label, List] : Rows) {
        Grid->addWidget(Label, Row, 0);
        Grid->addWidget(List, Row, 1);
        ++Row;
    }
    FKeepTime = new QCheckBox(QStringLiteral("Keep the source's &date"), this);
    FKeepTime->setObjectName(QStringLiteral("chkkeeptime"));
    Grid->addWidget(FKeepTime, Row, 1, 1, 2);
    Grid->addWidget(NewLabel("lblHz", QStringLiteral("(HZ)"), this), 0, 2);
    Grid->addWidget(NewLabel("lblbitunit", QStringLiteral("(Bit)"), this), 1, 2);
    Grid->setColumnStretch(1, 1);

    FCopyTags = new QCheckBox(QStringLiteral("Copy &tags into the WAV file"), this);
    FCopyTags->setObjectName(QStringLiteral("chkcopytags"));

    auto* OK = NewButton("btnOK", QStringLiteral("&OK"), this);
    OK->setDefault(true);
    auto* Cancel = NewButton("btnCancel", QStringLiteral("C&ancel"), this);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(OK);
    Buttons->addWidget(Cancel);

    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Grid);
    Layout->addWidget(FCopyTags);
    Layout->addSpacing(8);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OK, &QPushButton::clicked, this, &TfrmOption::btnOKClick);
    // Escape rejects as well: the cancel key.
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    ApplyLanguage(this, LanguageFile);
}

void TfrmOption::showEvent(QShowEvent* Event)
{
    if (!Event->spontaneous())
        FormShow();
    QDialog::showEvent(Event);
}

void TfrmOption::FormShow()
{
    const int Rate = FRate->findText(FSettings.MRate());
    FRate->setCurrentIndex(Rate >= 0 ? Rate : FRate->findText(QString::number(TOutputFormat::DefaultRate)));
    const int Bits = FBits->findText(FSettings.MBit());
    if (Bits >= 0)
        FBits->setCurrentIndex(Bits);
    FChannels->setCurrentIndex(FSettings.MChannel());
    FEncoding->setCurrentIndex(FSettings.MEncoding());
    FIfExists->setCurrentIndex(IfExistsChoice(FSettings.IfExists()));
    // A count the list does not offer reads as automatic.
    FParallel->setCurrentIndex(std::max(0, static_cast<int>(ParallelChoices().indexOf(FSettings.Parallel()))));
    FKeepTime->setChecked(FSettings.KeepTime());
    FCopyTags->setChecked(FSettings.CopyTags());
    EncodingChanged();
}

void TfrmOption::EncodingChanged()
{
    const bool Adpcm = FEncoding->currentIndex() == TOutputFormat::enADPCM;
    auto* Items = qobject_cast<QStandardItemModel*>(FBits->model());
    for (int Index = 0; Index < FBits->count(); ++Index) {
        const bool Allowed = TOutputFormat::BitsAllowed(FBits->itemText(Index).toInt(), FEncoding->currentIndex());
        if (Items != nullptr)
            Items->item(Index)->setEnabled(Allowed);
    }
    if (Adpcm)
        FBits->setCurrentText(QString::number(TOutputFormat::AdpcmBits));
}

void TfrmOption::btnOKClick()
{
    FSettings.SetMRate(FRate->currentText());
    FSettings.SetMBit(FBits->currentText());
    FSettings.SetMChannel(FChannels->currentIndex());
    FSettings.SetMEncoding(FEncoding->currentIndex());
    FSettings.SetIfExists(FIfExists->currentIndex());
    FSettings.SetParallel(ParallelChoices().value(FParallel->currentIndex()));
    FSettings.SetKeepTime(FKeepTime->isChecked());
    FSettings.SetCopyTags(FCopyTags->isChecked());
    accept();
}

} // namespace app
