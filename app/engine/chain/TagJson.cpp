// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagJson.h"

#include "audio/decoders/FLACIn.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/tags/AuTaggedFileIn.h"

#include <string>

namespace app {
namespace {

// One kind's values, gathered property by property.
class TTagObject {
public:
    void Put(const char* Property, const std::string& Text)
    {
        if (!Text.empty())
            FValues.insert(QLatin1String(Property), QString::fromStdString(Text));
    }
    void Put(const char* Property, const std::u16string& Text)
    {
        if (!Text.empty())
            FValues.insert(QLatin1String(Property), QString::fromStdU16String(Text));
    }
    // ID3v1 keeps "none" as 0.
    void Put(const char* Property, int Number)
    {
        if (Number != 0)
            FValues.insert(QLatin1String(Property), Number);
    }
    // A cleared object holds nothing, whatever its getters answer (an unread
    // ID3v1 genre would read "Blues").
    void AddTo(QJsonObject& Tags, const char* Kind, const au::TAuTags& Source) const
    {
        if (!Source.Empty() && !FValues.isEmpty())
            Tags.insert(QLatin1String(Kind), FValues);
    }

private:
    QJsonObject FValues;
};

void AddId3v1(QJsonObject& Tags, const au::TId3v1Tags& T)
{
    TTagObject O;
    O.Put("Title", T.Title());
    O.Put("Artist", T.Artist());
    O.Put("Album", T.Album());
    O.Put("Year", T.Year());
    O.Put("Comment", T.Comment());
    O.Put("Track", T.Track());
    O.Put("Genre", T.Genre());
    O.AddTo(Tags, "id3v1", T);
}

void AddId3v2(QJsonObject& Tags, const au::TId3v2Tags& T)
{
    TTagObject O;
    O.Put("Album", T.Album());
    O.Put("Artist", T.Artist());
    O.Put("Genre", T.Genre());
    O.Put("Title", T.Title());
    O.Put("Track", T.Track());
    O.Put("Year", T.Year());
    O.Put("Comment", T.Comment());
    O.Put("Composer", T.Composer());
    O.Put("Encoder", T.Encoder());
    O.Put("Copyright", T.Copyright());
    O.Put("Language", T.Language());
    O.Put("Link", T.Link());
    O.AddTo(Tags, "id3v2", T);
}

void AddAPEv2(QJsonObject& Tags, const au::TAPEv2Tags& T)
{
    TTagObject O;
    O.Put("Artist", T.Artist());
    O.Put("Composer", T.Composer());
    O.Put("Album", T.Album());
    O.Put("DebutAlbum", T.DebutAlbum());
    O.Put("Publisher", T.Publisher());
    O.Put("Conductor", T.Conductor());
    O.Put("Copyright", T.Copyright());
    O.Put("ISBN", T.ISBN());
    O.Put("ISRC", T.ISRC());
    O.Put("BarCode", T.BarCode());
    O.Put("LabelCode", T.LabelCode());
    O.Put("Catalog", T.Catalog());
    O.Put("Language", T.Language());
    O.Put("Genre", T.Genre());
    O.Put("Year", T.Year());
    O.Put("RecordDate", T.RecordDate());
    O.Put("RecordLocation", T.RecordLocation());
    O.Put("File", T.File_());
    O.Put("Related", T.Related());
    O.Put("Abstract", T.Abstract());
    O.Put("Bibliography", T.Bibliography());
    O.Put("Track", T.Track());
    O.Put("Title", T.Title());
    O.Put("SubTitle", T.SubTitle());
    O.Put("Comment", T.Comment());
    O.AddTo(Tags, "apev2", T);
}

void AddVorbis(QJsonObject& Tags, const au::TVorbisTags& T)
{
    TTagObject O;
    O.Put("Album", T.Album());
    O.Put("Artist", T.Artist());
    O.Put("Date", T.Date());
    O.Put("Genre", T.Genre());
    O.Put("Title", T.Title());
    O.Put("Track", T.Track());
    O.Put("Disc", T.Disc());
    O.Put("Reference", T.Reference());
    O.Put("TrackGain", T.TrackGain());
    O.Put("TrackPeak", T.TrackPeak());
    O.Put("AlbumGain", T.AlbumGain());
    O.Put("AlbumPeak", T.AlbumPeak());
    O.AddTo(Tags, "vorbis", T);
}

} // namespace

QJsonObject TagsJson(au::TAuFileIn& Decoder)
{
    QJsonObject Tags;
    if (auto* Tagged = dynamic_cast<au::TAuTaggedFileIn*>(&Decoder)) {
        AddId3v1(Tags, Tagged->Id3v1Tags());
        AddId3v2(Tags, Tagged->Id3v2Tags());
        AddAPEv2(Tags, Tagged->APEv2Tags());
    } else if (auto* Flac = dynamic_cast<au::TFLACIn*>(&Decoder)) {
        AddVorbis(Tags, Flac->Tags());
    } else if (auto* Vorbis = dynamic_cast<au::TVorbisIn*>(&Decoder)) {
        AddVorbis(Tags, Vorbis->Tags());
    }
    return Tags;
}

} // namespace app
