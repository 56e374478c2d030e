// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli: the converter's engine for scripts and servers.
#include "CliOptions.h"
#include "ConvertCommand.h"
#include "InfoCommand.h"
#include "PlayCommand.h"
#include "app/engine/system/SignalWatcher.h"
#include "WatchCommand.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/SynchronizePump.h"

#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>

namespace {

int Usage(const QString& Reason)
{
    std::fprintf(stderr, "kelvaro-cli: %s (see kelvaro-cli --help)\n", Reason.toUtf8().constData());
    return 2;
}

// Commands whose arguments parse into options: bad usage exits with 2.
template <typename TOptions>
int ParseAndRun(const QStringList& Arguments, bool (*Parse)(const QStringList&, TOptions&, QString&),
                int (*Run)(const TOptions&))
{
    TOptions Options;
    QString Error;
    if (!Parse(Arguments, Options, Error))
        return Usage(Error);
    return Run(Options);
}

} // namespace

int main(int argc, char* argv[])
{
    app::BlockTerminationSignals();
    // A file-size limit must make a write fail, ending that file as failed,
    // not end the whole program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication App(argc, argv);
    app::InstallSynchronizePump();
    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1,
                             app::LanguageFilePath(QStringLiteral("Software\\Trevalin\\Kelvaro\\Language")),
                             QStringLiteral("Strings"));

    QStringList Arguments = QCoreApplication::arguments().mid(1);
    if (Arguments.isEmpty())
        return Usage(QStringLiteral("no command given"));
    const QString Command = Arguments.takeFirst();
    // "--help" after any command as well, as scripts' authors try it there;
    // after "--" it names a file.
    const qsizetype OptionsEnd = Arguments.contains(QStringLiteral("--")) ? Arguments.indexOf(QStringLiteral("--"))
                                                                          : Arguments.size();
    if (Command == QLatin1String("--help") || Command == QLatin1String("-h") || Command == QLatin1String("help") ||
        Arguments.first(OptionsEnd).contains(QStringLiteral("--help"))) {
        std::fputs(cli::UsageText().toUtf8().constData(), stdout);
        return 0;
    }
    if (Command == QLatin1String("--version")) {
        std::printf("kelvaro-cli %s\n", KELVARO_VERSION);
        return 0;
    }
    if (Command == QLatin1String("convert"))
        return ParseAndRun(Arguments, cli::ParseConvertOptions, cli::RunConvert);
    if (Command == QLatin1String("watch"))
        return cli::RunWatch(Arguments);
    if (Command == QLatin1String("play")) {
        if (!Arguments.isEmpty() && Arguments[0] == QLatin1String("--"))
            Arguments.removeFirst();
        else if (!Arguments.isEmpty() && Arguments[0].startsWith(QLatin1Char('-')))
            return Usage(QStringLiteral("unknown option %1").arg(Arguments[0]));
        if (Arguments.size() != 1)
            return Usage(QStringLiteral("play takes one file"));
        return cli::RunPlay(Arguments[0]);
    }
    if (Command == QLatin1String("info"))
        return ParseAndRun(Arguments, cli::ParseInfoOptions, cli::RunInfo);
    return Usage(QStringLiteral("unknown command '%1'").arg(Command));
}
