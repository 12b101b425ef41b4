#include "file_host/css/css_importance.h"

#include <array>

#include "file_host/css/css_tokenizer.h"

namespace velmo::file_host::css::detail {
namespace {

struct Seen {
  Token token;
  std::size_t depth = 0;
};

bool isTopLevelOther(std::string_view text, const Seen& seen, std::string_view word) {
  const Token& t = seen.token;
  return seen.depth == 0 && t.kind == TokenKind::Other &&
         equalsIgnoringAsciiCase(text.substr(t.begin, t.end - t.begin), word);
}

}  // namespace

ValueParts splitImportance(std::string_view text, Span span) {
  Tokenizer tokens(text, span.begin, span.end);
  Nesting nesting;
  // The last three tokens that are neither white space nor comments, newest first: only the
  // last two can make the importance, and the one before them ends the value.
  std::array<Seen, 3> recent;
  std::size_t seen = 0;
  std::size_t begin = span.end;
  while (!tokens.atEnd()) {
    const Token t = tokens.next();
    if (isBlank(t.kind)) continue;
    if (seen == 0) begin = t.begin;
    recent = {Seen{t, nesting.depth()}, recent[0], recent[1]};
    ++seen;
    nesting.follow(t);
  }
  const std::size_t end = seen == 0 ? begin : recent[0].token.end;
  if (seen < 2 || !isTopLevelOther(text, recent[0], "important") ||
      !isTopLevelOther(text, recent[1], "!")) {
    return {{begin, end}, {end, end}};
  }
  const std::size_t valueEnd = seen > 2 ? recent[2].token.end : begin;
  return {{begin, valueEnd}, {recent[1].token.begin, end}};
}

}  // namespace velmo::file_host::css::detail
