#include "file_host/css/css_tokenizer.h"

#include <algorithm>

#include "core/common/text.h"

namespace velmo::file_host::css::detail {
namespace {

bool isNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || u >= 0x80;
}

bool isNameStart(char c) {
  return isNameChar(c) && c != '-' && !(c >= '0' && c <= '9');
}

}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool isSpaceByte(char c) {
  return c == ' ' || c == '\t' || isLineBreak(c);
}

bool isLineBreak(char c) {
  return c == '\n' || c == '\r' || c == '\f';
}

bool isBlank(TokenKind kind) {
  return kind == TokenKind::Whitespace || kind == TokenKind::Comment;
}

Tokenizer::Tokenizer(std::string_view text, std::size_t begin, std::size_t end)
    : text_(text.substr(0, std::min(end, text.size()))), pos_(std::min(begin, text_.size())) {}

Token Tokenizer::single(TokenKind kind, std::size_t length, char bracket) {
  Token t{kind, pos_, pos_ + length, bracket};
  pos_ += length;
  return t;
}

bool Tokenizer::startsEscape(std::size_t at) const {
  return at < text_.size() && text_[at] == '\\' &&
         (at + 1 >= text_.size() || !isLineBreak(text_[at + 1]));
}

bool Tokenizer::startsName(std::size_t at) const {
  if (at < text_.size() && text_[at] == '-') {
    ++at;
    if (at < text_.size() && text_[at] == '-') return true;
  }
  return (at < text_.size() && isNameStart(text_[at])) || startsEscape(at);
}

bool Tokenizer::escape() {
  if (!startsEscape(pos_)) return false;
  if (pos_ + 1 >= text_.size()) {
    // A backslash at the very end escapes whatever is appended next.
    unfinished_ = " ";
    pos_ = text_.size();
  } else {
    pos_ += 2;
  }
  return true;
}

Token Tokenizer::next() {
  unfinished_.clear();
  const std::size_t begin = pos_;
  const char c = text_[pos_];
  const std::string_view rest = text_.substr(pos_);
  if (isSpaceByte(c)) {
    while (pos_ < text_.size() && isSpaceByte(text_[pos_])) ++pos_;
    return {TokenKind::Whitespace, begin, pos_};
  }
  if (rest.starts_with("/*")) return comment();
  switch (c) {
    case '"':
    case '\'':
      return string(c);
    case '(':
      return single(TokenKind::Open, 1, ')');
    case '[':
      return single(TokenKind::Open, 1, ']');
    case '{':
      return single(TokenKind::Open, 1, '}');
    case ')':
    case ']':
    case '}':
      return single(TokenKind::Close, 1, c);
    case ';':
      return single(TokenKind::Semicolon, 1);
    case ':':
      return single(TokenKind::Colon, 1);
    case '<':
      if (rest.starts_with("<!--")) return single(TokenKind::Cdo, 4);
      break;
    case '-':
      // A marker only where a token starts; inside a name ("a-->") the dashes belong to it.
      if (rest.starts_with("-->")) return single(TokenKind::Cdc, 3);
      break;
    case '@':
      if (startsName(pos_ + 1)) {
        ++pos_;
        name();
        return {TokenKind::AtKeyword, begin, pos_};
      }
      break;
    default:
      break;
  }
  if (isNameChar(c) || startsEscape(pos_)) return nameLike();
  return single(TokenKind::Other, 1);
}

Token Tokenizer::comment() {
  const std::size_t begin = pos_;
  const std::size_t close = text_.find("*/", pos_ + 2);
  if (close == std::string_view::npos) {
    pos_ = text_.size();
    unfinished_ = "*/";
  } else {
    pos_ = close + 2;
  }
  return {TokenKind::Comment, begin, pos_};
}

Token Tokenizer::string(char quote) {
  const std::size_t begin = pos_++;
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == quote) {
      ++pos_;
      return {TokenKind::String, begin, pos_};
    }
    // An unescaped line break ends a bad string and is not part of it.
    if (isLineBreak(c)) return {TokenKind::BadString, begin, pos_};
    if (c == '\\') {
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\r' && pos_ + 2 < text_.size() &&
          text_[pos_ + 2] == '\n') {
        pos_ += 3;
      } else if (pos_ + 1 < text_.size()) {
        pos_ += 2;
      } else {
        pos_ = text_.size();
        unfinished_ = std::string(" ") + quote;
        return {TokenKind::String, begin, pos_};
      }
      continue;
    }
    ++pos_;
  }
  unfinished_ = std::string(1, quote);
  return {TokenKind::String, begin, pos_};
}

void Tokenizer::name() {
  while (pos_ < text_.size()) {
    if (isNameChar(text_[pos_])) {
      ++pos_;
    } else if (!escape()) {
      break;
    }
  }
}

Token Tokenizer::nameLike() {
  const std::size_t begin = pos_;
  name();
  if (pos_ < text_.size() && text_[pos_] == '(') {
    if (equalsIgnoringAsciiCase(text_.substr(begin, pos_ - begin), "url")) {
      std::size_t after = pos_ + 1;
      while (after < text_.size() && isSpaceByte(text_[after])) ++after;
      if (after >= text_.size() || (text_[after] != '"' && text_[after] != '\'')) {
        return url(begin);
      }
    }
    ++pos_;
    return {TokenKind::Open, begin, pos_, ')'};
  }
  return {TokenKind::Other, begin, pos_};
}

Token Tokenizer::url(std::size_t begin) {
  ++pos_;  // the (
  while (pos_ < text_.size()) {
    if (text_[pos_] == ')') {
      ++pos_;
      return {TokenKind::Url, begin, pos_};
    }
    if (!escape()) ++pos_;
  }
  unfinished_ += ")";
  return {TokenKind::Url, begin, pos_};
}

char Nesting::follow(const Token& token) {
  if (token.kind == TokenKind::Open) {
    open_.push_back(token.bracket);
  } else if (token.kind == TokenKind::Close && !open_.empty() && open_.back() == token.bracket) {
    open_.pop_back();
    return token.bracket;
  }
  return 0;
}

}  // namespace velmo::file_host::css::detail
