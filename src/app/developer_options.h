#pragma once
// Options for pictures, benchmarks and the screen-reader walk: they serve the
// people who build Quillon, not its users, so they live here, named in one
// table, rather than in the program's start-up.

#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace quillon {

class AppContext;
class ProgramWindows;

// Adds every developer option to the parser.
void addDeveloperOptions(QCommandLineParser& parser);
// A picture that needs no program windows (the settings dialog): runs it and
// returns the exit code; nothing when no such option was given.
std::optional<int> runWithoutWindows(const QCommandLineParser& parser);
// Schedules what the options given ask of the running program; `files` are
// the files given on the command line.
void scheduleDeveloperOptions(const QCommandLineParser& parser, ProgramWindows& windows, AppContext& context,
                              const QStringList& files);

}  // namespace quillon
