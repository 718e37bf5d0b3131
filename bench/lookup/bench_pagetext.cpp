// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <gumbo.h>

#include <QString>

#include "benchpages.h"
#include "lookup/pagetext.h"
#include "lookup/parserguard.h"
#include "samplepages.h"

namespace corvale {

namespace {

// 0: the sample service's answer for (312) 555-0142; 1: a mebibyte of tables
// and paragraphs.
std::string pageFor(const benchmark::State &state)
{
    return state.range(0) == 0 ? phoneAnswerPage(*findPhone("3125550142")) : tablesAndParagraphs(1 << 20);
}

// Times `run` on the page the benchmark's argument names, as `prepare`
// makes it beforehand.
template<typename Prepare, typename Run>
void timeOnPage(benchmark::State &state, Prepare prepare, Run run)
{
    const std::string page = pageFor(state);
    const auto prepared = prepare(page);
    for (auto _ : state)
        run(prepared);
    state.SetLabel(state.range(0) == 0 ? "typical answer" : "1 MiB of tables and paragraphs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// Gumbo alone, on the UTF-8 bytes: the yardstick.
void BM_GumboParse(benchmark::State &state)
{
    timeOnPage(
        state, [](const std::string &page) { return page; },
        [](const std::string &page) {
            GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
            benchmark::DoNotOptimize(output->document);
            gumbo_destroy_output(&kGumboDefaultOptions, output);
        });
}
BENCHMARK(BM_GumboParse)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// All of it, from the page as text to its lines.
void BM_PageToLines(benchmark::State &state)
{
    timeOnPage(state, &QString::fromStdString,
               [](const QString &page) { benchmark::DoNotOptimize(PageToLines(page)); });
}
BENCHMARK(BM_PageToLines)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The guard's share of it.
void BM_BoundedForParser(benchmark::State &state)
{
    timeOnPage(state, &QByteArray::fromStdString,
               [](const QByteArray &page) { benchmark::DoNotOptimize(boundedForParser(page)); });
}
BENCHMARK(BM_BoundedForParser)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

} // namespace corvale

BENCHMARK_MAIN();
