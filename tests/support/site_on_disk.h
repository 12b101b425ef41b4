#pragma once
// A site on disk for one test: a scratch folder holding the site folder `site/` and whatever a
// test keeps beside it (pictures to import, a settings folder, output files), removed with
// everything in it when the test ends. velmo can be run from inside the site, so that pages are
// named as a user names them.

#include <filesystem>
#include <string>

#include "tests/support/pages.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo::testing {

class SiteOnDisk : public TempDir {
 public:
  SiteOnDisk() { std::filesystem::create_directories(site()); }

  // The site folder. Files are written by their path from the scratch folder ("site/a.html"),
  // so a test can put files outside the site as well.
  std::filesystem::path site() const { return *this / "site"; }
  // A file of the site, by its path inside the site folder.
  std::filesystem::path inSite(const std::string& name) const { return site() / name; }
  std::string read(const std::string& name) const { return readBytes(inSite(name)); }

  // velmo run in the site folder; `args` as a shell splits them.
  ProgramResult velmo(const std::string& args, const std::string& input = "") const {
    return shell(shellQuote(kVelmo) + " " + args, input);
  }
  // A shell command line run in the site folder.
  ProgramResult shell(const std::string& line, const std::string& input = "") const {
    // Braces, so that the redirections runProgram adds apply to the whole line, pipes included.
    return runProgram("cd " + shellQuote(site().string()) + " && { " + line + "; }", input);
  }
};

// The site of the runs over many pages: pages in folders, a page of a server, a file that is no
// page and a hidden page.
class SampleSite : public SiteOnDisk {
 public:
  SampleSite() {
    write("site/index.html", pageWith(kDateBlock));
    write("site/about.htm", pageWith("<p>about</p>"));
    write("site/shop/cart.asp", pageWith("<% x = 1 %>" + kDateBlock));
    write("site/shop/list.php", pageWith("<p>list</p>"));
    write("site/notes.txt", "not a page " + kDateBlock);
    write("site/.hidden.html", pageWith(kDateBlock));
  }
};

}  // namespace velmo::testing
