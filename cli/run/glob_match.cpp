#include "cli/run/glob_match.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/common/text.h"

namespace velmo::cli {
namespace {

// A character of the glob or the text: a code point, or a byte that is no part of UTF-8, placed
// above every code point so that it equals only the same byte.
using Char = char32_t;
constexpr Char kStrayByte = 0x110000;

std::vector<Char> charactersOf(std::string_view bytes) {
  std::vector<Char> characters;
  characters.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t codePoint = 0;
    const std::size_t length = decodeUtf8(bytes, at, codePoint);
    if (length == 0) {
      characters.push_back(kStrayByte + static_cast<unsigned char>(bytes[at]));
      ++at;
    } else {
      characters.push_back(codePoint);
      at += length;
    }
  }
  return characters;
}

constexpr bool isUpper(Char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool isLower(Char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool isDigit(Char c) {
  return c >= '0' && c <= '9';
}
constexpr bool isGraph(Char c) {
  return c > ' ' && c < 0x7F;
}

// The classes of the C locale: ASCII characters only.
struct CharacterClass {
  std::u32string_view name;
  bool (*has)(Char);
};
constexpr CharacterClass kClasses[] = {
    {U"alnum", [](Char c) { return isUpper(c) || isLower(c) || isDigit(c); }},
    {U"alpha", [](Char c) { return isUpper(c) || isLower(c); }},
    {U"blank", [](Char c) { return c == ' ' || c == '\t'; }},
    {U"cntrl", [](Char c) { return c < ' ' || c == 0x7F; }},
    {U"digit", isDigit},
    {U"graph", isGraph},
    {U"lower", isLower},
    {U"print", [](Char c) { return c == ' ' || isGraph(c); }},
    {U"punct", [](Char c) { return isGraph(c) && !isUpper(c) && !isLower(c) && !isDigit(c); }},
    {U"space", [](Char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }},
    {U"upper", isUpper},
    {U"xdigit",
     [](Char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }},
};

struct BracketSet {
  bool negated = false;
  std::vector<std::pair<Char, Char>> ranges;  // a single character is a range of one
  std::vector<const CharacterClass*> classes;

  bool has(Char c) const {
    bool found = false;
    for (const auto& [low, high] : ranges) found = found || (low <= c && c <= high);
    for (const CharacterClass* characterClass : classes) found = found || characterClass->has(c);
    return found != negated;
  }
};

struct Token {
  enum Kind { kLiteral, kAnyOne, kAnyRun, kBracket } kind;
  Char literal = 0;
  std::size_t set = 0;
};

struct CompiledGlob {
  std::vector<Token> tokens;
  std::vector<BracketSet> sets;
  std::string problem;  // why it can match nothing at all; empty when it can
};

enum class SetEnd { kClosed, kUnclosed, kIllFormed };

class Compiler {
 public:
  explicit Compiler(const std::vector<Char>& glob) : glob_(glob) {}

  CompiledGlob compile() {
    CompiledGlob out;
    for (std::size_t at = 0; at < glob_.size();) {
      const Char c = glob_[at];
      if (c == '*') {
        if (out.tokens.empty() || out.tokens.back().kind != Token::kAnyRun) {
          out.tokens.push_back({Token::kAnyRun});
        }
        ++at;
      } else if (c == '?') {
        out.tokens.push_back({Token::kAnyOne});
        ++at;
      } else if (c == '[') {
        BracketSet set;
        std::size_t end = 0;
        switch (readSet(at + 1, set, end, out.problem)) {
          case SetEnd::kIllFormed:
            return out;
          case SetEnd::kUnclosed:  // the '[' stands for itself
            out.tokens.push_back({Token::kLiteral, '['});
            ++at;
            break;
          case SetEnd::kClosed:
            out.tokens.push_back({Token::kBracket, 0, out.sets.size()});
            out.sets.push_back(std::move(set));
            at = end;
            break;
        }
      } else if (c == '\\') {
        if (at + 1 == glob_.size()) {
          out.problem = "GLOB ends in a lone '\\' (write '\\\\' for a backslash)";
          return out;
        }
        out.tokens.push_back({Token::kLiteral, glob_[at + 1]});
        at += 2;
      } else {
        out.tokens.push_back({Token::kLiteral, c});
        ++at;
      }
    }
    return out;
  }

 private:
  bool startsWith(std::size_t at, std::u32string_view text) const {
    return at + text.size() <= glob_.size() &&
           std::equal(text.begin(), text.end(), glob_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // The end of the class name in "[:name:]" at `at` (where its ":]" starts); nothing when the
  // text there is no class (its '[' is then a member of the set).
  std::optional<std::size_t> classNameEnd(std::size_t at) const {
    std::size_t end = at + 2;
    while (end < glob_.size() && glob_[end] >= 'a' && glob_[end] < 'z') ++end;
    if (!startsWith(end, U":]")) return std::nullopt;
    return end;
  }

  // One character of a set or the end of a range at `at`: itself, '\' and the character it
  // quotes, or a collating symbol "[.c.]" (only single characters have one).
  std::optional<Char> readMember(std::size_t& at, std::string& problem) const {
    if (startsWith(at, U"[.")) {
      if (at + 4 >= glob_.size() || !startsWith(at + 3, U".]")) {
        problem = "a '[.' in GLOB starts no collating symbol of one character, such as '[.-.]'";
        return std::nullopt;
      }
      at += 5;
      return glob_[at - 3];
    }
    if (glob_[at] == '\\') {
      if (at + 1 == glob_.size()) return std::nullopt;
      at += 2;
      return glob_[at - 1];
    }
    return glob_[at++];
  }

  // The set whose text starts at `at` (just past its '['), and `end` just past its ']'.
  SetEnd readSet(std::size_t at, BracketSet& set, std::size_t& end, std::string& problem) const {
    if (at < glob_.size() && (glob_[at] == '!' || glob_[at] == '^')) {
      set.negated = true;
      ++at;
    }
    for (bool first = true;; first = false) {
      if (at >= glob_.size()) return SetEnd::kUnclosed;
      if (glob_[at] == ']' && !first) {
        end = at + 1;
        return SetEnd::kClosed;
      }
      if (const auto nameEnd = startsWith(at, U"[:") ? classNameEnd(at) : std::nullopt) {
        const std::u32string_view name(glob_.data() + at + 2, *nameEnd - at - 2);
        const auto known = std::find_if(std::begin(kClasses), std::end(kClasses),
                                        [&](const CharacterClass& c) { return c.name == name; });
        if (known == std::end(kClasses)) {
          problem = "GLOB names no character class '[:" + std::string(name.begin(), name.end()) +
                    ":]' (there are alnum, alpha, blank, cntrl, digit, graph, lower, print, "
                    "punct, space, upper and xdigit)";
          return SetEnd::kIllFormed;
        }
        set.classes.push_back(known);
        at = *nameEnd + 2;
        continue;
      }
      // An equivalence class "[=c=]" is c alone in the C locale, and ends no range.
      if (startsWith(at, U"[=") && startsWith(at + 3, U"=]")) {
        set.ranges.emplace_back(glob_[at + 2], glob_[at + 2]);
        at += 5;
        continue;
      }
      // A '[' that starts no class stands for itself.
      const std::optional<Char> low = startsWith(at, U"[=") || startsWith(at, U"[:")
                                          ? std::optional<Char>(glob_[at++])
                                          : readMember(at, problem);
      if (!problem.empty()) return SetEnd::kIllFormed;
      if (!low) return SetEnd::kUnclosed;
      Char high = *low;
      if (at + 1 == glob_.size() && glob_[at] == '-') {
        problem = "GLOB ends inside a range of a bracket expression";
        return SetEnd::kIllFormed;
      }
      if (at + 1 < glob_.size() && glob_[at] == '-' && glob_[at + 1] != ']') {
        ++at;
        const std::optional<Char> rangeEnd = readMember(at, problem);
        if (!problem.empty()) return SetEnd::kIllFormed;
        if (!rangeEnd) return SetEnd::kUnclosed;
        high = *rangeEnd;
      }
      set.ranges.emplace_back(*low, high);
    }
  }

  const std::vector<Char>& glob_;
};

class Matcher {
 public:
  Matcher(const CompiledGlob& glob, const std::vector<Char>& text, bool wholePath)
      : glob_(glob), text_(text), wholePath_(wholePath) {}

  // '*' takes as little as it can and one more character each time what follows fails, from the
  // last '*' only: only a '/' of the glob matches a '/' of the text, so no '*' ever needs to
  // reach into the name of another.
  bool matches() const {
    const std::vector<Token>& tokens = glob_.tokens;
    std::size_t g = 0;
    std::size_t t = 0;
    std::optional<std::size_t> afterStar;
    std::size_t starEnd = 0;
    while (t < text_.size()) {
      if (g < tokens.size() && tokens[g].kind == Token::kAnyRun) {
        if (leadingDot(t)) return false;
        afterStar = ++g;
        starEnd = t;
      } else if (g < tokens.size() && matchesOne(tokens[g], t)) {
        ++g;
        ++t;
      } else {
        if (!afterStar || isSeparator(text_[starEnd])) return false;
        g = *afterStar;
        t = ++starEnd;
      }
    }
    while (g < tokens.size() && tokens[g].kind == Token::kAnyRun) ++g;
    return g == tokens.size();
  }

 private:
  bool isSeparator(Char c) const { return wholePath_ && c == '/'; }

  // A dot that begins the text, or with wholePath a name in it, is matched only by a dot.
  bool leadingDot(std::size_t t) const {
    return text_[t] == '.' && (t == 0 || isSeparator(text_[t - 1]));
  }

  bool matchesOne(const Token& token, std::size_t t) const {
    const Char c = text_[t];
    if (token.kind == Token::kLiteral) return c == token.literal;
    if (isSeparator(c) || leadingDot(t)) return false;
    return token.kind == Token::kAnyOne || glob_.sets[token.set].has(c);
  }

  const CompiledGlob& glob_;
  const std::vector<Char>& text_;
  bool wholePath_;
};

}  // namespace

bool globMatch(std::string_view glob, std::string_view text, bool wholePath) {
  const std::vector<Char> globCharacters = charactersOf(glob);
  const CompiledGlob compiled = Compiler(globCharacters).compile();
  if (!compiled.problem.empty()) return false;
  return Matcher(compiled, charactersOf(text), wholePath).matches();
}

std::string globProblem(std::string_view glob) {
  const std::vector<Char> globCharacters = charactersOf(glob);
  return Compiler(globCharacters).compile().problem;
}

}  // namespace velmo::cli
