// SPDX-License-Identifier: GPL-3.0-or-later
#include "LanguageApply.h"

#include "app/engine/settings/IniFile.h"
#include "app/engine/system/PathUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>
#include <array>
#include <utility>

namespace app {
namespace {

// The Windows character set codes, by name.
constexpr std::array<std::pair<const char*, int>, 19> Charsets{{
    {"ANSI_CHARSET", 0},       {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},      {"MAC_CHARSET", 77},
    {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},  {"JOHAB_CHARSET", 130},     {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162},   {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},   {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},    {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
}};

const QString Backslash = QStringLiteral("\\");
const QString Quote = QStringLiteral("\"");
const QString LineBreakMark = QStringLiteral("||");

// A line break written as "||" in the file. Qt's widgets break lines at "\n"
// alone; a carriage return would show as a stray character.
QString WithLineBreaks(QString Value)
{
    return Value.replace(LineBreakMark, QStringLiteral("\n"));
}

// Integers from the file are decimal; anything else leaves the property alone,
// so that one mistyped line does not keep the window from opening.
bool DecimalValue(const QString& Value, int& Result)
{
    bool Ok = false;
    Result = Trim(Value).toInt(&Ok, 10);
    return Ok;
}

// A position or size beyond any screen (negative, or past the 16-bit
// coordinates of X11) is a damaged line and leaves the built-in geometry; a
// size or position past the screen the widget is on is cut to that screen.
// Qt would otherwise try to paint a widget of any size the file states.
void SetGeometry(QWidget* Widget, const QString& Lower, int Number)
{
    constexpr int MaxCoordinate = 32767;
    if (Number < 0 || Number > MaxCoordinate)
        return;
    const QScreen* Screen = Widget->screen();
    const QSize Room = Screen != nullptr ? Screen->availableGeometry().size() : QSize(MaxCoordinate, MaxCoordinate);
    if (Lower == QLatin1String("left"))
        Widget->move(std::min(Number, Room.width() - 1), Widget->y());
    else if (Lower == QLatin1String("top"))
        Widget->move(Widget->x(), std::min(Number, Room.height() - 1));
    else if (Lower == QLatin1String("width"))
        Widget->resize(std::min(Number, Room.width()), Widget->height());
    else
        Widget->resize(Widget->width(), std::min(Number, Room.height()));
}

QObject* FindComponent(QWidget* Window, const QString& Name)
{
    if (Name.isEmpty() || Name.compare(Window->objectName(), Qt::CaseInsensitive) == 0)
        return Window;
    const QList<QObject*> Children = Window->findChildren<QObject*>();
    for (QObject* Child : Children)
        if (Child->objectName().compare(Name, Qt::CaseInsensitive) == 0)
            return Child;
    return nullptr;
}

// The properties whose meaning differs between the toolkits: position and
// size, and the string lists of list controls. True when Name was one of them.
bool SetSpecialProperty(QObject* Component, const QString& Name, const QString& Value)
{
    auto* Widget = qobject_cast<QWidget*>(Component);
    static const QStringList Geometry{QStringLiteral("left"), QStringLiteral("top"), QStringLiteral("width"),
                                      QStringLiteral("height")};
    const QString Lower = Name.toLower();
    if (Widget != nullptr && Geometry.contains(Lower)) {
        int Number = 0;
        if (DecimalValue(Value, Number))
            SetGeometry(Widget, Lower, Number);
        return true;
    }
    if (Lower != QLatin1String("items") && Lower != QLatin1String("lines"))
        return false;
    const QStringList Lines = SplitQuoted(Value, LineBreakMark, QLatin1Char('\\'), Quote);
    if (auto* Combo = qobject_cast<QComboBox*>(Component)) {
        Combo->clear();
        Combo->addItems(Lines);
    } else if (auto* List = qobject_cast<QListWidget*>(Component)) {
        List->clear();
        List->addItems(Lines);
    } else if (auto* Plain = qobject_cast<QPlainTextEdit*>(Component)) {
        Plain->setPlainText(Lines.join(QLatin1Char('\n')));
    } else if (auto* Rich = qobject_cast<QTextEdit*>(Component)) {
        Rich->setPlainText(Lines.join(QLatin1Char('\n')));
    }
    return true;
}

// The Qt property that carries what the language file calls Name: a caption
// is a button's or label's text, a group's or menu's title, a window's title;
// a hint is the tool tip; anything else is looked up by name in any case.
QMetaProperty FindProperty(const QObject* Component, const QString& Name)
{
    const QMetaObject* Meta = Component->metaObject();
    auto Named = [Meta](const char* QtName) { return Meta->property(Meta->indexOfProperty(QtName)); };
    const QString Lower = Name.toLower();
    if (Lower == QLatin1String("caption") || Lower == QLatin1String("text")) {
        const auto* Widget = qobject_cast<const QWidget*>(Component);
        if (Widget != nullptr && Widget->isWindow())
            return Named("windowTitle");
        for (const char* Candidate : {"text", "title", "windowTitle"})
            if (Meta->indexOfProperty(Candidate) >= 0)
                return Named(Candidate);
        return {};
    }
    if (Lower == QLatin1String("hint"))
        return Named("toolTip");
    for (int I = 0; I < Meta->propertyCount(); ++I)
        if (QString::fromLatin1(Meta->property(I).name()).compare(Name, Qt::CaseInsensitive) == 0)
            return Meta->property(I);
    return {};
}

void ApplyFont(QWidget* Window, const TIniFile& File)
{
    const QString Section = QStringLiteral("Font");
    const int Size = File.ReadInteger(Section, QStringLiteral("Size"), -1);
    const QString Name = File.ReadString(Section, QStringLiteral("Name"));
    const QString CharSet = File.ReadString(Section, QStringLiteral("CharSet"));
    const int BiDiMode = File.ReadInteger(Section, QStringLiteral("BiDiMode"), 0);
    if (BiDiMode >= 0 && BiDiMode <= 3) {
        // Every mode but left-to-right reads from the right.
        const Qt::LayoutDirection Direction = BiDiMode == 0 ? Qt::LeftToRight : Qt::RightToLeft;
        QApplication::setLayoutDirection(Direction);
        Window->setLayoutDirection(Direction);
    }
    // Only what the file sets becomes the window's own; the rest keeps
    // following the desktop's font.
    QFont Font = Window->font();
    if (Size > 0)
        Font.setPointSize(Size);
    if (!Name.isEmpty() && QFontDatabase::families().contains(Name, Qt::CaseInsensitive))
        Font.setFamily(Name);
    if (Font != Window->font())
        Window->setFont(Font);
    // Qt picks glyphs by script, not by a font's character set; the code is
    // kept on the window for whoever needs to know what the file asked for.
    Window->setProperty("CharSet", CharsetFromName(CharSet));
}

} // namespace

bool ApplyLanguage(QWidget* Window, const QString& FileName)
{
    const TIniFile File(FileName);
    ApplyFont(Window, File);
    const QChar Escape = QLatin1Char('\\');
    const QStringList Lines = File.SectionLines(Window->objectName());
    for (const QString& Line : Lines) {
        const QStringList KeyValue = SplitQuoted(Line, QStringLiteral("="), Escape, Quote);
        if (KeyValue.size() != 2)
            continue;
        const QStringList Names = SplitQuoted(Trim(KeyValue[0]), QStringLiteral("."), Escape, Quote);
        if (Names.size() != 2)
            continue;
        const QString PropertyName = Trim(Names[1]);
        QObject* Target = FindComponent(Window, Trim(Names[0]));
        if (Target == nullptr || PropertyName.isEmpty())
            continue;
        SetPropertyFromText(Target, PropertyName, KeyValue[1]);
    }
    return true;
}

int CharsetFromName(const QString& Name)
{
    QString Key = Name.toUpper();
    if (!Key.contains(QLatin1String("_CHARSET")))
        Key += QLatin1String("_CHARSET");
    for (const auto& [CharsetName, Code] : Charsets)
        if (Key == QLatin1String(CharsetName))
            return Code;
    return 1;
}

QStringList SplitQuoted(const QString& Text, const QString& Separator, QChar EscapeChar, const QString& QuoteChars)
{
    QStringList List;
    QString Token;
    bool InQuotes = false;
    qsizetype I = 0;
    while (I < Text.size()) {
        const QChar C = Text.at(I);
        if (C == EscapeChar) {
            if (I + 1 < Text.size())
                Token += Text.at(I + 1);
            I += 2;
        } else if (QuoteChars.contains(C)) {
            InQuotes = !InQuotes;
            ++I;
        } else if (!InQuotes && !Separator.isEmpty() && QStringView(Text).mid(I).startsWith(Separator)) {
            List << Token;
            Token.clear();
            I += Separator.size();
        } else {
            Token += C;
            ++I;
        }
    }
    List << Token;
    return List;
}

void SetPropertyFromText(QObject* Component, const QString& PropertyName, const QString& Value)
{
    if (SetSpecialProperty(Component, PropertyName, Value))
        return;
    const QMetaProperty Property = FindProperty(Component, PropertyName);
    if (!Property.isValid() || !Property.isWritable())
        return;
    switch (Property.typeId()) {
    case QMetaType::Int: {
        int Number = 0;
        if (DecimalValue(Value, Number))
            Property.write(Component, Number);
        break;
    }
    case QMetaType::QString:
        Property.write(Component, WithLineBreaks(Value));
        break;
    case QMetaType::QStringList:
        Property.write(Component, SplitQuoted(Value, LineBreakMark, QLatin1Char('\\'), Quote));
        break;
    default:
        // Flags, Booleans, fonts and the like are not set from text.
        break;
    }
}

} // namespace app
