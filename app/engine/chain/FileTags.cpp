// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileTags.h"

#include "audio/decoders/FLACIn.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/tags/AuTaggedFileIn.h"

#include <QStringList>
#include <string>

namespace app {
namespace {

QString Text(const std::string& Utf8) { return QString::fromUtf8(Utf8); }
QString Text(const std::u16string& Utf16) { return QString::fromStdU16String(Utf16); }
QString Number(int Value) { return Value != 0 ? QString::number(Value) : QString(); }

// The first candidate that holds text, cleaned and cut on a character's
// boundary.
class TValuePicker {
public:
    explicit TValuePicker(au::TFileTags& Tags) : FTags(Tags) {}

    void Set(std::string& Field, std::initializer_list<QString> Candidates)
    {
        for (QString Value : Candidates) {
            Value.remove(QChar(0));
            Value = Value.trimmed();
            if (Value.isEmpty())
                continue;
            QByteArray Utf8 = Value.toUtf8();
            if (static_cast<size_t>(Utf8.size()) > au::TFileTags::MaxValueBytes) {
                qsizetype Cut = static_cast<qsizetype>(au::TFileTags::MaxValueBytes);
                while (Cut > 0 && (static_cast<uint8_t>(Utf8[Cut]) & 0xC0) == 0x80)
                    --Cut;
                Utf8.truncate(Cut);
                ++FTags.CutValues;
            }
            Field = Utf8.toStdString();
            return;
        }
    }

private:
    au::TFileTags& FTags;
};

void FromVorbis(au::TFileTags& Tags, const au::TVorbisTags& V, au::TTagPicture& Picture)
{
    TValuePicker Pick(Tags);
    Pick.Set(Tags.Title, {Text(V.Title())});
    Pick.Set(Tags.Artist, {Text(V.Artist())});
    Pick.Set(Tags.Album, {Text(V.Album())});
    Pick.Set(Tags.Track, {Text(V.Track())});
    Pick.Set(Tags.Year, {Text(V.Date())});
    Pick.Set(Tags.Genre, {Text(V.Genre())});
    Tags.Picture = Picture;
}

void FromTagged(au::TFileTags& Tags, au::TAuTaggedFileIn& In)
{
    const au::TId3v2Tags& V2 = In.Id3v2Tags();
    const au::TAPEv2Tags& Ape = In.APEv2Tags();
    const au::TId3v1Tags& V1 = In.Id3v1Tags();
    // A cleared ID3v1 object still answers a genre ("Blues"): it counts only when read.
    const bool HasV1 = !V1.Empty();
    TValuePicker Pick(Tags);
    Pick.Set(Tags.Title, {Text(V2.Title()), Text(Ape.Title()), HasV1 ? Text(V1.Title()) : QString()});
    Pick.Set(Tags.Artist, {Text(V2.Artist()), Text(Ape.Artist()), HasV1 ? Text(V1.Artist()) : QString()});
    Pick.Set(Tags.Album, {Text(V2.Album()), Text(Ape.Album()), HasV1 ? Text(V1.Album()) : QString()});
    Pick.Set(Tags.Track, {Text(V2.Track()), Text(Ape.Track()), HasV1 ? Number(V1.Track()) : QString()});
    Pick.Set(Tags.Year, {Text(V2.Year()), Text(Ape.Year()), HasV1 ? Number(V1.Year()) : QString()});
    Pick.Set(Tags.Genre, {Text(V2.Genre()), Text(Ape.Genre()), HasV1 ? Text(V1.Genre()) : QString()});
    Pick.Set(Tags.Comment, {Text(V2.Comment()), Text(Ape.Comment()), HasV1 ? Text(V1.Comment()) : QString()});
    Tags.Picture = In.Picture();
}

} // namespace

au::TFileTags ReadFileTags(au::TAuFileIn& Decoder)
{
    au::TFileTags Tags;
    // Opening the file fills the tag objects.
    if (!Decoder.Valid())
        return Tags;
    if (auto* Tagged = dynamic_cast<au::TAuTaggedFileIn*>(&Decoder))
        FromTagged(Tags, *Tagged);
    else if (auto* Flac = dynamic_cast<au::TFLACIn*>(&Decoder))
        FromVorbis(Tags, Flac->Tags(), Flac->Picture());
    else if (auto* Vorbis = dynamic_cast<au::TVorbisIn*>(&Decoder))
        FromVorbis(Tags, Vorbis->Tags(), Vorbis->Picture());
    return Tags;
}

QString LeftOutNote(const au::TFileTags& Tags)
{
    QStringList Parts;
    if (Tags.CutValues > 0)
        Parts << QStringLiteral("%1 tag value(s) cut to %2 bytes").arg(Tags.CutValues).arg(au::TFileTags::MaxValueBytes);
    if (Tags.Picture.LeftOutBytes > 0)
        Parts << QStringLiteral("the picture (%1 bytes) was left out, as it is larger than 16 MiB")
                     .arg(Tags.Picture.LeftOutBytes);
    return Parts.isEmpty() ? QString() : QStringLiteral("Tags: ") + Parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

} // namespace app
