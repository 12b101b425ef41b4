#pragma once
// The behaviour examples: a page, a caret, a command, and the exact bytes the command adds, kept
// as golden files under tests/golden/. Every front end runs every example and must leave the
// same page: the core (the command class on the page host over files), velmo, velmo.exe, and the
// COM server called in the stand-in editor. Each front end says how it gives the command; the table
// is the reference for all four.

#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/support/pages.h"

namespace velmo::testing {

enum class ExampleCommand {
  ScriptHead,   // clstestt.ScriptHead2 CODE; velmo script-head PAGE - (CODE on standard input)
  CurrentDate,  // clstestt.CurDate, its dialog closed with Do it; velmo date PAGE
};

// The dialog a command shows, and how its user confirms it.
struct ExampleDialog {
  const char* form;         // the form's name in the dialog model
  const char* doIt;         // the name of the control that confirms it
  const char* caption;      // the window's caption on Windows
  const char* doItCaption;  // the confirming button's caption
};

inline const ExampleDialog kDateDialog{"frmDate", "cmdDo", "Velmo- Current Date", "Do it"};

struct BehaviourExample {
  const char* name;
  std::string page;
  const char* caretAfter;  // (commands that paste) the caret stands just after the first
                           // occurrence of this text
  ExampleCommand command;
  std::string text;             // what the user gives the command (the script's code)
  const ExampleDialog* dialog;  // the dialog the user confirms; nothing: no dialog
  const char* golden;           // the bytes the command adds, a file in tests/golden/
  const char* addedBefore;      // where they go: before the first occurrence of this text

  // The page as the command leaves it.
  std::string expected() const {
    std::string after = page;
    after.insert(after.find(addedBefore), testing::golden(golden));
    return after;
  }
};

inline const std::vector<BehaviourExample>& behaviourExamples() {
  static const std::vector<BehaviourExample> examples = {
      {"a script of one line into the HEAD", kOneLineHelloPage, nullptr, ExampleCommand::ScriptHead,
       "alert(\"hi\");", nullptr, "script-head2-alert.txt", "</head>"},
      {"a script of no code into the HEAD", kOneLineHelloPage, nullptr, ExampleCommand::ScriptHead,
       "", nullptr, "script-head2-empty.txt", "</head>"},
      {"a script of two lines into the HEAD", kOneLineHelloPage, nullptr,
       ExampleCommand::ScriptHead, "var a = 1;\r\nvar b = 2;", nullptr,
       "script-head2-two-lines.txt", "</head>"},
      {"the current date at the caret", kOneLineHelloPage, "<p>Hello</p>",
       ExampleCommand::CurrentDate, "", &kDateDialog, "date-block.txt", "</body>"},
  };
  return examples;
}

// velmo's command line for an example, after the program's name: the page is `page` as the
// system names it; the code of a script goes on standard input.
inline std::vector<std::string> velmoArguments(const BehaviourExample& example,
                                               const std::string& page) {
  const std::string command =
      example.command == ExampleCommand::ScriptHead ? "script-head" : "date";
  std::vector<std::string> arguments{command, page};
  if (example.command == ExampleCommand::ScriptHead) arguments.push_back("-");
  if (example.caretAfter) arguments.insert(arguments.end(), {"--caret-after", example.caretAfter});
  return arguments;
}

}  // namespace velmo::testing
