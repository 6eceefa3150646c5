// Level text parsing with the lexical rules of the classic formatted-input family (whitespace-
// delimited keywords, %i integers with their sign, hex and octal forms, slashes glued to the
// numbers), made safe: a bad record is skipped with a message and reading goes on after it.
#include "app/level_loader.hpp"

#include <cstdint>
#include <cstdio>
#include <string>

namespace vantor {

namespace {

// After an unknown keyword the rest of its line is dropped, but never more than this many
// characters at once; what follows a longer line is read as further keywords.
constexpr std::size_t commentaryLimit = 999;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

std::string describe(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return "the end of the file";
    }
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == '\n' || c == '\r') {
        return "the end of the line";
    }
    if (isSpace(static_cast<char>(c))) {
        return "a space";
    }
    if (c >= 0x21 && c < 0x7F) {
        return std::string("'") + static_cast<char>(c) + "'";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "byte 0x%02X", c);
    return hex;
}

const char* const fieldNames[9] = {"position x", "position y", "position z",
                                   "velocity x", "velocity y", "velocity z",
                                   "scale x",    "scale y",    "scale z"};

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t pos() const { return pos_; }
    int line() const { return line_; }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    void advance() {
        if (endsLine(pos_)) {
            ++line_;
        }
        ++pos_;
    }

    // Skips whitespace; true if a line end was among it.
    bool skipSpace() {
        bool crossedLine = false;
        while (!atEnd() && isSpace(text_[pos_])) {
            crossedLine = crossedLine || endsLine(pos_);
            advance();
        }
        return crossedLine;
    }

    // The next whitespace-delimited word, of any length (an over-long one is simply not a keyword).
    std::string_view word() {
        skipSpace();
        const std::size_t start = pos_;
        while (!atEnd() && !isSpace(text_[pos_])) {
            advance();
        }
        return text_.substr(start, pos_ - start);
    }

    // Drops up to limit characters, stopping after the first line end.
    void discardLine(std::size_t limit) {
        for (std::size_t n = 0; n < limit && !atEnd(); ++n) {
            const bool lineEnd = endsLine(pos_);
            advance();
            if (lineEnd) {
                break;
            }
        }
    }

    enum class Number { ok, missing, outOfRange };

    // One %i integer: optional sign, then 0x/0X hexadecimal, leading-0 octal or decimal.
    // Leading whitespace is skipped. Digits are consumed even past the int range, which is then
    // reported rather than wrapped.
    Number readInt(int& out) {
        std::size_t p = pos_;
        bool negative = false;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) {
            negative = text_[p] == '-';
            ++p;
        }
        int base = 10;
        if (p < text_.size() && text_[p] == '0') {
            const bool hexPrefix = p + 2 < text_.size() &&
                                   (text_[p + 1] == 'x' || text_[p + 1] == 'X') &&
                                   digitValue(text_[p + 2]) < 16;
            base = hexPrefix ? 16 : 8;
            if (hexPrefix) {
                p += 2;
            }
        }
        const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
        std::uint64_t value = 0;
        bool overflow = false;
        const std::size_t digitsStart = p;
        while (p < text_.size() && digitValue(text_[p]) < base) {
            value = value * base + digitValue(text_[p]);
            if (value > limit) {
                overflow = true;
                value = limit;
            }
            ++p;
        }
        if (p == digitsStart) {
            return Number::missing;
        }
        while (pos_ < p) {
            advance();
        }
        if (overflow) {
            return Number::outOfRange;
        }
        out = negative ? static_cast<int>(-static_cast<std::int64_t>(value))
                       : static_cast<int>(value);
        return Number::ok;
    }

  private:
    // Files saved on other systems end their lines with CR LF or with CR alone: the last character
    // of each of those ends the line, as LF does.
    bool endsLine(std::size_t at) const {
        const char c = text_[at];
        return c == '\n' || (c == '\r' && (at + 1 == text_.size() || text_[at + 1] != '\n'));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
  public:
    Parser(std::string_view text, std::string_view fileName)
        : text_(text), fileName_(fileName), in_(text) {}

    LevelParse run() {
        for (;;) {
            const std::string_view keyword = in_.word();
            if (keyword.empty()) {
                break;
            }
            if (keyword == "p") {
                readRecord(LevelRecord::Kind::Platform, in_.line());
            } else if (keyword == "e") {
                readRecord(LevelRecord::Kind::Goal, in_.line());
            } else {
                in_.discardLine(commentaryLimit);
            }
        }
        return std::move(result_);
    }

  private:
    // Fields in file order: a platform has position, velocity and scale; a goal has no velocity.
    void readRecord(LevelRecord::Kind kind, int keywordLine) {
        LevelRecord record;
        record.kind = kind;
        record.line = keywordLine;
        const bool goal = kind == LevelRecord::Kind::Goal;
        int* targets[9] = {&record.position[0], &record.position[1], &record.position[2],
                           &record.velocity[0], &record.velocity[1], &record.velocity[2],
                           &record.scale[0],    &record.scale[1],    &record.scale[2]};
        // A record cut short by the end of the file is reported where its text ends.
        int lastTextLine = keywordLine;
        for (int field = 0; field < 9; ++field) {
            if (goal && field >= 3 && field < 6) {
                continue;
            }
            const bool crossedLine = in_.skipSpace();
            const int fieldLine = in_.line();
            const std::size_t fieldPos = in_.pos();
            switch (in_.readInt(*targets[field])) {
                case Scanner::Number::ok:
                    break;
                case Scanner::Number::missing:
                    reject(kind, keywordLine, in_.atEnd() ? lastTextLine : fieldLine,
                           std::string("expected an integer for the ") + fieldNames[field] +
                               ", found " + describe(text_, fieldPos));
                    // A record cut short at a line end leaves the next line to be read afresh:
                    // it may well hold the next record.
                    if (!crossedLine) {
                        in_.discardLine(std::string_view::npos);
                    }
                    return;
                case Scanner::Number::outOfRange:
                    reject(kind, keywordLine, fieldLine,
                           std::string("the ") + fieldNames[field] + " is outside the int range");
                    in_.discardLine(std::string_view::npos);
                    return;
            }
            // Inside a triple the slash must follow the number directly; after a triple only
            // whitespace may follow, so a fraction or a stray letter is caught as well.
            lastTextLine = in_.line();
            const bool lastOfTriple = field % 3 == 2;
            const char next = in_.peek();
            if (!lastOfTriple && next == '/') {
                in_.advance();
            } else if (lastOfTriple && (in_.atEnd() || isSpace(next))) {
                // the whitespace is skipped before the next field or keyword
            } else {
                reject(kind, keywordLine, in_.line(),
                       std::string(lastOfTriple ? "expected a space or line end" : "expected '/'") +
                           " after the " + fieldNames[field] + ", found " +
                           describe(text_, in_.pos()));
                in_.discardLine(std::string_view::npos);
                return;
            }
        }
        // A zero factor leaves the cloud without size and its placement without an inverse.
        for (int axis = 0; axis < 3; ++axis) {
            if (record.scale[axis] == 0) {
                reject(kind, keywordLine, lastTextLine,
                       std::string("the ") + fieldNames[6 + axis] + " is 0");
                return;
            }
        }
        result_.records.push_back(record);
    }

    void reject(LevelRecord::Kind kind, int keywordLine, int faultLine, const std::string& what) {
        std::string message = std::string(fileName_) + ":" + std::to_string(faultLine) + ": " +
                              (kind == LevelRecord::Kind::Goal ? "e" : "p") + " record";
        if (faultLine != keywordLine) {
            message += " (from line " + std::to_string(keywordLine) + ")";
        }
        message += " skipped: " + what;
        result_.messages.push_back(std::move(message));
    }

    std::string_view text_;
    std::string_view fileName_;
    Scanner in_;
    LevelParse result_;
};

}  // namespace

LevelParse parseLevel(std::string_view text, std::string_view fileName) {
    return Parser(text, fileName).run();
}

}  // namespace vantor
