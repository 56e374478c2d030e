// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderSet.h"

#include "app/engine/system/PathUtils.h"
#include "audio/decoders/FLACIn.h"
#include "audio/decoders/MACIn.h"
#include "audio/decoders/MP3In.h"
#include "audio/decoders/TTAIn.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/decoders/WMIn.h"

#include <QFileInfo>
#include <QStringList>

namespace app {

TDecoderSet::TDecoderSet()
{
    FDecoders.emplace_back(QStringLiteral(".mp3"), std::make_unique<au::TMP3In>());
    FDecoders.emplace_back(QStringLiteral(".flac"), std::make_unique<au::TFLACIn>());
    FDecoders.emplace_back(QStringLiteral(".ape"), std::make_unique<au::TMACIn>());
    FDecoders.emplace_back(QStringLiteral(".wma"), std::make_unique<au::TWMIn>());
    FDecoders.emplace_back(QStringLiteral(".ogg"), std::make_unique<au::TVorbisIn>());
    FDecoders.emplace_back(QStringLiteral(".tta"), std::make_unique<au::TTTAIn>());
}

TDecoderSet::~TDecoderSet() = default;

au::TAuFileIn* TDecoderSet::ForExtension(const QString& Extension) const
{
    const QString Key = LowerTrim(Extension);
    for (const auto& [Name, Decoder] : FDecoders)
        if (Name == Key)
            return Decoder.get();
    return nullptr;
}

au::TAuFileIn* TDecoderSet::ForFile(const QString& Path) const
{
    return ForExtension(FileExtension(Path));
}

QStringList TDecoderSet::Extensions() const
{
    QStringList Names;
    for (const auto& Entry : FDecoders)
        Names << Entry.first;
    return Names;
}

QString FileExtension(const QString& Path)
{
    const QString Name = QFileInfo(Path).fileName();
    const qsizetype Dot = Name.lastIndexOf(QLatin1Char('.'));
    return Dot < 0 ? QString() : LowerTrim(Name.mid(Dot));
}

} // namespace app
