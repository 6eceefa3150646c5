// The level text parser on its own: the lexical rules of the record format, and how bad records
// are reported and skipped without losing the good ones around them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/level_loader.hpp"

namespace vantor {
namespace {

using Kind = LevelRecord::Kind;

LevelParse parse(const std::string& text) {
    return parseLevel(text, "lvl/test.lvl");
}

// A literal with embedded NUL bytes, whole.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

void expectTriple(const int* actual, int x, int y, int z) {
    EXPECT_EQ(actual[0], x);
    EXPECT_EQ(actual[1], y);
    EXPECT_EQ(actual[2], z);
}

TEST(LevelParser, ReadsPlatformAndGoalRecordsInFileOrder) {
    const LevelParse level = parse("p 5/0/-3 0/2/0 2/1/2\ne 30/6/-40 2/1/2\np 1/1/1 0/0/0 1/1/1\n");
    ASSERT_EQ(level.records.size(), 3u);
    EXPECT_TRUE(level.messages.empty());
    EXPECT_EQ(level.records[0].kind, Kind::Platform);
    expectTriple(level.records[0].position, 5, 0, -3);
    expectTriple(level.records[0].velocity, 0, 2, 0);
    expectTriple(level.records[0].scale, 2, 1, 2);
    EXPECT_EQ(level.records[1].kind, Kind::Goal);
    EXPECT_EQ(level.records[1].line, 2);
    expectTriple(level.records[1].position, 30, 6, -40);
    expectTriple(level.records[1].velocity, 0, 0, 0);
    expectTriple(level.records[1].scale, 2, 1, 2);
    EXPECT_EQ(level.records[2].line, 3);
}

TEST(LevelParser, IntegersFollowPercentINotation) {
    const LevelParse level = parse("p 0x10/010/-0x1F +7/-010/-0 0X0a/+1/07\n");
    ASSERT_EQ(level.records.size(), 1u);
    expectTriple(level.records[0].position, 16, 8, -31);
    expectTriple(level.records[0].velocity, 7, -8, 0);
    expectTriple(level.records[0].scale, 10, 1, 7);
}

TEST(LevelParser, IntRangeLimitsAreAcceptedAndBeyondIsRejected) {
    const LevelParse edge = parse("p 2147483647/-2147483648/0x7fffffff 0/0/0 1/1/1\n");
    ASSERT_EQ(edge.records.size(), 1u);
    expectTriple(edge.records[0].position, 2147483647, -2147483647 - 1, 2147483647);

    const LevelParse over = parse(
        "p 2147483648/0/0 0/0/0 1/1/1\n"
        "p 0/0/0 0/-2147483649/0 1/1/1\n"
        "e 0/0/0 99999999999999999999999999/1/1\n"
        "p 0/0/0 0/0/0 0x100000000/1/1\n"
        "p 1/2/3 0/0/0 1/1/1\n");
    ASSERT_EQ(over.records.size(), 1u);
    expectTriple(over.records[0].position, 1, 2, 3);
    ASSERT_EQ(over.messages.size(), 4u);
    EXPECT_EQ(over.messages[0],
              "lvl/test.lvl:1: p record skipped: the position x is outside the int range");
    EXPECT_EQ(over.messages[1],
              "lvl/test.lvl:2: p record skipped: the velocity y is outside the int range");
    EXPECT_EQ(over.messages[2],
              "lvl/test.lvl:3: e record skipped: the scale x is outside the int range");
}

TEST(LevelParser, ARecordMaySpanLines) {
    const LevelParse level = parse("p 1/2/3\n  4/5/6\n\n7/8/9\ne\n0/0/0\n1/1/1");
    ASSERT_EQ(level.records.size(), 2u);
    EXPECT_TRUE(level.messages.empty());
    expectTriple(level.records[0].scale, 7, 8, 9);
    EXPECT_EQ(level.records[1].kind, Kind::Goal);
    EXPECT_EQ(level.records[1].line, 5);
}

TEST(LevelParser, OnlyLowerCaseOneLetterKeywordsAreRecords) {
    const LevelParse level = parse(
        "P 1/1/1 0/0/0 1/1/1\n"
        "E 1/1/1 1/1/1\n"
        "pp 1/1/1 0/0/0 1/1/1\n"
        "e1 1/1/1 1/1/1\n"
        "p1/1/1 0/0/0 1/1/1\n"
        "# p 1/1/1 0/0/0 1/1/1\n"
        "p 9/9/9 0/0/0 1/1/1\n");
    ASSERT_EQ(level.records.size(), 1u);
    EXPECT_TRUE(level.messages.empty());
    expectTriple(level.records[0].position, 9, 9, 9);
    EXPECT_EQ(level.records[0].line, 7);
}

TEST(LevelParser, EmptyAndCommentaryOnlyTextsYieldNothing) {
    for (const char* text : {"", "\n\n   \t\n", "this is a level\nwith no records at all\n"}) {
        const LevelParse level = parse(text);
        EXPECT_TRUE(level.records.empty()) << text;
        EXPECT_TRUE(level.messages.empty()) << text;
    }
}

TEST(LevelParser, CommentaryDropsAtMost999CharactersOfItsLine) {
    // A commentary line is dropped whole up to the limit; beyond it the text is read as keywords.
    const std::string shortLine = "note " + std::string(900, 'x') + " p 1/1/1 0/0/0 1/1/1\n";
    EXPECT_TRUE(parse(shortLine).records.empty());
    // " " and 998 letters fill the limit exactly, so the record after them is read.
    const std::string longLine = "note " + std::string(998, 'x') + " p 1/1/1 0/0/0 1/1/1\n";
    const LevelParse level = parse(longLine);
    ASSERT_EQ(level.records.size(), 1u);
    expectTriple(level.records[0].position, 1, 1, 1);
}

TEST(LevelParser, AnOverlongKeywordIsCommentary) {
    const std::string text = std::string(300, 'k') + " p 1/1/1 0/0/0 1/1/1\np 2/2/2 0/0/0 1/1/1\n";
    const LevelParse level = parse(text);
    ASSERT_EQ(level.records.size(), 1u);
    EXPECT_TRUE(level.messages.empty());
    expectTriple(level.records[0].position, 2, 2, 2);
}

TEST(LevelParser, BadRecordsAreSkippedWithOneMessageEachAndTheRestLoads) {
    const LevelParse level = parse(
        "p 0/0/0 0/0/0 1/1/1\n"    // 1 good
        "p 1.5/0/0 0/0/0 1/1/1\n"  // 2 fraction inside a triple
        "p 0/0/0 0/0/0 1/1/2.5\n"  // 3 fraction in the last field
        "p 0 /0/0 0/0/0 1/1/1\n"   // 4 space before a slash
        "e 0/0/0 1/1\n"            // 5 missing field at the line end
        "p 3/3/3 0/0/0 1/1/1\n"    // 6 good
        "p 0/0/0 0/x/0 1/1/1\n"    // 7 letter
        "p 08/0/0 0/0/0 1/1/1\n"   // 8 8 is no octal digit
        "p 4/4/4 0/0/0 1/1/1\n");  // 9 good
    ASSERT_EQ(level.records.size(), 3u);
    expectTriple(level.records[0].position, 0, 0, 0);
    expectTriple(level.records[1].position, 3, 3, 3);
    expectTriple(level.records[2].position, 4, 4, 4);
    ASSERT_EQ(level.messages.size(), 6u);
    EXPECT_EQ(level.messages[0],
              "lvl/test.lvl:2: p record skipped: expected '/' after the position x, found '.'");
    EXPECT_EQ(level.messages[1],
              "lvl/test.lvl:3: p record skipped: expected a space or line end after the scale z, "
              "found '.'");
    EXPECT_EQ(level.messages[2],
              "lvl/test.lvl:4: p record skipped: expected '/' after the position x, found a space");
    EXPECT_EQ(level.messages[3],
              "lvl/test.lvl:5: e record skipped: expected '/' after the scale y, found the end of "
              "the line");
    EXPECT_EQ(
        level.messages[4],
        "lvl/test.lvl:7: p record skipped: expected an integer for the velocity y, found 'x'");
    EXPECT_EQ(level.messages[5],
              "lvl/test.lvl:8: p record skipped: expected '/' after the position x, found '8'");
}

TEST(LevelParser, AZeroScaleIsRejected) {
    const LevelParse level = parse("p 0/0/0 0/0/0 1/0/1\ne 0/0/0 0x0/1/1\np 1/1/1 0/0/0 1/-1/1\n");
    ASSERT_EQ(level.records.size(), 1u);
    expectTriple(level.records[0].scale, 1, -1, 1);
    ASSERT_EQ(level.messages.size(), 2u);
    EXPECT_EQ(level.messages[0], "lvl/test.lvl:1: p record skipped: the scale y is 0");
    EXPECT_EQ(level.messages[1], "lvl/test.lvl:2: e record skipped: the scale x is 0");
}

TEST(LevelParser, ATruncatedRecordLeavesTheNextLineToBeReadAfresh) {
    const LevelParse level = parse("p 1/1/1 0/0/0\np 2/2/2 0/0/0 1/1/1\ne 5/5/5");
    ASSERT_EQ(level.records.size(), 1u);
    expectTriple(level.records[0].position, 2, 2, 2);
    ASSERT_EQ(level.messages.size(), 2u);
    EXPECT_EQ(level.messages[0],
              "lvl/test.lvl:2: p record (from line 1) skipped: expected an integer for the scale "
              "x, found 'p'");
    EXPECT_EQ(level.messages[1],
              "lvl/test.lvl:3: e record skipped: expected an integer for the scale x, found the "
              "end of the file");
}

TEST(LevelParser, BinaryGarbageIsReportedNotTrusted) {
    std::string text = "p 1/1/1 0/0/0 1/1/1\n";
    text += bytes("p \x01\xff\0/2/3 0/0/0 1/1/1\n");
    text += bytes("\x7f\x80\0\0 e 1/1/1\n");
    text += "p 2/2/2 0/0/0 1/1/1\n";
    const LevelParse level = parse(text);
    ASSERT_EQ(level.records.size(), 2u);
    expectTriple(level.records[1].position, 2, 2, 2);
    ASSERT_EQ(level.messages.size(), 1u);
    EXPECT_EQ(level.messages[0],
              "lvl/test.lvl:2: p record skipped: expected an integer for the position x, found "
              "byte 0x01");
}

TEST(LevelParser, TwoGoalRecordsAreBothKept) {
    const LevelParse level = parse("e 0/0/0 1/1/1\ne 10/0/0 1/1/1\n");
    ASSERT_EQ(level.records.size(), 2u);
    EXPECT_EQ(level.records[0].kind, Kind::Goal);
    EXPECT_EQ(level.records[1].kind, Kind::Goal);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

struct BadLevel {
    const char* file;
    std::size_t records;
    std::vector<int> messageLines;  // one message per bad record, at these lines
};

std::string readFixture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LevelParserFixtures, BadFilesReportEachBadRecordByLineAndKeepTheGoodOnes) {
    const BadLevel cases[] = {
        {"truncated.lvl", 3, {4, 5, 7}},
        {"fractions.lvl", 3, {2, 4}},
        {"space_before_slash.lvl", 3, {2}},  // "1/ 1/1" is fine: a number may follow spaces
        {"long_keyword.lvl", 2, {}},
        {"garbage.lvl", 2, {2}},
        {"empty.lvl", 0, {}},
        {"commentary_only.lvl", 0, {}},
        {"huge_numbers.lvl", 2, {2, 3}},
    };
    for (const BadLevel& level : cases) {
        const std::string path = std::string(VANTOR_FIXTURES_DIR) + "/levels/" + level.file;
        const LevelParse parsed = parseLevel(readFixture(path), path);
        EXPECT_EQ(parsed.records.size(), level.records) << level.file;
        ASSERT_EQ(parsed.messages.size(), level.messageLines.size()) << level.file;
        for (std::size_t i = 0; i < parsed.messages.size(); ++i) {
            const std::string where = path + ":" + std::to_string(level.messageLines[i]) + ": ";
            EXPECT_EQ(parsed.messages[i].rfind(where, 0), 0u) << parsed.messages[i];
        }
    }
}

}  // namespace
}  // namespace vantor
