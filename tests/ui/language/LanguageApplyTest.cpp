// SPDX-License-Identifier: GPL-3.0-or-later
// The language file applied to real widgets: which lines change what, which
// lines are ignored, and the "Font" section.
#include "app/ui/language/LanguageApply.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

using app::SplitQuoted;

const QChar Backslash = QLatin1Char('\\');
const QString Quote = QStringLiteral("\"");

TEST(SplitQuoted, SeparatorsQuotesAndEscapes)
{
    EXPECT_EQ(SplitQuoted(QStringLiteral("a=b"), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    // Quotes protect separators and are dropped; they may open mid-token.
    EXPECT_EQ(SplitQuoted(QStringLiteral("k=\"x=y\""), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("k"), QStringLiteral("x=y")}));
    EXPECT_EQ(SplitQuoted(QStringLiteral("a\"b.c\"d.e"), QStringLiteral("."), Backslash, Quote),
              (QStringList{QStringLiteral("ab.cd"), QStringLiteral("e")}));
    // The escape takes the next character as it is, inside quotes as well.
    EXPECT_EQ(SplitQuoted(QStringLiteral("a\\=b=c"), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("a=b"), QStringLiteral("c")}));
    EXPECT_EQ(SplitQuoted(QStringLiteral("\"a\\\"b\"=c"), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("a\"b"), QStringLiteral("c")}));
    // An escape with nothing after it is dropped, not read past the end.
    EXPECT_EQ(SplitQuoted(QStringLiteral("ab\\"), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("ab")}));
}

TEST(SplitQuoted, TokenCounts)
{
    EXPECT_EQ(SplitQuoted(QString(), QStringLiteral("="), Backslash, Quote), QStringList{QString()});
    EXPECT_EQ(SplitQuoted(QStringLiteral("a=b=c"), QStringLiteral("="), Backslash, Quote).size(), 3);
    EXPECT_EQ(SplitQuoted(QStringLiteral("="), QStringLiteral("="), Backslash, Quote),
              (QStringList{QString(), QString()}));
    // A separator of two characters is consumed whole; "|" alone does not split.
    EXPECT_EQ(SplitQuoted(QStringLiteral("8000||44100|x||"), QStringLiteral("||"), Backslash, Quote),
              (QStringList{QStringLiteral("8000"), QStringLiteral("44100|x"), QString()}));
    // An unclosed quote keeps the rest of the text in one token.
    EXPECT_EQ(SplitQuoted(QStringLiteral("a=\"b=c"), QStringLiteral("="), Backslash, Quote),
              (QStringList{QStringLiteral("a"), QStringLiteral("b=c")}));
}

TEST(CharsetFromName, NamesWithAndWithoutSuffixInAnyCase)
{
    // Windows' codes: RUSSIAN_CHARSET 204, OEM_CHARSET 255, SHIFTJIS_CHARSET 128, ANSI_CHARSET 0.
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("russian")), 204);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("Russian_Charset")), 204);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("OEM_CHARSET")), 255);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("shiftjis")), 128);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("ansi")), 0);
    EXPECT_EQ(app::CharsetFromName(QString()), 1);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral("klingon")), 1);
    EXPECT_EQ(app::CharsetFromName(QStringLiteral(" russian")), 1);
}

// A window shaped like the program's: named components on a named form.
class ApplyLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Window = std::make_unique<QWidget>();
        Window->setObjectName(QStringLiteral("frmsondrix"));
        Window->setWindowTitle(QStringLiteral("Title"));
        auto* Layout = new QVBoxLayout(Window.get());
        Convert = Add<QPushButton>(Layout, "btnConvert");
        Convert->setText(QStringLiteral("Convert To Wav"));
        Rate = Add<QComboBox>(Layout, "cbbRate");
        Rate->addItems({QStringLiteral("8000"), QStringLiteral("11025"), QStringLiteral("44100")});
        Group = Add<QGroupBox>(Layout, "grpHot");
        Label = Add<QLabel>(Layout, "lblexample");
        Log = Add<QPlainTextEdit>(Layout, "mmolog");
    }
    void TearDown() override { QApplication::setLayoutDirection(Qt::LeftToRight); }

    template <typename T> T* Add(QVBoxLayout* Layout, const char* Name)
    {
        auto* Widget = new T(Window.get());
        Widget->setObjectName(QString::fromLatin1(Name));
        Layout->addWidget(Widget);
        return Widget;
    }

    void Apply(const QByteArray& Text)
    {
        QFile File(Dir.filePath(QStringLiteral("Test.lng")));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Text);
        File.close();
        EXPECT_TRUE(app::ApplyLanguage(Window.get(), File.fileName()));
    }

    QTemporaryDir Dir;
    std::unique_ptr<QWidget> Window;
    QPushButton* Convert = nullptr;
    QComboBox* Rate = nullptr;
    QGroupBox* Group = nullptr;
    QLabel* Label = nullptr;
    QPlainTextEdit* Log = nullptr;
};

TEST_F(ApplyLanguageTest, CaptionsHintsItemsAndLines)
{
    Apply("[frmsondrix]\n"
          "btnConvert.Caption=In &WAV umwandeln\n"
          "frmsondrix.Caption=Fenster\n"
          "grpHot.Caption=Gruppe\n"
          "lblexample.Caption=Zeile eins||Zeile zwei\n"
          "btnConvert.Hint=Umwandeln\n"
          "cbbRate.Items=8000||44100\n"
          "mmolog.Lines=eins||\"zwei||drei\"\n");
    EXPECT_EQ(Convert->text(), QStringLiteral("In &WAV umwandeln"));
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Fenster"));
    EXPECT_EQ(Group->title(), QStringLiteral("Gruppe"));
    EXPECT_EQ(Label->text(), QStringLiteral("Zeile eins\nZeile zwei"));
    EXPECT_EQ(Convert->toolTip(), QStringLiteral("Umwandeln"));
    ASSERT_EQ(Rate->count(), 2);
    EXPECT_EQ(Rate->itemText(0), QStringLiteral("8000"));
    EXPECT_EQ(Rate->itemText(1), QStringLiteral("44100"));
    // The quotes went with the split at "=", so they protect nothing here.
    EXPECT_EQ(Log->toPlainText(), QStringLiteral("eins\nzwei\ndrei"));
}

TEST_F(ApplyLanguageTest, WindowByEmptyNameAndNamesInAnyCase)
{
    Apply("[FRMSONDRIX]\n"
          ".Caption=Ohne Namen\n"
          "BTNCONVERT.caption=Klein\n");
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Ohne Namen"));
    EXPECT_EQ(Convert->text(), QStringLiteral("Klein"));
}

TEST_F(ApplyLanguageTest, MalformedLinesAreSkippedAndTheRestApplies)
{
    Apply("[frmsondrix]\n"
          "btnConvert.Caption=a=b\n"                   // second "=" outside quotes
          "lblexample.Caption=\"x = y\"\n"             // quoted "=" is kept, quotes dropped
          "btnConvert.Width=12abc\n"                   // not a decimal number
          "btnConvert.Height=0x20\n"
          "btnConvert.Left=17\n"
          "btnConvert.Top= 23\n"
          "nosuch.Caption=nothing\n"                   // no such component
          "btnConvert.NoSuchProperty=nothing\n"
          "btnConvert.=empty property\n"
          "a.b.c=three names\n"
          "no equals sign\n");
    EXPECT_EQ(Convert->text(), QStringLiteral("Convert To Wav"));
    EXPECT_EQ(Label->text(), QStringLiteral("x = y"));
    EXPECT_EQ(Convert->pos(), QPoint(17, 23));
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Title"));
}

// A damaged file once asked for a window of 16777215 pixels square, which Qt
// failed to paint: sizes stay within the screen, and absurd or negative
// values leave the built-in geometry.
TEST_F(ApplyLanguageTest, GeometryStaysOnTheScreen)
{
    const QSize Screen = Window->screen()->availableGeometry().size();
    const QRect Button = Convert->geometry();
    Apply("[frmsondrix]\n"
          "frmsondrix.Width=16777215\n"
          "frmsondrix.Height=16777215\n"
          "btnConvert.Width=30000\n"
          "btnConvert.Height=-40\n"
          "btnConvert.Left=-1\n"
          "btnConvert.Top=30000\n");
    EXPECT_LE(Window->width(), Screen.width());
    EXPECT_LE(Window->height(), Screen.height());
    EXPECT_EQ(Convert->width(), Screen.width());
    EXPECT_EQ(Convert->height(), Button.height());
    EXPECT_EQ(Convert->pos(), QPoint(Button.x(), Screen.height() - 1));
    EXPECT_FALSE(Window->grab().isNull());
}

TEST_F(ApplyLanguageTest, IntegerPropertiesTakeDecimalTextOnly)
{
    const QSize Before = Convert->size();
    Apply("[frmsondrix]\n"
          "btnConvert.Width=$1F\n"
          "cbbRate.MaxVisibleItems=3\n"
          "cbbRate.MaxCount=ten\n");
    EXPECT_EQ(Convert->size(), Before);
    EXPECT_EQ(Rate->maxVisibleItems(), 3);
    EXPECT_EQ(Rate->maxCount(), QComboBox().maxCount());
}

TEST_F(ApplyLanguageTest, FontSectionSizeFaceCharsetAndDirection)
{
    const QString Family = Window->font().family();
    Apply("[Font]\nSize=15\nName=No Such Face Anywhere\nCharSet=russian\nBiDiMode=2\n");
    EXPECT_EQ(Window->font().pointSize(), 15);
    EXPECT_EQ(Window->font().family(), Family);
    EXPECT_EQ(Window->property("CharSet").toInt(), 204);
    EXPECT_EQ(Window->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(QApplication::layoutDirection(), Qt::RightToLeft);
    EXPECT_TRUE(Convert->isRightToLeft());
}

TEST_F(ApplyLanguageTest, MissingFileOrKeysChangeNothingButTheCharset)
{
    const int Size = Window->font().pointSize();
    Window->setProperty("CharSet", 204);
    EXPECT_TRUE(app::ApplyLanguage(Window.get(), Dir.filePath(QStringLiteral("Missing.lng"))));
    EXPECT_EQ(Window->font().pointSize(), Size);
    EXPECT_FALSE(Window->testAttribute(Qt::WA_SetFont));
    EXPECT_EQ(Window->property("CharSet").toInt(), 1);
    EXPECT_EQ(Window->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(Convert->text(), QStringLiteral("Convert To Wav"));
    // A direction outside 0..3 leaves the layout as it is.
    Apply("[Font]\nBiDiMode=7\nSize=0\n");
    EXPECT_EQ(Window->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(Window->font().pointSize(), Size);
}

// The keys of a shipped language file, "Section/key", in file order.
QStringList LanguageKeys(const QString& FileName)
{
    QFile File(FileName);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << FileName.toStdString();
    QStringList Keys;
    QString Section;
    for (const QByteArray& Raw : File.readAll().split('\n')) {
        const QString Line = QString::fromUtf8(Raw).trimmed();
        if (Line.startsWith(QLatin1Char('[')))
            Section = Line.mid(1, Line.size() - 2);
        else if (!Line.isEmpty() && !Line.startsWith(QLatin1Char(';')))
            Keys << Section + QLatin1Char('/') + Line.section(QLatin1Char('='), 0, 0);
    }
    return Keys;
}

// A translation says everything the English file says: a key missing from it
// leaves that text English in a translated window.
TEST(LanguageFiles, TheTranslationHasEveryKeyOfTheEnglishFile)
{
    const QString Folder = QStringLiteral(KELVARO_UI_TEST_DATA);
    const QStringList English = LanguageKeys(Folder + QStringLiteral("/English.lng"));
    const QStringList Deutsch = LanguageKeys(Folder + QStringLiteral("/Deutsch.lng"));
    EXPECT_EQ(Deutsch, English);
    EXPECT_GT(English.filter(QStringLiteral(".Caption")).size(), 60);
}

} // namespace
