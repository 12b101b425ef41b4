// velmo offers as a user runs it, with the stand-in xdg-open.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/program_test.h"
#include "tests/support/stand_in_xdg_open.h"

namespace velmo {
namespace {

class VelmoOffers : public ::testing::Test {
 protected:
  void SetUp() override { testing::writeStandInXdgOpen(dir_, "bin"); }
  // velmo with the stand-in first in PATH (or, with `withOpener` false, no xdg-open at all).
  testing::ProgramResult velmo(const std::string& args, const std::string& env = "",
                               bool withOpener = true) {
    const std::string path = withOpener ? (dir_ / "bin").string() + ":/usr/bin:/bin" : "/nowhere";
    return runProgram(env + " PATH=" + shellQuote(path) + " " + shellQuote(kVelmo) + " " + args);
  }
  std::string opened() const { return readBytes(dir_ / "bin/opened"); }

  SiteOnDisk dir_;
};

TEST_F(VelmoOffers, PrintsTheIntroductionAndEveryOffer) {
  auto run = velmo("offers");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, golden("velmo-offers.txt"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(opened(), "");
}

TEST_F(VelmoOffers, OpenHandsTheOffersAddressToXdgOpen) {
  // Addresses stored without a scheme are web addresses, as the Windows shell takes them.
  for (int offer : {1, 2, 3, 4}) {
    auto run = velmo("offers --open " + std::to_string(offer));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
  }
  EXPECT_EQ(opened(),
            "http://www.velmojs.com/ads/powweb.htm\n"
            "http://www.velmojs.com/ads/2checkout.htm\n"
            "http://www.velmojs.com/ads/outfront.htm\n"
            "http://www.velmojs.com/ads/cj.htm\n");
}

TEST_F(VelmoOffers, AFailedOpeningIsNotReportedAsSuccess) {
  auto refused = velmo("offers --open 3", "XDG_OPEN_STATUS=4");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "velmo: xdg-open could not open www.velmojs.com/ads/outfront.htm\n");

  auto missing = velmo("offers --open 2", "", false);
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err,
            "Velmopro: Unable to load 'http://www.velmojs.com/ads/2checkout.htm' : File not found: "
            "xdg-open (Error 53)\n");
}

TEST_F(VelmoOffers, AnOfferOutsideOneToFourIsAUsageError) {
  for (const char* offer : {"0", "5", "x"}) {
    auto run = velmo(std::string("offers --open ") + offer);
    EXPECT_EQ(run.status, 2) << offer;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(opened(), "");
}

}  // namespace
}  // namespace velmo
