#include <gtest/gtest.h>

#include <climits>

#include "cli/CliOptions.h"
#include "cli/OptionTable.h"
#include "cli/OverlayProfile.h"
#include "cli/UsageText.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

ParsedArguments parse(std::vector<std::string> arguments) { return parseArguments(arguments); }

TEST(CliOptions, NoOptionsLeaveEverySettingToTheProfile) {
    const ParsedArguments parsed = parse({"a.wav", "b.wav"});
    ASSERT_TRUE(parsed.ok);
    const CliOptions& o = parsed.options;
    EXPECT_FALSE(o.windowKind || o.decay || o.rangeHz || o.delaySec || o.lengthSec || o.pickHz);
    EXPECT_FALSE(o.kitFile || o.switches || o.overtoneTransfer);
    EXPECT_FALSE(o.json || o.latin || o.help);
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST(CliOptions, ReadsEveryOptionAnywhereOnTheLine) {
    const ParsedArguments parsed = parse(
        {"--window", "0",     "a.wav",    "--decay",    "off",    "--range",    "600",     "10",
         "--delay",  "-0.25", "--length", "0,3",        "--pick", "97.5",       "--latin", "--json",
         "b.wav",    "--kit", "k.TKit",   "--switches", "0,1,1",  "--transfer", "1"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.windowKind, 0);
    EXPECT_EQ(o.decay, false);
    EXPECT_EQ(o.rangeHz, std::make_pair(600, 10));  // clamped and swapped where it is applied
    EXPECT_EQ(o.delaySec, -0.25);
    EXPECT_EQ(o.lengthSec, 0.3);  // a decimal comma is a point
    EXPECT_EQ(o.pickHz, 97.5);
    EXPECT_TRUE(o.latin && o.json);
    EXPECT_EQ(o.kitFile, "k.TKit");
    EXPECT_EQ(o.switches, (std::array<bool, 3>{false, true, true}));  // made exclusive later
    EXPECT_EQ(o.overtoneTransfer, true);
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST(CliOptions, DoubleDashEndsTheOptions) {
    const ParsedArguments parsed = parse({"--json", "--", "--help", "-"});
    ASSERT_TRUE(parsed.ok);
    EXPECT_FALSE(parsed.options.help);
    EXPECT_EQ(parsed.options.files, (std::vector<std::string>{"--help", "-"}));
}

TEST(CliOptions, RangeBeyondWholeNumbersSaturates) {
    const ParsedArguments parsed = parse({"--range", "99999999999", "-99999999999999999999"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.rangeHz, std::make_pair(INT_MAX, INT_MIN));
    EXPECT_FALSE(parse({"--range", "99999999999x", "30"}).ok);
    EXPECT_FALSE(parse({"--range", "-", "30"}).ok);
}

TEST(CliOptions, RefusesBadValuesWithAnEnglishReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--window", "3"},
        {"--window", "1.0"},
        {"--decay", "yes"},
        {"--range", "30"},
        {"--range", "a", "b"},
        {"--delay", "0.1s"},
        {"--length", "nan"},
        {"--pick", "0"},
        {"--pick", "-5"},
        {"--frequency", "1"},
        {"--delay"},
        {"--switches", "1,0"},
        {"--switches", "1,0,0,0"},
        {"--switches", "1,2,0"},
        {"--switches", "1;0;0"},
        {"--switches", "1,,0"},
        {"--switches", ""},
        {"--transfer", "2"},
        {"--transfer", "on"},
        {"--kit"},
        {"--listen", "strike.wav"},
        {"--device", "WAVE MAPPER", "strike.wav"},
        {"--listen", "--threshold", "32769"},
        {"--listen", "--strikes", "0"},
    };
    for (const auto& arguments : bad) {
        const ParsedArguments parsed = parse(arguments);
        EXPECT_FALSE(parsed.ok) << arguments[0];
        EXPECT_FALSE(parsed.error.empty());
    }
    EXPECT_EQ(parse({"--window", "3"}).error, "--window takes 0, 1 or 2, not '3'");
    EXPECT_EQ(parse({"--verbose"}).error, "unknown option '--verbose'");
}

TEST(CliOptions, ListeningTakesItsDeviceThresholdAndStrikeCount) {
    const ParsedArguments parsed = parse(
        {"--listen", "--device", "WAVE MAPPER", "--threshold", "2500", "--strikes", "3", "--json"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.listen);
    EXPECT_EQ(parsed.options.device, "WAVE MAPPER");
    EXPECT_EQ(parsed.options.threshold, 2500);
    EXPECT_EQ(parsed.options.strikes, 3);
    EXPECT_TRUE(parsed.options.files.empty());
}

TEST(CliOptions, HelpListsEveryOption) {
    const std::string usage = usageText();
    for (const OptionEntry& entry : optionTable()) {
        EXPECT_NE(usage.find(std::string(entry.name)), std::string::npos) << entry.name;
    }
}

TEST(OverlayProfile, ReadsThroughButNeverWritesThrough) {
    MemoryProfile user;
    user.writeInt("Options", "m_WinVar", 2);
    user.writeInt("Options", "m_FindF0", 40);
    const int writes = user.writeCount();
    OverlayProfile overlay(user);
    EXPECT_EQ(overlay.readInt("Options", "m_WinVar", 1), 2);
    overlay.writeInt("Options", "m_WinVar", 0);
    overlay.writeString("OPEN", "GetOpenFileName_NAME", "x.wav");
    EXPECT_EQ(overlay.readInt("Options", "m_WinVar", 1), 0);
    EXPECT_EQ(overlay.readInt("Options", "m_FindF0", 30), 40);
    EXPECT_EQ(overlay.readString("OPEN", "GetOpenFileName_NAME", "12345.wav"), "x.wav");
    EXPECT_EQ(user.readInt("Options", "m_WinVar", 1), 2);
    EXPECT_EQ(user.writeCount(), writes);
}

TEST(CliOptions, LugOptionsGoWithLugsAndNoMoreFilesThanRods) {
    const ParsedArguments lugs = parse({"--lugs", "6", "--order", "clockwise", "--drum", "12\"",
                                        "--head", "reso", "--tolerance", "3", "a.wav", "b.wav"});
    ASSERT_TRUE(lugs.ok) << lugs.error;
    EXPECT_EQ(lugs.options.lugs, 6);
    EXPECT_EQ(lugs.options.clockwiseOrder, true);
    EXPECT_EQ(lugs.options.drum, "12\"");
    EXPECT_EQ(lugs.options.resonantHead, true);
    EXPECT_EQ(lugs.options.toleranceCents, 3);
    EXPECT_FALSE(parse({"--lugs", "3", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--lugs", "17", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--order", "star", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--lugs", "4", "--order", "spiral", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--lugs", "4", "--tolerance", "0", "a.wav"}).ok);
    const ParsedArguments tooMany = parse({"--lugs", "4", "1", "2", "3", "4", "5"});
    EXPECT_FALSE(tooMany.ok);
    EXPECT_NE(tooMany.error.find("more files than rods"), std::string::npos);
}

TEST(CliOptions, HistoryOptionsReadAloneAndRecordingGoesWithListening) {
    const ParsedArguments history =
        parse({"--history", "--drum", "12\"", "--since", "2026-12-09", "--json"});
    ASSERT_TRUE(history.ok) << history.error;
    EXPECT_TRUE(history.options.history);
    EXPECT_EQ(history.options.since, "2026-12-09");
    const ParsedArguments listen =
        parse({"--listen", "--record", "--drum", "12\"", "--head", "reso", "--lug", "3"});
    ASSERT_TRUE(listen.ok) << listen.error;
    EXPECT_EQ(listen.options.lug, 3);
    EXPECT_FALSE(parse({"--record", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--history", "a.wav"}).ok);
    EXPECT_FALSE(parse({"--history", "--snapshots"}).ok);
    EXPECT_FALSE(parse({"--snapshots", "--since", "2026-12-09"}).ok);
    EXPECT_FALSE(parse({"--history", "--since", "2026-02-30"}).ok);
    EXPECT_FALSE(parse({"--listen", "--lug", "17"}).ok);
    EXPECT_FALSE(parse({"--drum", "12\"", "a.wav"}).ok);
}

}  // namespace
}  // namespace tomaro
