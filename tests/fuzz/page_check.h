#pragma once
// The invariant that the fuzzer, the corpus test and the unit tests check on any page: every page
// operation changes only its own span, and the index kept up to date through edits agrees with
// one built afresh from the edited text.

#include <string>
#include <string_view>
#include <vector>

namespace velmo::testing {

// Runs the page operations (set the head's inner HTML, paste over a selection and at the caret,
// erase a webbot block, add a style rule, revert) on a page made of `bytes`. Returns what went
// wrong; empty when everything held. Any bytes make a page, in the encoding a browser would read
// them in; only UTF-16 or ISO-2022-JP bytes that do not convert back exactly, and encodings
// browsers refuse, are refused, and a refusal is checked to be one of those. The page is read as
// if its file were named `fileName` (a template's name makes it read as a template). A paste at
// the end of a page that leaves a comment, a tag or raw text open is checked to be refused.
std::vector<std::string> checkPageOperations(std::string_view bytes,
                                             std::string_view fileName = "fuzz/page.html");

}  // namespace velmo::testing
