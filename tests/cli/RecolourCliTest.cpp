#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <optional>

#include "CliRun.h"
#include "cli/Messages.h"
#include "edit/ColorTables.h"
#include "edit/Recolour.h"
#include "gif/GIFImage.h"

namespace {

using cli_test::CorpusFile;
using cli_test::ReadBytes;
using cli_test::RunCli;
using cli_test::Snapshot;
using cli_test::TScratch;

std::string Format(const char* pattern, const std::vector<std::string>& args) {
  return gif::FormatMessage(pattern, args);
}

// The same run as the window's Start over each table, through the core, with
// the fields the command's pass options name.
edit::TRecolourCount RecolourInProcess(gif::TGIFImage& image,
                                       const std::vector<std::string>& args) {
  edit::TRecolourRequest request;
  const std::map<std::string, std::string*> fields = {
      {"--from-hue", &request.FromH},   {"--to-hue", &request.ToH},
      {"--from-sat", &request.FromS},   {"--to-sat", &request.ToS},
      {"--from-light", &request.FromL}, {"--to-light", &request.ToL}};
  int tolerance = 0;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (fields.count(args[i]) != 0) *fields.at(args[i]) = args[i + 1];
    if (args[i] == "--tolerance") tolerance = std::stoi(args[i + 1]);
  }
  request.Tolerance = [tolerance] { return tolerance; };
  request.ShowError = [](const std::string& message) { ADD_FAILURE() << message; };
  const bool globalOnly = std::count(args.begin(), args.end(), "--global-only") != 0;
  edit::TRecolourCount count;
  edit::Recolour(edit::MapsOf(edit::ColorTables(image, globalOnly)), request, &count);
  return count;
}

void ExpectSameMap(const gif::TGIFColorMap& expected, const gif::TGIFColorMap& actual,
                   const std::string& where) {
  ASSERT_EQ(expected.EntryCount(), actual.EntryCount()) << where;
  EXPECT_TRUE(edit::DifferingEntries(expected, actual).empty()) << where;
}

std::string ReportLine(const std::string& file, const edit::TRecolourCount& count, bool dryRun) {
  return Format(dryRun ? cli::msg::WouldChange : cli::msg::Changed,
                {file, std::to_string(count.EntriesChanged), std::to_string(count.EntriesTotal),
                 std::to_string(count.TablesTotal), count.TablesTotal == 1 ? "table" : "tables"}) +
         "\n";
}

TEST(RecolourCli, MatchesTheCoreTableByTableAndKeepsEveryPixel) {
  const std::vector<std::vector<std::string>> rows = {
      {"--from-hue", "0", "--to-hue", "80", "--tolerance", "20"},
      {"--from-sat", "100", "--to-sat", "200", "--from-light", "120", "--to-light", "60",
       "--tolerance", "30"},
      {"--from-hue", "160", "--to-hue", "40", "--tolerance", "100", "--global-only"},
  };
  // Global and local tables; local tables only.
  for (const std::string name :
       {"wuffs/animated-red-blue.gif", "deb-gdkpixbuf-suite/high-color.gif"}) {
    for (const std::vector<std::string>& row : rows) {
      for (const bool dryRun : {false, true}) {
        SCOPED_TRACE(name + " " + row[0] + (dryRun ? " dry run" : ""));
        const TScratch scratch;
        const std::string input = CorpusFile(name);
        const std::string output = scratch / "out.gif";
        std::vector<std::string> args = {"recolour"};
        args.insert(args.end(), row.begin(), row.end());
        args.insert(args.end(), {dryRun ? "--dry-run" : "-o", dryRun ? "-j1" : output, input});
        const cli_test::TRun run = RunCli(args);

        gif::TGIFImage original, expected;
        original.LoadFile(input);
        expected.LoadFile(input);
        const edit::TRecolourCount count = RecolourInProcess(expected, row);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        EXPECT_EQ(run.Out, ReportLine(input, count, dryRun));
        if (dryRun) {
          EXPECT_FALSE(std::filesystem::exists(output));
          continue;
        }
        gif::TGIFImage actual;
        actual.LoadFile(output);
        ExpectSameMap(expected.GlobalMap(), actual.GlobalMap(), "global table");
        ASSERT_EQ(actual.Frames().Count(), original.Frames().Count());
        bool localChanged = false;
        for (int i = 0; i < original.Frames().Count(); ++i) {
          const gif::TGIFSubImage& before = original.Frames().Frame(i);
          const gif::TGIFSubImage& after = actual.Frames().Frame(i);
          const std::string frame = "frame " + std::to_string(i);
          ExpectSameMap(expected.Frames().Frame(i).LocalMap(), after.LocalMap(), frame);
          localChanged =
              localChanged || !edit::DifferingEntries(before.LocalMap(), after.LocalMap()).empty();
          ASSERT_EQ(before.PixelDataSize(), after.PixelDataSize()) << frame;
          EXPECT_EQ(std::memcmp(before.PixelData(), after.PixelData(), before.PixelDataSize()), 0)
              << frame;
          EXPECT_EQ(before.Extensions().ItemCount(), after.Extensions().ItemCount()) << frame;
        }
        // Every row changes entries of every table list it reaches, so a
        // plain copy of the input would not pass; --global-only leaves the
        // frames' tables alone.
        if (count.TablesTotal > 0) {
          EXPECT_GT(count.EntriesChanged, 0);
        }
        EXPECT_EQ(localChanged, row.back() != "--global-only");
      }
    }
  }
}

// What the library says when it cannot load a file.
std::string LoadError(const std::string& file) {
  try {
    gif::TGIFImage image;
    image.LoadFile(file);
  } catch (const std::exception& e) {
    return e.what();
  }
  ADD_FAILURE() << file << " loads";
  return {};
}

TEST(RecolourCli, ABrokenFileFailsAloneAndLeavesItsTargetAsItWas) {
  // Good files around a broken one, more of them than workers, so that reports
  // arrive out of order and must be put back in input order.
  const std::vector<std::string> sources = {"wuffs/harvesters.gif",   "wuffs/hat.gif",
                                            "libnsgif-afl/afl03.gif", "wuffs/muybridge.gif",
                                            "libnsgif/waves.gif",     "wuffs/bricks-dither.gif",
                                            "wuffs/pjw-thumbnail.gif"};
  const std::size_t broken = 2;
  for (const std::string mode : {"--out-dir", "--in-place"}) {
    SCOPED_TRACE(mode);
    const TScratch scratch;
    std::filesystem::create_directory(scratch / "in");
    std::vector<std::string> args = {"recolour",    "--from-hue", "0",  "--to-hue", "80",
                                     "--tolerance", "20",         "-j", "2",        mode};
    const std::string outDir = scratch / "out/nested";
    if (mode == "--out-dir") args.push_back(outDir);
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      inputs.push_back(scratch / ("in/" + std::to_string(i) + ".gif"));
      std::filesystem::copy_file(CorpusFile(sources[i]), inputs.back());
      args.push_back(inputs.back());
    }
    // The broken file's would-be target exists already and must survive.
    const std::string brokenTarget =
        mode == "--out-dir" ? outDir + "/" + std::to_string(broken) + ".gif" : inputs[broken];
    std::filesystem::create_directories(outDir);
    if (mode == "--out-dir") std::filesystem::copy_file(CorpusFile(sources[broken]), brokenTarget);
    const std::string brokenBytes = ReadBytes(brokenTarget);

    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, inputs[broken] + ": " + LoadError(inputs[broken]) + "\n");
    std::string report;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (i == broken) continue;
      const std::string target =
          mode == "--out-dir" ? outDir + "/" + std::to_string(i) + ".gif" : inputs[i];
      gif::TGIFImage expected, written;
      expected.LoadFile(CorpusFile(sources[i]));
      const edit::TRecolourCount count = RecolourInProcess(expected, args);
      // In place, a file the pass leaves as it was is not written.
      report += mode == "--in-place" && count.EntriesChanged == 0
                    ? Format(cli::msg::Unchanged, {inputs[i]}) + "\n"
                    : ReportLine(inputs[i], count, false);
      written.LoadFile(target);
      ExpectSameMap(expected.GlobalMap(), written.GlobalMap(), target);
    }
    EXPECT_EQ(run.Out, report);
    EXPECT_EQ(ReadBytes(brokenTarget), brokenBytes);
    EXPECT_EQ(ReadBytes(inputs[broken]), ReadBytes(CorpusFile(sources[broken])));
    // Folders in/, out/, out/nested/ and the files: no temporary file is left.
    const std::size_t copies = mode == "--out-dir" ? 2 : 1;
    EXPECT_EQ(Snapshot(scratch.Path()).size(), 3 + copies * sources.size());
  }
}

TEST(RecolourCli, AnInterruptFinishesTheFilesInHandAndStartsNoOther) {
  const TScratch scratch;
  const std::string source = CorpusFile("wuffs/hibiscus.regular.gif");
  std::vector<std::string> args = {"recolour",    "--from-hue", "0",  "--to-hue", "80",
                                   "--tolerance", "30",         "-j", "2",        "--in-place"};
  const int count = 200;
  for (int i = 0; i < count; ++i) {
    args.push_back(scratch / (std::to_string(i) + ".gif"));
    std::filesystem::copy_file(source, args.back());
  }
  const cli_test::TRun run = RunCli(args, false, SIGINT);
  EXPECT_EQ(run.Status, 128 + SIGINT);
  const auto reported = static_cast<int>(std::count(run.Out.begin(), run.Out.end(), '\n'));
  EXPECT_LT(reported, count);
  EXPECT_EQ(run.Err,
            Format(cli::msg::Stopped, {std::to_string(reported), std::to_string(count)}) + "\n");
  // The files reported are recoloured whole, the others untouched; no
  // temporary file is left.
  const std::string original = ReadBytes(source);
  const auto files = Snapshot(scratch.Path());
  EXPECT_EQ(files.size(), static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string& bytes = files.at(std::to_string(i) + ".gif");
    EXPECT_EQ(bytes == original, i >= reported) << i;
    if (i < reported) gif::TGIFImage().LoadFile(args[10 + static_cast<std::size_t>(i)]);
  }
}

TEST(RecolourCli, UsageErrorsExitTwoAndTouchNothing) {
  struct TRow {
    std::vector<std::string> Args;  // before the file arguments
    std::string Message;            // "@" stands for the scratch folder
    std::string Second = "";        // a second file argument, under the scratch folder
  };
  const std::string out = "--out-dir";
  const std::vector<TRow> rows = {
      {{out, "D"}, cli::msg::NoPass},
      {{"--from-hue", "10", out, "D"}, edit::msg::EnterNewHue},
      {{"--from-hue", "10", "--to-hue", "241", out, "D"},
       Format(cli::msg::OutOfRange, {"--to-hue", "241", "0", "240"})},
      {{"--from-hue", "240", "--to-hue", "0", "--from-sat", "241", "--to-sat", "3", out, "D"},
       Format(cli::msg::OutOfRange, {"--from-sat", "241", "0", "240"})},
      {{"--from-light", "5", "--to-light", "300", out, "D"},
       Format(cli::msg::OutOfRange, {"--to-light", "300", "0", "240"})},
      {{"--from-hue", "1", "--to-hue", "2", "--from-light", "5", out, "D"},
       edit::msg::EnterNewLight},
      {{"--to-hue", "20", out, "D"}, Format(cli::msg::ToWithoutFrom, {"--to-hue", "--from-hue"})},
      {{"--from-hue", "8O", "--to-hue", "20", out, "D"},
       Format(cli::msg::NotANumber, {"--from-hue", "8O"})},
      {{"--from-sat", "1", "--to-sat", "-2", out, "D"},
       Format(cli::msg::NegativeValue, {"--to-sat", "-2", "0", "240"})},
      {{"--from-hue", "1", "--to-hue", "2", "--tolerance", "-5", out, "D"},
       Format(cli::msg::NegativeValue, {"--tolerance", "-5", "0", "100"})},
      {{"--from-hue", "1", "--to-hue", "2", "--tolerance", "101", out, "D"},
       Format(cli::msg::OutOfRange, {"--tolerance", "101", "0", "100"})},
      {{"--from-hue", "1", "--to-hue", "2", "-j", "0", out, "D"},
       Format(cli::msg::OutOfRange, {"-j", "0", "1", "1024"})},
      {{"--from-hue", "1", "--to-hue", "2"}, cli::msg::NoOutput},
      {{"--from-hue", "1", "--to-hue", "2", "-o", "D", "--in-place"}, cli::msg::TwoOutputs},
      {{"--from-hue", "1", "--to-hue", "2", "-o", "D"}, cli::msg::OutputTakesOneFile, "sub/b.gif"},
      // Two inputs of one name would both land on one output under --out-dir.
      {{"--from-hue", "1", "--to-hue", "2", out, "D"},
       Format(cli::msg::SameTarget, {"@/a.gif", "@/sub/a.gif", "@/D/a.gif"}),
       "sub/a.gif"},
      {{"--from-hue", "1", "--to-hue", "2", "--tolerance", "1", "--tolerance", "2", out, "D"},
       Format(cli::msg::RepeatedOption, {"--tolerance"})},
      {{"--from-hue", "1", "--to-hue", "2", "--bogus", out, "D"},
       Format(cli::msg::UnknownOption, {"--bogus"})},
      // Standard input has no name to write under, and is read only once.
      {{"--from-hue", "1", "--to-hue", "2", "--in-place", "-"}, cli::msg::StandardInputNeedsOutput},
      {{"--from-hue", "1", "--to-hue", "2", out, "D", "-", "-"}, cli::msg::StandardInputTwice},
      {{"--from-hue", "1", "--to-hue", "2", out, "-"}, cli::msg::OutDirNotStandard},
      {{"--from-hue", "1", "--to-hue", "2", "--in-place=yes"},
       Format(cli::msg::UnexpectedValue, {"--in-place"})},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Message);
    const TScratch scratch;
    std::filesystem::create_directory(scratch / "sub");
    for (const std::string name : {"a.gif", "sub/a.gif", "sub/b.gif"})
      std::filesystem::copy_file(CorpusFile("wuffs/hat.gif"), scratch / name);
    const auto before = Snapshot(scratch.Path());
    std::vector<std::string> args = {"recolour"};
    for (const std::string& arg : row.Args) args.push_back(arg == "D" ? scratch / "D" : arg);
    args.push_back(scratch / "a.gif");
    if (!row.Second.empty()) args.push_back(scratch / row.Second);
    std::string message = row.Message;
    const std::string folder = scratch.Path().string();
    for (std::size_t at = 0; (at = message.find('@', at)) != std::string::npos; at += folder.size())
      message.replace(at, 1, folder);
    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')),
              std::string(cli::msg::Program) + ": " + message);
    EXPECT_NE(run.Err.find("Usage: tintwell-cli recolour"), std::string::npos);
    EXPECT_EQ(Snapshot(scratch.Path()), before);
  }
}

TEST(RecolourCli, InPlaceOnAReadOnlyFileFailsWithItsMessageAndChangesNothing) {
  const TScratch scratch;
  const std::string file = scratch / "locked.gif";
  std::filesystem::copy_file(CorpusFile("wuffs/hat.gif"), file);
  std::filesystem::permissions(file, std::filesystem::perms(0444));
  const auto before = Snapshot(scratch.Path());
  const cli_test::TRun run = RunCli(
      {"recolour", "--from-hue", "0", "--to-hue", "80", "--tolerance", "20", "--in-place", file},
      true);
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err,
            file + ": " + Format(gif::msg::CannotCreateFile, {file, std::strerror(EACCES)}) + "\n");
  EXPECT_EQ(Snapshot(scratch.Path()), before);
}

TEST(RecolourCli, InPlaceLeavesAFileWhoseTablesComeOutUnchangedUntouched) {
  // Entries of lightness 240 (white) get lightness 240: the tables come out as
  // they went in. Every hue to 80 changes them; -o writes either way.
  const std::vector<std::string> unchanged = {"--from-light", "240", "--to-light", "240"};
  const std::vector<std::string> changed = {"--from-hue", "0",           "--to-hue",
                                            "80",         "--tolerance", "100"};
  const struct {
    const std::vector<std::string>& pass;
    std::string mode;
    bool written;
  } rows[] = {
      {unchanged, "--in-place", false}, {changed, "--in-place", true}, {unchanged, "-o", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pass[0] + " " + row.mode);
    const TScratch scratch;
    const std::string file = scratch / "hat.gif";
    const std::string out = row.mode == "-o" ? scratch / "out.gif" : file;
    std::filesystem::copy_file(CorpusFile("wuffs/hat.gif"), file);
    // An hour ago, so that a rewrite within the same clock tick still shows.
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) - std::chrono::hours(1));
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    std::vector<std::string> args = {"recolour"};
    args.insert(args.end(), row.pass.begin(), row.pass.end());
    args.push_back(row.mode);
    if (row.mode == "-o") args.push_back(out);
    args.push_back(file);
    const cli_test::TRun run = RunCli(args);
    EXPECT_EQ(run.Status, 0) << run.Err;
    struct stat after {};
    ASSERT_EQ(::stat(out.c_str(), &after), 0);
    const bool same = after.st_ino == before.st_ino &&
                      after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                      after.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
    EXPECT_EQ(same, !row.written);
    EXPECT_EQ(run.Out == Format(cli::msg::Unchanged, {file}) + "\n", !row.written) << run.Out;
    EXPECT_EQ(ReadBytes(file) == ReadBytes(CorpusFile("wuffs/hat.gif")),
              row.mode == "-o" || !row.written);
    if (row.written) gif::TGIFImage().LoadFile(out);
  }
}

}  // namespace
