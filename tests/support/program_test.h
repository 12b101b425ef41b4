#pragma once
// What a test of the velmo program starts from: the program of this build run as a user runs it,
// a site on disk, the page table and the golden texts, under the names the tests use.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/golden.h"
#include "tests/support/pages.h"
#include "tests/support/run_program.h"
#include "tests/support/site_on_disk.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo {

using testing::golden;
using testing::kDateBlock;
using testing::kDatePage;
using testing::kHeadlessPage;
using testing::kHelloPage;
using testing::kOneLinePage;
using testing::kVelmo;
using testing::pageWith;
using testing::ProgramResult;
using testing::readBytes;
using testing::runProgram;
using testing::runVelmo;
using testing::shellQuote;
using testing::SiteOnDisk;
using testing::TempDir;

}  // namespace velmo
