#pragma once
// The part of CSS tokenization that decides a sheet's structure: where comments, strings and
// url(...) tokens begin and end, which characters open and close blocks, and where `;`, `:`,
// at-keywords and the HTML comment markers stand. Everything else is one "other" token per
// byte or per name, which is all the rule and declaration scanners need.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo::file_host::css::detail {

enum class TokenKind {
  Whitespace,
  Comment,
  String,
  BadString,  // cut short by a line break, which follows it and must stay after it
  Url,
  Open,   // ( [ { or a function name with its (
  Close,  // ) ] }
  Semicolon,
  Colon,
  Cdo,  // <!--
  Cdc,  // -->
  AtKeyword,
  Other,
};

struct Token {
  TokenKind kind = TokenKind::Other;
  std::size_t begin = 0;
  std::size_t end = 0;
  // Open: the character that closes it; Close: the character itself.
  char bracket = 0;
};

// Reads text[begin, end) token by token. Constructs left open at `end` run to it.
class Tokenizer {
 public:
  Tokenizer(std::string_view text, std::size_t begin, std::size_t end);

  bool atEnd() const { return pos_ >= text_.size(); }
  Token next();

  // What has to follow the text to finish the last token when it ran into the end (`*/`, a
  // quote, `)`), with a blank in front when the text ends in a lone backslash that would
  // otherwise escape what comes next. Empty when the last token is complete.
  const std::string& unfinished() const { return unfinished_; }

 private:
  Token single(TokenKind kind, std::size_t length, char bracket = 0);
  Token comment();
  Token string(char quote);
  void name();
  Token nameLike();
  Token url(std::size_t begin);
  // Consumes one escape at pos_ (a backslash and what it escapes); false when there is none.
  bool escape();
  bool startsEscape(std::size_t at) const;
  bool startsName(std::size_t at) const;

  std::string_view text_;
  std::size_t pos_;
  std::string unfinished_;
};

// Closers still owed by the blocks that are open, innermost first.
class Nesting {
 public:
  // Follows one token; returns the bracket that a Close token matched, 0 otherwise.
  char follow(const Token& token);
  std::size_t depth() const { return open_.size(); }
  std::string closers() const { return std::string(open_.rbegin(), open_.rend()); }

 private:
  std::string open_;
};

bool isBlank(TokenKind kind);  // white space or a comment
bool isLineBreak(char c);
bool isSpaceByte(char c);  // CSS white space
// ASCII letters compare ignoring case; other bytes compare exactly.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace velmo::file_host::css::detail
