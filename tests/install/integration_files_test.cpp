// The files that fit vexil into a Linux desktop: man pages that name every option the
// programs accept, bash completion that offers them, a desktop entry and MIME types that the
// freedesktop tools accept.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil::test {
namespace {

namespace fs = std::filesystem;

std::string Source(const std::string& path) {
  return std::string(VEXIL_SOURCE_DIR) + "/" + path;
}

// Every "--word" in `text`.
std::set<std::string> LongOptions(const std::string& text) {
  std::set<std::string> options;
  static const std::regex kOption("--[a-z][a-z0-9-]*");
  for (std::sregex_iterator it(text.begin(), text.end(), kOption), end; it != end; ++it) {
    options.insert(it->str());
  }
  return options;
}

// The options the player's parser compares a word with (`word == "--x"`), wherever the file
// with the parser lives under player/.
std::set<std::string> ParsedOptions() {
  std::set<std::string> options;
  static const std::regex kCompared("== \"(--[a-z][a-z0-9-]*)\"");
  for (const auto& entry : fs::recursive_directory_iterator(Source("player"))) {
    if (entry.path().filename() != "command_line.cpp") continue;
    const std::string text = ReadFile(entry.path().string());
    for (std::sregex_iterator it(text.begin(), text.end(), kCompared), end; it != end; ++it) {
      options.insert((*it)[1].str());
    }
  }
  return options;
}

// A man page's text with roff's escaped hyphens as plain ones.
std::string ManText(const std::string& page) {
  return std::regex_replace(ReadFile(Source("man/" + page)), std::regex(R"(\\-)"), "-");
}

TEST(ManPage, NamesEveryOptionThePlayerAccepts) {
  const RunResult help = RunPlayer({"--help"});
  ASSERT_EQ(help.status, 0);
  std::set<std::string> accepted = LongOptions(help.out);
  const std::set<std::string> parsed = ParsedOptions();
  ASSERT_GT(parsed.size(), 10u) << "the player's option parser was not found under player/";
  accepted.insert(parsed.begin(), parsed.end());
  const std::set<std::string> named = LongOptions(ManText("vexil.1"));
  for (const std::string& option : accepted) {
    EXPECT_TRUE(named.count(option)) << option << " is missing from man/vexil.1";
  }
}

TEST(ManPage, NamesEveryCommandOfTheGmaTool) {
  const RunResult help = RunProgram(BuiltProgram("vexil-gma"), {"--help"});
  ASSERT_EQ(help.status, 0);
  const std::string page = ManText("vexil-gma.1");
  static const std::regex kCommand("vexil-gma ([a-z]+)");
  int commands = 0;
  for (std::sregex_iterator it(help.out.begin(), help.out.end(), kCommand), end; it != end;
       ++it, ++commands) {
    EXPECT_NE(page.find(".B " + (*it)[1].str()), std::string::npos)
        << (*it)[1] << " is missing from man/vexil-gma.1";
  }
  EXPECT_GE(commands, 2);
  for (const std::string& option : LongOptions(help.out)) {
    EXPECT_NE(page.find(option), std::string::npos) << option;
  }
}

TEST(ManPage, NamesEveryOptionOfTheJoinTool) {
  const RunResult help = RunProgram(BuiltProgram("vexil-join"), {"--help"});
  ASSERT_EQ(help.status, 0);
  const std::set<std::string> options = LongOptions(help.out);
  ASSERT_TRUE(options.count("--audio") && options.count("--hashes"));
  const std::set<std::string> named = LongOptions(ManText("vexil-join.1"));
  for (const std::string& option : options) {
    EXPECT_TRUE(named.count(option)) << option << " is missing from man/vexil-join.1";
  }
}

TEST(ManPage, PagesFormatWithoutWarnings) {
  for (const char* page : {"vexil.1", "vexil-gma.1", "vexil-join.1"}) {
    const RunResult run =
        RunProgram("/bin/sh", {"-c", std::string("MANWIDTH=80 man --warnings -l '") +
                                         VEXIL_BUILD_DIR + "/man/" + page + "' >/dev/null"});
    EXPECT_EQ(run.status, 0) << page;
    EXPECT_EQ(run.err, "") << page;
  }
}

// What bash completes after the words `line` (the last one being completed), in `folder`.
std::set<std::string> Complete(const std::string& program, const std::string& line,
                               const std::string& folder = "") {
  const std::string function = "_" + std::regex_replace(program, std::regex("-"), "_");
  const std::string script = "shopt -s extglob; source '" + Source("dist/completion/" + program) +
                             "'; COMP_WORDS=(" + line + "); COMP_CWORD=$((${#COMP_WORDS[@]}-1));" +
                             " " + function + "; printf '%s\\n' \"${COMPREPLY[@]}\"";
  const RunResult run = RunProgram("/bin/bash", {"--norc", "-c", script}, folder);
  EXPECT_EQ(run.status, 0) << run.err;
  std::set<std::string> words;
  size_t start = 0;
  for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end > start) words.insert(run.out.substr(start, end - start));
  }
  return words;
}

TEST(Completion, OffersEveryOptionOfTheHelp) {
  const RunResult help = RunPlayer({"--help"});
  const std::set<std::string> offered = Complete("vexil", "vexil --");
  for (const std::string& option : LongOptions(help.out)) {
    EXPECT_TRUE(offered.count(option)) << option;
  }
  EXPECT_EQ(Complete("vexil", "vexil --cap"), (std::set<std::string>{"--capture"}));
}

TEST(Completion, OffersScriptsContainersAndFoldersToPlay) {
  ScratchDir folder;
  for (const char* file : {"show.xml", "show.gma", "show.zip", "music.ogg", "logo.png"}) {
    ASSERT_TRUE(WriteFile(folder.File(file), "x"));
  }
  fs::create_directory(folder.File("parts"));
  EXPECT_EQ(Complete("vexil", "vexil ''", folder.path()),
            (std::set<std::string>{"show.xml", "show.gma", "show.zip", "parts"}));
  EXPECT_EQ(Complete("vexil", "vexil --capture ''", folder.path()),
            (std::set<std::string>{"parts"}));
  EXPECT_EQ(Complete("vexil-gma", "vexil-gma unpack ''", folder.path()),
            (std::set<std::string>{"show.gma", "parts"}));
  EXPECT_EQ(Complete("vexil-gma", "vexil-gma p"), (std::set<std::string>{"pack"}));
}

TEST(Completion, OffersPiecesManifestsAndMusicToJoin) {
  ScratchDir folder;
  for (const char* file : {"part-0.mkv", "part-1.mp4", "part-0.txt", "music.wav", "demo.xml"}) {
    ASSERT_TRUE(WriteFile(folder.File(file), "x"));
  }
  EXPECT_EQ(Complete("vexil-join", "vexil-join out.mp4 ''", folder.path()),
            (std::set<std::string>{"part-0.mkv", "part-1.mp4"}));
  EXPECT_EQ(Complete("vexil-join", "vexil-join --hashes ''", folder.path()),
            (std::set<std::string>{"part-0.txt"}));
  EXPECT_EQ(Complete("vexil-join", "vexil-join out.mp4 part-0.mkv --audio ''", folder.path()),
            (std::set<std::string>{"music.wav"}));
  EXPECT_EQ(Complete("vexil-join", "vexil-join out.mp4 --h"),
            (std::set<std::string>{"--hashes", "--help"}));
}

TEST(Desktop, EntryPassesDesktopFileValidate) {
  const RunResult run =
      RunProgram("/usr/bin/desktop-file-validate", {Source("dist/vexil.desktop")});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out + run.err, "");
  // It plays the one file it is given.
  EXPECT_NE(ReadFile(Source("dist/vexil.desktop")).find("Exec=vexil -- %f"), std::string::npos);
}

// Debian ships no schema for shared-mime-info's XML; update-mime-database, which reads the
// file on every system that installs it, is the check, on a database of its own.
TEST(Desktop, MimeTypesAreAcceptedByTheMimeDatabase) {
  const RunResult lint = RunProgram("/usr/bin/xmllint", {"--noout", Source("dist/vexil-mime.xml")});
  EXPECT_EQ(lint.status, 0) << lint.err;
  ScratchDir database;
  fs::create_directory(database.File("packages"));
  fs::copy_file(Source("dist/vexil-mime.xml"), database.File("packages/vexil.xml"));
  const RunResult run = RunProgram("/usr/bin/update-mime-database", {"-V", database.path()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("rror"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("arning"), std::string::npos) << run.err;
  // Every type the desktop entry opens is one the database now knows.
  const std::string entry = ReadFile(Source("dist/vexil.desktop"));
  const size_t line = entry.find("MimeType=") + 9;
  const std::string types = entry.substr(line, entry.find('\n', line) - line);
  int count = 0;
  for (size_t start = 0, end; (end = types.find(';', start)) != std::string::npos;
       start = end + 1, ++count) {
    const std::string type = types.substr(start, end - start);
    EXPECT_TRUE(fs::exists(database.File(type + ".xml"))) << type;
  }
  EXPECT_GE(count, 1);
  const std::string globs = ReadFile(database.File("globs2"));
  EXPECT_NE(globs.find("application/x-vexil-gma:*.gma"), std::string::npos) << globs;
  EXPECT_NE(globs.find("application/x-vexil-bundle:*.vexil.zip"), std::string::npos) << globs;
}

}  // namespace
}  // namespace vexil::test
