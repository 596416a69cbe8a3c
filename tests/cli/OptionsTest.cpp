// The value parsers every command shares: colours and whole numbers in a
// range, each mistake with the message that names it.
#include "cli/Options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cli/Messages.h"

namespace {

std::string Format(const char* pattern, const std::vector<std::string>& args) {
  return cli::Format(pattern, args);
}

TEST(Options, ColoursAreSixHexDigitsWithOrWithoutAHash) {
  const struct {
    std::string text;
    std::optional<gif::TGIFColor> colour;  // none: refused
  } rows[] = {
      {"ff8000", gif::TGIFColor{255, 128, 0}},
      {"#0A1b2C", gif::TGIFColor{10, 27, 44}},
      {"#000000", gif::TGIFColor{0, 0, 0}},
      {"fff", std::nullopt},
      {"#ff80001", std::nullopt},
      {"##ff8000", std::nullopt},
      {"ff 800", std::nullopt},
      {"0xff80", std::nullopt},
      {"", std::nullopt},
      {"#gg0000", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    if (!row.colour) {
      try {
        cli::ParseColour("--color", row.text);
        ADD_FAILURE() << "accepted";
      } catch (const cli::TUsageError& e) {
        EXPECT_EQ(e.what(), Format(cli::msg::NotAColour, {"--color", row.text}));
      }
      continue;
    }
    const gif::TGIFColor colour = cli::ParseColour("--color", row.text);
    EXPECT_EQ(colour.Red, row.colour->Red);
    EXPECT_EQ(colour.Green, row.colour->Green);
    EXPECT_EQ(colour.Blue, row.colour->Blue);
  }
}

TEST(Options, NumbersOutsideTheirRangeSayTheRange) {
  const struct {
    std::string text;
    int value;            // when accepted
    const char* message;  // null: accepted
  } rows[] = {
      {"0", 0, nullptr},
      {"240", 240, nullptr},
      {"250", 0, cli::msg::OutOfRange},
      {"-5", 0, cli::msg::NegativeValue},
      {"-", 0, cli::msg::NotANumber},
      {"8O", 0, cli::msg::NotANumber},
      {"+3", 0, cli::msg::NotANumber},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    try {
      EXPECT_EQ(cli::NumberInRange("--to-hue", row.text, 0, 240), row.value);
      EXPECT_EQ(row.message, nullptr);
    } catch (const cli::TUsageError& e) {
      ASSERT_NE(row.message, nullptr) << e.what();
      const bool ranged = row.message != cli::msg::NotANumber;
      EXPECT_EQ(e.what(), ranged ? Format(row.message, {"--to-hue", row.text, "0", "240"})
                                 : Format(row.message, {"--to-hue", row.text}));
    }
  }
  // The issue's own wording, as users see it.
  EXPECT_EQ(Format(cli::msg::OutOfRange, {"--to-hue", "250", "0", "240"}),
            "--to-hue: 250 is out of range 0..240");
}

}  // namespace
