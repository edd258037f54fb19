// Benchmarks of the engine's hot paths: the counting of one tick over a full table of ten
// running timers, and the parsing and formatting of time texts, on the unit tests' fakes (a
// clock that moves). Heap allocations are counted so that a tick that allocates shows up.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <new>
#include "app_state.h"
#include "fakes.h"
#include "tick.h"
#include "time_text.h"
#include "timer_table.h"

static size_t Allocations = 0;

void* operator new(std::size_t size)
{
    ++Allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

static void FillTable()
{
    App = AppState{};
    Fake.LocalTime = {12, 0, 0, 0};
    // Long enough that none runs out while the benchmark advances the clock.
    const char16_t* texts[MAX_TIMERS] = {u"500:0", u"100:30", u"200:0:45", u"P5:30", u"999:59:59",
                                         u"300:0", u"400:00", u"600:10:0", u"A9:15", u"700:0"};
    for (int i = 0; i < MAX_TIMERS; ++i)
        AddTimer(texts[i], (i % 2) ? u"tea" : nullptr);
}

static void BM_TickFullTable(benchmark::State& state)
{
    FillTable();
    size_t before = Allocations;
    for (auto _ : state) {
        Fake.TickCount += 1;   // a millisecond a tick: every timer keeps running
        TickOutcome outcome;
        CountDownTimers(1, &outcome);
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["allocations"] = static_cast<double>(Allocations - before);
}
BENCHMARK(BM_TickFullTable);

static void BM_ParseTimeText(benchmark::State& state)
{
    const char16_t* texts[] = {u"5", u"1:30", u"0:0:45", u"pm5:30:15", u"1h30m20s", u"A23:60"};
    uint64_t value = 0;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseTimeText(&value, texts[i++ % 6]));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_ParseTimeText);

static void BM_FormatTimeText(benchmark::State& state)
{
    uint64_t value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatTimeText(value, static_cast<int>(value & 1)));
        value += 999;
    }
}
BENCHMARK(BM_FormatTimeText);

BENCHMARK_MAIN();
