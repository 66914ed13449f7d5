#include "cli/options.h"

#include <gtest/gtest.h>

namespace orv::cli {
namespace {

CommandLine parse(std::vector<std::string> args) { return parseCommandLine(args); }

std::string errorOf(std::vector<std::string> args) {
  CommandLine line = parseCommandLine(args);
  EXPECT_EQ(line.command, Command::kUsageError) << "accepted: " << args.back();
  return line.error;
}

TEST(CommandLineTest, PicksTheCommand) {
  EXPECT_EQ(parse({}).command, Command::kDesktop);
  EXPECT_EQ(parse({"sheet.ov", "other.ov"}).command, Command::kDesktop);
  EXPECT_EQ(parse({"--help"}).command, Command::kHelp);
  EXPECT_EQ(parse({"-h"}).command, Command::kHelp);
  EXPECT_EQ(parse({"--version"}).command, Command::kVersion);
  EXPECT_EQ(parse({"--new-instance", "sheet.ov"}).command, Command::kDesktop);
  EXPECT_EQ(parse({"convert", "a.ov", "b.txt"}).command, Command::kConvert);
  EXPECT_EQ(parse({"run", "--help"}).command, Command::kHelp);
  EXPECT_EQ(errorOf({"--bogus"}), "unknown option '--bogus'");
}

TEST(CommandLineTest, ReadsRunOptionsInAnyOrderLastOneWinning) {
  CommandLine line = parse({"run", "--format", "sci", "--places=7", "--degrees", "-o", "out.txt",
                            "sheet.txt", "--format=eng", "--radians"});
  ASSERT_EQ(line.command, Command::kRun) << line.error;
  EXPECT_EQ(line.run.file, "sheet.txt");
  EXPECT_EQ(line.run.output, "out.txt");
  EXPECT_FALSE(line.run.inPlace);
  EXPECT_EQ(line.run.settings.format, NumberFormat::kEng);
  EXPECT_EQ(line.run.settings.places, 7);
  EXPECT_EQ(line.run.settings.degrees, false);

  line = parse({"run", "-oresult.txt", "--output=x.txt", "--format", "fix", "--places", "0", "-"});
  ASSERT_EQ(line.command, Command::kRun) << line.error;
  EXPECT_EQ(line.run.file, "-");
  EXPECT_EQ(line.run.output, "x.txt");
  EXPECT_EQ(line.run.settings.format, NumberFormat::kFix);
  EXPECT_EQ(line.run.settings.places, 0);

  line = parse({"run", "--in-place", "--places", "255", "sheet.txt"});
  ASSERT_EQ(line.command, Command::kRun) << line.error;
  EXPECT_TRUE(line.run.inPlace);
  EXPECT_EQ(line.run.settings.places, 255);
  EXPECT_FALSE(line.run.settings.format.has_value());
  EXPECT_FALSE(line.run.settings.degrees.has_value());

  line = parse({"run", "--", "-i"});
  EXPECT_EQ(line.run.file, "-i");
  EXPECT_FALSE(line.run.inPlace);
}

TEST(CommandLineTest, RejectsBadValues) {
  EXPECT_EQ(errorOf({"run", "--format", "FIX", "a"}), "--format: 'FIX' is not fix, sci or eng");
  EXPECT_EQ(errorOf({"run", "--format=", "a"}), "--format: '' is not fix, sci or eng");
  for (const char* places : {"256", "-1", "", "1e2", "+3", "0x10", "99999999999"}) {
    EXPECT_EQ(errorOf({"run", "--places", places, "a"}),
              std::string("--places: '") + places + "' is not a number from 0 to 255");
  }
  EXPECT_EQ(errorOf({"run", "a", "--places"}), "option '--places' needs a value");
  EXPECT_EQ(errorOf({"run", "a", "-o"}), "option '-o' needs a value");
  EXPECT_EQ(errorOf({"run", "-o", "", "a"}), "option '-o' needs a file name");
}

TEST(CommandLineTest, RejectsUnknownOptionsIncludingThoseOfLaterWork) {
  for (const char* option : {"-x", "--in-place=1", "--degrees=1", "--form"}) {
    EXPECT_EQ(errorOf({"run", option, "all", "a"}), std::string("unknown option '") + option + "'");
  }
}

TEST(CommandLineTest, ChecksTheFileAndWhereTheResultGoes) {
  EXPECT_EQ(errorOf({"run"}), "run: no FILE given (use '-' for standard input)");
  EXPECT_EQ(errorOf({"run", "a", "b"}), "run: more than one FILE given ('b')");
  EXPECT_EQ(errorOf({"run", "-i", "-"}), "--in-place cannot be used with '-'");
  EXPECT_EQ(errorOf({"run", "-i", "-o", "x", "a"}), "--in-place and -o exclude each other");
  EXPECT_TRUE(isRtfOutputName("x.ov"));
  EXPECT_TRUE(isRtfOutputName("dir/X.RTF"));
  EXPECT_FALSE(isRtfOutputName("x.ovx"));
  EXPECT_EQ(parse({"run", "-o", "x.ov", "a"}).run.output, "x.ov");
  EXPECT_EQ(parse({"run", "-o", "-", "a"}).run.output, "-");
}

TEST(CommandLineTest, ConvertTakesExactlyTwoFiles) {
  CommandLine line = parse({"convert", "old", "new.ov"});
  ASSERT_EQ(line.command, Command::kConvert) << line.error;
  EXPECT_EQ(line.convert.input, "old");
  EXPECT_EQ(line.convert.output, "new.ov");
  line = parse({"convert", "--", "-", "-x.txt"});
  EXPECT_EQ(line.convert.input, "-");
  EXPECT_EQ(line.convert.output, "-x.txt");
  EXPECT_EQ(parse({"convert", "--help"}).command, Command::kHelp);
  EXPECT_EQ(errorOf({"convert", "a"}), "convert: give IN and OUT");
  EXPECT_EQ(errorOf({"convert", "a", "b", "c"}), "convert: give IN and OUT");
  EXPECT_EQ(errorOf({"convert", "-i", "a", "b"}), "convert: unknown option '-i'");
}

}  // namespace
}  // namespace orv::cli

namespace orv::cli {
namespace {

TEST(CommandLineTest, ReadsCheckAndExportWithTheOptionsEachTakes) {
  CommandLine line = parseCommandLine(
      {"check", "--tolerance", "1e-9", "--enable=all", "--places", "6", "a.ov", "b.txt"});
  ASSERT_EQ(line.command, Command::kCheck) << line.error;
  EXPECT_EQ(line.check.files, (std::vector<std::string>{"a.ov", "b.txt"}));
  EXPECT_EQ(line.check.tolerance, 1e-9);
  EXPECT_EQ(line.check.enable, "all");
  EXPECT_EQ(line.check.settings.places, 6);
  EXPECT_FALSE(parseCommandLine({"check", "a.ov"}).check.tolerance.has_value());

  line = parseCommandLine({"export", "a.ov", "-o", "page.HTML", "--size", "400x300"});
  ASSERT_EQ(line.command, Command::kExport) << line.error;
  EXPECT_EQ(line.run.output, "page.HTML");
  EXPECT_EQ(line.run.plotWidth, 400);

  line = parseCommandLine({"run", "--watch", "-i", "a.ov"});
  ASSERT_EQ(line.command, Command::kRun) << line.error;
  EXPECT_TRUE(line.run.watch);
}

TEST(CommandLineTest, RejectsOptionsOfOtherCommandsAndBadTolerances) {
  auto errorOf = [](std::vector<std::string> args) {
    CommandLine line = parseCommandLine(args);
    EXPECT_EQ(line.command, Command::kUsageError) << args.back();
    return line.error;
  };
  EXPECT_EQ(errorOf({"check", "-i", "a"}), "check: option '-i' does not apply");
  EXPECT_EQ(errorOf({"run", "--tolerance=0.1", "a"}), "run: option '--tolerance' does not apply");
  EXPECT_EQ(errorOf({"export", "--watch", "a", "-o", "x.html"}),
            "export: option '--watch' does not apply");
  for (const char* bad : {"1", "-0.1", "nan", "0.1x", ""})
    EXPECT_EQ(
        errorOf({"check", "--tolerance", bad, "a"}),
        std::string("--tolerance: '") + bad + "' is not a relative difference from 0 to below 1");
  EXPECT_EQ(errorOf({"check"}), "check: no FILE given");
  EXPECT_EQ(errorOf({"export", "a"}), "export: give the page to write with -o OUT.html|OUT.md");
  EXPECT_EQ(errorOf({"export", "a", "-o", "page.txt"}),
            "export: 'page.txt' must end in .html or .md");
  EXPECT_EQ(errorOf({"run", "--watch", "-"}), "--watch cannot be used with '-'");
}

}  // namespace
}  // namespace orv::cli
