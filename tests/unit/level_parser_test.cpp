// The level text parser: the record kinds, their fields in file order, the lexical rules of the
// format, and how bad records are reported by line and skipped without losing the good ones,
// whatever line ends the file has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/level_loader.hpp"

namespace vantor {
namespace {

using Strings = std::vector<std::string>;

// "p1 x/y/z vx/vy/vz sx/sy/sz": kind, keyword line, position, velocity, scale.
std::string describe(const LevelRecord& r) {
    std::string text = r.kind == LevelRecord::Kind::Goal ? "e" : "p";
    text += std::to_string(r.line);
    for (const int* triple : {r.position, r.velocity, r.scale}) {
        text += " " + std::to_string(triple[0]) + "/" + std::to_string(triple[1]) + "/" +
                std::to_string(triple[2]);
    }
    return text;
}

struct Case {
    const char* what;
    std::string text;
    Strings records;
    Strings messages;  // after "lvl/test.lvl:"
};

const Case cases[] = {
    {"kinds and fields in order",
     "p 5/0/-3 0/2/0 2/1/2\ne 30/6/-40 2/1/3\np 1/1/1 0/0/0 1/1/1\n",
     {"p1 5/0/-3 0/2/0 2/1/2", "e2 30/6/-40 0/0/0 2/1/3", "p3 1/1/1 0/0/0 1/1/1"},
     {}},
    {"%i integers", "p 0x10/010/-0x1F +7/-010/-0 0X0a/+1/07\n", {"p1 16/8/-31 7/-8/0 10/1/7"}, {}},
    {"a record spans lines, spaces may follow a slash",
     "p 1/2/3\n  4/ 5/6\n\n7/8/9\ne\n0/0/0\n1/1/1",
     {"p1 1/2/3 4/5/6 7/8/9", "e5 0/0/0 0/0/0 1/1/1"},
     {}},
    {"only lower-case one-letter keywords",
     "P 1/1/1 0/0/0 1/1/1\nE 1/1/1 1/1/1\npp 1/1/1 0/0/0 1/1/1\ne1 1/1/1 1/1/1\n"
     "p1/1/1 0/0/0 1/1/1\n# p 1/1/1 0/0/0 1/1/1\n\t\nnote\ne 9/9/9 1/1/1\n",
     {"e9 9/9/9 0/0/0 1/1/1"},
     {}},
    {"commentary drops at most 999 characters of its line",
     "note " + std::string(999, 'x') + " p 1/1/1 0/0/0 1/1/1\nnote " + std::string(998, 'x') +
         " p 2/2/2 0/0/0 1/1/1\n",
     {"p2 2/2/2 0/0/0 1/1/1"},
     {}},
    {"an over-long word is commentary", std::string(300, 'k') + " p 1/1/1 0/0/0 1/1/1\n", {}, {}},
    {"int limits",
     "p 2147483647/-2147483648/0x7fffffff 0/0/0 1/1/1\np 2147483648/0/0 0/0/0 1/1/1\n"
     "p 0/0/0 0/-2147483649/0 1/1/1\ne 0/0/0 1/99999999999999999999/1\n"
     "p 0/0/0 0/0/0 0x100000000/1/1\n",
     {"p1 2147483647/-2147483648/2147483647 0/0/0 1/1/1"},
     {"2: p record skipped: the position x is outside the int range",
      "3: p record skipped: the velocity y is outside the int range",
      "4: e record skipped: the scale y is outside the int range",
      "5: p record skipped: the scale x is outside the int range"}},
    {"bad fields",
     "p 1.5/0/0 0/0/0 1/1/1\np 0/0/0 0/0/0 1/1/2.5\np 0 /0/0 0/0/0 1/1/1\ne 0/0/0 1/1\n"
     "p 3/3/3 0/0/0 1/1/1\np 0/0/0 0/x/0 1/1/1\np 08/0/0 0/0/0 1/1/1\np 4/4/4 0/0/0 1/1/1\n",
     {"p5 3/3/3 0/0/0 1/1/1", "p8 4/4/4 0/0/0 1/1/1"},
     {"1: p record skipped: expected '/' after the position x, found '.'",
      "2: p record skipped: expected a space or line end after the scale z, found '.'",
      "3: p record skipped: expected '/' after the position x, found a space",
      "4: e record skipped: expected '/' after the scale y, found the end of the line",
      "6: p record skipped: expected an integer for the velocity y, found 'x'",
      "7: p record skipped: expected '/' after the position x, found '8'"}},
    {"zero scales",
     "p 0/0/0 0/0/0 1/0/1\ne 0/0/0 0x0/1/1\np 1/1/1 0/0/0 1/1/0\np 1/1/1 0/0/0 1/-1/1\n",
     {"p4 1/1/1 0/0/0 1/-1/1"},
     {"1: p record skipped: the scale y is 0", "2: e record skipped: the scale x is 0",
      "3: p record skipped: the scale z is 0"}},
    {"truncated records",
     "p 1/1/1 0/0/0\np 2/2/2 0/0/0 1/1/1\ne 5/5/5",
     {"p2 2/2/2 0/0/0 1/1/1"},
     {"2: p record (from line 1) skipped: expected an integer for the scale x, found 'p'",
      "3: e record skipped: expected an integer for the scale x, found the end of the file"}},
    {"binary garbage",
     std::string("p 1/1/1 0/0/0 1/1/1\np \x01\xff\0/2/3 0/0/0 1/1/1\n\x7f\x80\0\0 e 1/1/1\n", 55) +
         "p 2/2/2 0/0/0 1/1/1\n",
     {"p1 1/1/1 0/0/0 1/1/1", "p4 2/2/2 0/0/0 1/1/1"},
     {"2: p record skipped: expected an integer for the position x, found byte 0x01"}},
};

// The text with each of its line ends written as another system writes them.
std::string withLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string written;
    for (const char c : text)
        written += c == '\n' ? lineEnd : std::string(1, c);
    return written;
}

// Every case reads the same whichever line ends the file was saved with, line numbers included.
TEST(LevelParser, RecordsAndMessagesInFileOrderWithEveryKindOfLineEnd) {
    for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(lineEnd[0] == '\n' ? "LF" : lineEnd[1] == '\n' ? "CR LF" : "CR");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            const LevelParse level = parseLevel(withLineEnds(c.text, lineEnd), "lvl/test.lvl");
            Strings records, messages;
            for (const LevelRecord& record : level.records)
                records.push_back(describe(record));
            for (const std::string& message : c.messages)
                messages.push_back("lvl/test.lvl:" + message);
            EXPECT_EQ(records, c.records);
            EXPECT_EQ(level.messages, messages);
        }
    }
}

}  // namespace
}  // namespace vantor
