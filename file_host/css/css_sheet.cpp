#include "file_host/css/css_sheet.h"

#include "file_host/css/css_tokenizer.h"

namespace velmo::file_host::css::detail {
namespace {

enum class State {
  Between,    // at the top level, between rules
  Prelude,    // in a style rule's selector
  Block,      // in a style rule's block
  AtPrelude,  // in an at-rule before its `;` or block
  AtBlock,    // in an at-rule's block, whose rules are not ours
};

}  // namespace

SheetScan scanSheet(std::string_view sheet) {
  SheetScan scan;
  scan.contentEnd = sheet.size();
  Tokenizer tokens(sheet, 0, sheet.size());
  Nesting nesting;
  State state = State::Between;
  Rule rule;
  while (!tokens.atEnd()) {
    const Token t = tokens.next();
    switch (state) {
      case State::Between:
        if (isBlank(t.kind) || t.kind == TokenKind::Cdo) continue;
        if (t.kind == TokenKind::Cdc) {
          scan.contentEnd = t.begin;
          continue;
        }
        scan.contentEnd = sheet.size();
        if (t.kind == TokenKind::AtKeyword) {
          state = State::AtPrelude;
          continue;
        }
        rule = Rule{};
        rule.whole.begin = rule.selector.begin = t.begin;
        state = State::Prelude;
        [[fallthrough]];
      case State::Prelude:
        if (nesting.depth() == 0 && t.kind == TokenKind::Open && t.bracket == '}') {
          rule.selector.end = t.begin;
          rule.block.begin = t.end;
          state = State::Block;
        }
        nesting.follow(t);
        break;
      case State::Block:
        nesting.follow(t);
        if (nesting.depth() == 0) {
          rule.block.end = t.begin;
          rule.whole.end = t.end;
          scan.rules.push_back(rule);
          state = State::Between;
        }
        break;
      case State::AtPrelude:
        if (nesting.depth() == 0 && t.kind == TokenKind::Semicolon) {
          state = State::Between;
          break;
        }
        nesting.follow(t);
        if (nesting.depth() == 1 && t.kind == TokenKind::Open && t.bracket == '}') {
          state = State::AtBlock;
        }
        break;
      case State::AtBlock:
        nesting.follow(t);
        if (nesting.depth() == 0) state = State::Between;
        break;
    }
  }

  scan.closer = tokens.unfinished() + nesting.closers();
  switch (state) {
    case State::Prelude:
      // A selector without a block is dropped by browsers; an empty block keeps it harmless.
      scan.closer += "{}";
      break;
    case State::AtPrelude:
      scan.closer += ";";
      break;
    case State::Block:
      rule.block.end = rule.whole.end = sheet.size();
      scan.rules.push_back(rule);
      break;
    default:
      break;
  }
  return scan;
}

}  // namespace velmo::file_host::css::detail
