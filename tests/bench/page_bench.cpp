// Speed of the page model's hot paths on big pages: finding the head, the webbot walk, a rule
// update, and the whole-page work every command pays (checking the UTF-8, scanning the body).
// bench/compare.sh measures whole commands; these show where their time goes.

#include <benchmark/benchmark.h>

#include <string>

#include "core/common/text.h"
#include "file_host/html/page_index.h"
#include "file_host/html_page.h"

namespace velmo::file_host {
namespace {

// A page like bench/make_page.py's: a head with a style sheet of 400 rules, then paragraphs with
// a webbot block after every `blocks`-th of `paragraphs`.
std::string bigPage(long paragraphs, long every = 1) {
  std::string page = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>big</title>\r\n<style>\r\n";
  for (int i = 0; i < 400; ++i) {
    page += ".c" + std::to_string(i) + " { color: #102030; margin: " + std::to_string(i % 17) +
            "px; }\r\n";
  }
  page += "body { font-family: serif; }\r\n</style>\r\n</head>\r\n<body>\r\n";
  for (long i = 0; i < paragraphs; ++i) {
    page += "<p class=\"c" + std::to_string(i % 400) +
            "\">Harbour bread morning cafe window table garden river market bakery.</p>\r\n";
    if (i % every == 0) {
      const std::string name = "\"B" + std::to_string(i) + "\"";
      page +=
          "<!--webbot bot=" + name + " startspan -->x<!--webbot bot=" + name + " endspan -->\r\n";
    }
  }
  return page + "</body>\r\n</html>\r\n";
}

void bytesPerIteration(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}

// botfound for a name that is not there, then eraseBot of the last block: one pass each.
void BM_WebbotWalk(benchmark::State& state) {
  const std::string text = bigPage(state.range(0));
  for (auto _ : state) {
    auto page = HtmlPage::fromSource(text, "big.html", ".");
    auto bots = page->document()->webbots();
    const long n = bots->length();
    for (long i = 0; i < n; ++i) benchmark::DoNotOptimize(bots->item(i)->getAttribute(u"bot"));
    bots->item(n - 1)->setOuterHTML(u"");
    benchmark::DoNotOptimize(bots->length());
  }
  state.SetComplexityN(state.range(0));
  bytesPerIteration(state, text);
}
BENCHMARK(BM_WebbotWalk)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Finding the head and appending to it: a fresh page each time, so the head is found from
// scratch, and the cost must not grow with the body.
void BM_FindHead(benchmark::State& state) {
  const std::string text = bigPage(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto page = HtmlPage::fromSource(text, "big.html", ".");
    state.ResumeTiming();
    auto head = page->document()->all()->tags(u"head")->item(0);
    head->setInnerHTML(head->innerHTML() + u"<meta>");
  }
}
BENCHMARK(BM_FindHead)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The scrollbar colour command's write: walk the first sheet's rules from the first for the
// body rule, as the command does, and set one declaration. The sheet has 401 rules, the body
// rule last; the page's body is never scanned.
void BM_RuleUpdate(benchmark::State& state) {
  const std::string text = bigPage(state.range(0));
  auto page = HtmlPage::fromSource(text, "big.html", ".");
  auto doc = page->document();
  int colour = 0;
  for (auto _ : state) {
    auto rules = doc->styleSheets()->item(0)->rules();
    const long n = rules->length();
    for (long i = 0; i < n; ++i) {
      auto rule = rules->item(i);
      if (rule->selectorText() == u"body") {
        rule->style()->setAttribute(u"scrollbar-face-color", colour++ % 2 ? u"#00FF00" : u"#FF0000",
                                    1);
        break;
      }
    }
  }
}
BENCHMARK(BM_RuleUpdate)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Erasing the first block, over and over: each erase scans only up to the next block.
void BM_EraseFromTheFront(benchmark::State& state) {
  const std::string text = bigPage(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto page = HtmlPage::fromSource(text, "big.html", ".");
    page->document()->webbots()->length();
    state.ResumeTiming();
    auto bots = page->document()->webbots();
    for (int k = 0; k < 10; ++k) bots->item(0)->setOuterHTML(u"");
  }
}
BENCHMARK(BM_EraseFromTheFront)->Arg(100000)->Unit(benchmark::kMillisecond);

// What every command pays on the whole page: the UTF-8 check, and a scan of every landmark.
void BM_CheckUtf8(benchmark::State& state) {
  const std::string text = bigPage(state.range(0), 10);
  for (auto _ : state) benchmark::DoNotOptimize(isValidUtf8(text));
  bytesPerIteration(state, text);
}
BENCHMARK(BM_CheckUtf8)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ScanWholePage(benchmark::State& state) {
  const std::string text = bigPage(state.range(0), 10);
  for (auto _ : state) {
    PageIndex index(text);
    benchmark::DoNotOptimize(index.webbotBlocks().size());
  }
  bytesPerIteration(state, text);
}
BENCHMARK(BM_ScanWholePage)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmo::file_host

BENCHMARK_MAIN();
