// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the language file: its strings are loaded, and its
// window section is applied to a window on Qt's offscreen platform with a
// component of every kind the file treats apart (lists, texts, captions,
// geometry), which is then painted.
#include "MemoryFile.h"

#include "app/engine/settings/Language.h"
#include "app/ui/language/LanguageApply.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

namespace {

template <typename TWidget> TWidget* Add(QWidget& Window, const char* Name)
{
    auto* Widget = new TWidget(&Window);
    Widget->setObjectName(QString::fromLatin1(Name));
    Window.layout()->addWidget(Widget);
    return Widget;
}

// The names are those of the real window, so that the dictionary's lines reach them.
std::unique_ptr<QWidget> NewWindow()
{
    auto Window = std::make_unique<QWidget>();
    Window->setObjectName(QStringLiteral("frmsondrix"));
    new QVBoxLayout(Window.get());
    Add<QPushButton>(*Window, "btnnext")->setText(QStringLiteral("&Next"));
    Add<QLabel>(*Window, "lblmode");
    Add<QComboBox>(*Window, "cbRate");
    Add<QListWidget>(*Window, "lbItems");
    Add<QPlainTextEdit>(*Window, "mmolog");
    Add<QTextEdit>(*Window, "mmoHelp");
    return Window;
}

QApplication& Application()
{
    static int Argc = 1;
    static char Name[] = "language_fuzzer";
    static char* Argv[] = {Name, nullptr};
    static const bool Platform = qputenv("QT_QPA_PLATFORM", "offscreen");
    (void)Platform;
    static QApplication App(Argc, Argv);
    return App;
}

} // namespace

// Qt asks fontconfig for every font family a file names and keeps what it
// gets for the life of the program, and the font engines it loads to paint
// (FreeType faces, HarfBuzz shapers, glyph sets) stay in a per-thread cache
// that Qt frees only after the leak check at exit has run. Those allocations
// are made inside Qt's and the font libraries' own code; a widget or string
// of ours that leaked is allocated from our frames and is still reported.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libQt6Gui.so\n"
           "leak:libfreetype.so\n"
           "leak:libharfbuzz.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 16;
    if (Size > MaxInput)
        return -1;
    Application();
    static QTemporaryDir Folder;
    static const QString Name = Folder.filePath(QStringLiteral("Fuzz.lng"));
    if (!autest::WriteWholeFile(Name.toStdString(), Data, Size))
        return 0;

    app::TLangStrings Strings;
    app::LoadLanguageStrings(Strings, app::LangStringCount - 1, Name, QStringLiteral("Strings"));
    const std::unique_ptr<QWidget> Window = NewWindow();
    app::ApplyLanguage(Window.get(), Name);
    (void)Window->grab();
    return 0;
}
