// tintwell-cli in pipes and on damaged files: "-" for standard input and
// output, the library's warnings on the error stream, --strict and --quiet.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/Messages.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::ReadBytes;
using cli_test::RunCli;
using cli_test::RunShell;
using cli_test::TScratch;

std::string Format(const char* pattern, const std::vector<std::string>& args) {
  return gif::FormatMessage(pattern, args);
}

TEST(StreamsCli, APipeCarriesAGifThroughRecolourIntoInfo) {
  const TScratch scratch;
  const std::string input = CorpusFile("wuffs/animated-red-blue.gif");
  const std::string pass = "recolour --from-hue 0 --to-hue 80 --tolerance 30 ";
  const cli_test::TRun piped =
      RunShell("cat '" + input + "' | \"$CLI\" " + pass + "-o - - | \"$CLI\" info --json -");
  // The same through files.
  const std::string out = scratch / "out.gif";
  const cli_test::TRun named = RunCli(
      {"recolour", "--from-hue", "0", "--to-hue", "80", "--tolerance", "30", "-o", out, input});
  const cli_test::TRun facts = RunCli({"info", "--json", out});
  ASSERT_EQ(piped.Status, 0) << piped.Err;
  ASSERT_EQ(named.Status, 0) << named.Err;
  // Nothing but the GIF went down the pipe: the report went to the error stream.
  const std::string report = named.Out.substr(input.size());
  EXPECT_EQ(piped.Err, cli::msg::StandardInputName + report);
  nlohmann::json fromPipe = nlohmann::json::parse(piped.Out);
  nlohmann::json fromFile = nlohmann::json::parse(facts.Out);
  EXPECT_EQ(fromPipe.at("file"), cli::msg::StandardInputName);
  fromPipe.erase("file");
  fromFile.erase("file");
  EXPECT_EQ(fromPipe, fromFile);
  EXPECT_NE(fromFile.at("globalTable"), nullptr);

  // A GIF is not for a terminal to show: -o - there is a usage error.
  const cli_test::TRun terminal =
      RunShell("script -qec '\"$CLI\" " + pass + "-o - " + input + "' /dev/null");
  EXPECT_EQ(terminal.Status, 2);
  EXPECT_NE(terminal.Out.find(cli::msg::OutputIsTerminal), std::string::npos) << terminal.Out;

  // A palette comes out of a pipe as it would go to a file.
  const cli_test::TRun palette =
      RunShell("cat '" + input + "' | \"$CLI\" palette export - --format hex -o -");
  const std::string hex = scratch / "table.hex";
  ASSERT_EQ(RunCli({"palette", "export", input, "-o", hex}).Status, 0);
  EXPECT_EQ(palette.Status, 0) << palette.Err;
  EXPECT_EQ(palette.Out, ReadBytes(hex));
}

TEST(StreamsCli, ATruncatedFileWarnsAndFailsWithStrictLeavingNoOutput) {
  const TScratch scratch;
  const std::string file = scratch / "cut.gif";
  const std::string whole = ReadBytes(CorpusFile("wuffs/hibiscus.regular.gif"));
  std::ofstream(file, std::ios::binary) << whole.substr(0, 3000);
  // What the library says, each warning with the frame it concerns.
  std::string warnings;
  gif::TGIFImage image;
  image.WarningHandler = [&](gif::TPersistent*, int, const std::string& message) {
    warnings += Format(cli::msg::Warning, {file, Format(cli::msg::InFrame, {"1", message})}) + "\n";
  };
  image.LoadFile(file);
  ASSERT_NE(warnings.find("pixels missing"), std::string::npos) << warnings;
  const std::string strictFailure = file + ": " + cli::msg::StrictFailure + "\n";
  const std::string out = scratch / "out.gif";
  const std::vector<std::string> recolour = {"recolour", "--from-hue", "0", "--to-hue", "80"};
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    bool written;
  } rows[] = {
      {{"-o", out}, 0, warnings, true},
      {{"-q", "-o", out}, 0, "", true},
      {{"--strict", "-o", out}, 1, warnings + strictFailure, false},
      {{"--strict", "-q", "-o", out}, 1, strictFailure, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[0]);
    std::filesystem::remove(out);
    std::vector<std::string> args = recolour;
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back(file);
    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, row.status);
    EXPECT_EQ(run.Err, row.err);
    EXPECT_EQ(std::filesystem::exists(out), row.written);
    EXPECT_EQ(run.Out.empty(), !row.written);
  }
  // info lists the warnings too, and --strict reports nothing for the file.
  const cli_test::TRun info = RunCli({"info", "-q", file});
  EXPECT_EQ(info.Status, 0);
  EXPECT_NE(info.Out.find("  warning: frame 1: "), std::string::npos) << info.Out;
  const cli_test::TRun strict = RunCli({"info", "--strict", file});
  EXPECT_EQ(strict.Status, 1);
  EXPECT_EQ(strict.Out, "");
  EXPECT_EQ(strict.Err, warnings + strictFailure);
}

}  // namespace
