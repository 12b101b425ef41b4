// Speed of the page model on big pages: the webbot walk must stay linear in the number of
// blocks, and reading the head must not depend on the size of the body.

#include <benchmark/benchmark.h>

#include <string>

#include "standalone/html_page.h"

namespace velmo::standalone {
namespace {

std::string pageWithBlocks(long blocks) {
  std::string page = "<html><head><title>big</title></head><body>\r\n";
  for (long i = 0; i < blocks; ++i) {
    const std::string name = "\"B" + std::to_string(i) + "\"";
    page += "<!--webbot bot=" + name + " startspan --><p>block</p><!--webbot bot=" + name +
            " endspan -->\r\n";
  }
  return page + "</body></html>\r\n";
}

// botfound for a name that is not there, then eraseBot of the last block: one pass each.
void BM_WebbotWalk(benchmark::State& state) {
  const std::string text = pageWithBlocks(state.range(0));
  for (auto _ : state) {
    auto page = HtmlPage::fromSource(text, "big.html", ".");
    auto bots = page->document()->webbots();
    const long n = bots->length();
    for (long i = 0; i < n; ++i) benchmark::DoNotOptimize(bots->item(i)->getAttribute(u"bot"));
    bots->item(n - 1)->setOuterHTML(u"");
    benchmark::DoNotOptimize(bots->length());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_WebbotWalk)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Reading and appending to the head of a page with a big body scans only the head.
void BM_HeadOfBigPage(benchmark::State& state) {
  const std::string text = pageWithBlocks(state.range(0));
  auto page = HtmlPage::fromSource(text, "big.html", ".");
  auto doc = page->document();
  for (auto _ : state) {
    auto head = doc->all()->tags(u"head")->item(0);
    head->setInnerHTML(head->innerHTML() + u"<meta>");
  }
}
BENCHMARK(BM_HeadOfBigPage)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Erasing the first block, over and over: each erase rescans from the edit on.
void BM_EraseFromTheFront(benchmark::State& state) {
  const std::string text = pageWithBlocks(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto page = HtmlPage::fromSource(text, "big.html", ".");
    state.ResumeTiming();
    auto bots = page->document()->webbots();
    for (int k = 0; k < 10; ++k) bots->item(0)->setOuterHTML(u"");
  }
}
BENCHMARK(BM_EraseFromTheFront)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmo::standalone

BENCHMARK_MAIN();
