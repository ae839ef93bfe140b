// The thinned time table of a chromatogram: few enough points to draw fast, with every peak and
// valley of the original still among them.
//
// Each pass groups the indexes left by the pass before in fours and keeps the largest and the
// smallest point of every group. All passes run together, round by round over a slice of the
// chromatogram: a pass groups what the pass before handed on as soon as four have arrived. So the
// intensities are read once while they are in the cache, and no buffer as large as the
// chromatogram is ever touched (fresh memory of that size would cost more than the reading).
#include "callframe.h"
#include "ovstoolgc.h"
#include "group_extremes.h"
#include "task_memory.h"
#include "unique_resource.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {

// Inner points the first pass groups per round (a multiple of eight): 32 KB of intensities.
constexpr DWORD kRoundPoints = 4096;
// A pass's hand-on buffer: up to three indexes waiting for their group, a round's kept indexes
// (at most two of four), and the spare slot that KeepWholeGroups may write.
constexpr DWORD kHandOnSlots = 3 + kRoundPoints / 2 + 1;
// More than any 32-bit count needs: a pass keeps at most half the count before it plus one, so
// after 32 passes at most two are left, and the next pass is the last.
constexpr int kMaxPasses = 40;

// The most and the least a pass keeps of count indexes.
DWORD MostKept(DWORD count) {
    return count / 4 * 2 + std::min<DWORD>(count % 4, 2);
}
DWORD LeastKept(DWORD count) {
    return count / 4 + (count % 4 != 0 ? 1 : 0);
}

struct Pass {
    DWORD* handOn = nullptr; // kept indexes the next pass has not grouped yet
    DWORD waiting = 0;
    DWORD kept = 0;         // indexes kept in all
    DWORD* store = nullptr; // all kept indexes, while this pass may be the last one that counts
    DWORD storeCapacity = 0;
};

// Counts the count indexes at fresh as kept, with a copy while the pass may be the one that counts.
void Record(Pass& pass, const DWORD* fresh, DWORD count) {
    if (pass.store != nullptr) {
        if (count <= pass.storeCapacity - pass.kept) {
            std::copy(fresh, fresh + count, pass.store + pass.kept);
        } else {
            pass.store = nullptr; // keeps more than wanted: some later pass counts
        }
    }
    pass.kept += count;
}

// Takes the count indexes just written behind the waiting ones as kept, waiting for the next pass.
void TakeKept(Pass& pass, DWORD count) {
    Record(pass, pass.handOn + pass.waiting, count);
    pass.waiting += count;
}

// Without a branch, which noisy data would often mispredict.
DWORD Choose(bool condition, DWORD ifTrue, DWORD ifFalse) {
    return ifFalse ^ ((ifFalse ^ ifTrue) & (0u - static_cast<DWORD>(condition)));
}

// The first pass over the inner points from begin to end (a multiple of four apart), with the
// second pass grouping its kept indexes at once; for a first pass that keeps no store. Where two
// groups of the first pass keep two points each and begin a group of the second, that group holds
// their maxima and minima, each maximum strictly above its minimum: the second pass keeps the
// greater maximum (the first on a tie) and the smaller minimum, known without reading the
// intensities again. Elsewhere the second pass groups the indexes as they arrive.
void FirstTwoPasses(const double* intensities, DWORD begin, DWORD end, Pass& first, Pass& second) {
    const ovs::InnerPoints points{intensities};
    DWORD* const waiting = first.handOn;
    DWORD pending = first.waiting;
    DWORD keptByFirst = 0;
    DWORD* const out = second.handOn + second.waiting;
    DWORD keptBySecond = 0;
    const auto groupWaiting = [&] {
        while (pending >= 4) {
            keptBySecond +=
                ovs::KeepExtremes(ovs::KeptPoints{intensities, waiting}, 0, 4, out + keptBySecond);
            std::copy(waiting + 4, waiting + pending, waiting);
            pending -= 4;
        }
    };
    const auto lane1 = [](__m128d pair) { return _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair)); };
    DWORD at = begin;
    for (; end - at >= 8; at += 8) {
        const ovs::PairComparison pair = ovs::ComparePair(points.LoadPair(at));
        const ovs::Pick& a = ovs::kPicks[pair.firstCode];
        const ovs::Pick& b = ovs::kPicks[pair.secondCode];
        DWORD* fresh = waiting + pending;
        const DWORD keptOfA = points.Keep(at, a, fresh);
        const DWORD kept = keptOfA + points.Keep(at + 4, b, fresh + keptOfA);
        keptByFirst += kept;
        if (pending != 0 || kept != 4) {
            pending += kept;
            groupWaiting();
            continue;
        }
        const DWORD maxAt = Choose(lane1(pair.maximum) > _mm_cvtsd_f64(pair.maximum), 4 + b.maxAt, a.maxAt);
        const DWORD minAt = Choose(lane1(pair.minimum) < _mm_cvtsd_f64(pair.minimum), 4 + b.minAt, a.minAt);
        const bool maxFirst = maxAt < minAt;
        out[keptBySecond] = at + 1 + Choose(maxFirst, maxAt, minAt);
        out[keptBySecond + 1] = at + 1 + Choose(maxFirst, minAt, maxAt);
        keptBySecond += 2;
    }
    if (at < end) {
        const DWORD kept = ovs::KeepExtremes(points, at, 4, waiting + pending);
        keptByFirst += kept;
        pending += kept;
        groupWaiting();
    }
    first.kept += keptByFirst;
    first.waiting = pending;
    TakeKept(second, keptBySecond);
}

// Groups the indexes waiting in the pass before: whole groups of four, at the end all of them.
void Advance(const double* intensities, Pass& before, Pass& pass, bool atEnd) {
    const ovs::KeptPoints points{intensities, before.handOn};
    const DWORD whole = before.waiting / 4 * 4;
    DWORD kept = ovs::KeepWholeGroups(points, 0, whole, pass.handOn + pass.waiting);
    DWORD grouped = whole;
    if (atEnd && whole < before.waiting) {
        kept += ovs::KeepExtremes(points, whole, before.waiting - whole, pass.handOn + pass.waiting + kept);
        grouped = before.waiting;
    }
    TakeKept(pass, kept);
    std::copy(before.handOn + grouped, before.handOn + before.waiting, before.handOn);
    before.waiting -= grouped;
}

// Thins the inner indexes 1 .. inner through the passes; answers the kept indexes of the first
// pass that keeps at most wanted, or of the last one (two points may stay as they are for a wish
// of one: both are the extremes of their group), or null when memory is short.
const DWORD* Thin(const double* intensities, DWORD inner, DWORD wanted, std::unique_ptr<DWORD[]>& memory,
                  DWORD& kept) {
    Pass passes[kMaxPasses];
    DWORD most[kMaxPasses];
    DWORD least[kMaxPasses];
    int passCount = 0;
    // Passes while the one before may keep more than wanted and the bound still shrinks.
    for (DWORD mostBefore = inner, leastBefore = inner; passCount < kMaxPasses; ++passCount) {
        most[passCount] = MostKept(mostBefore);
        least[passCount] = LeastKept(leastBefore);
        if (most[passCount] <= wanted || most[passCount] == mostBefore) {
            ++passCount;
            break;
        }
        mostBefore = most[passCount];
        leastBefore = least[passCount];
    }

    // Stores only for passes that may count; the last one always may, and never keeps more than fits.
    uint64_t slots = uint64_t{kHandOnSlots} * passCount;
    for (int p = 0; p < passCount; ++p) {
        if (least[p] <= wanted || p == passCount - 1) {
            passes[p].storeCapacity = std::min<DWORD>(most[p], wanted + 1);
            slots += passes[p].storeCapacity;
        }
    }
    if (slots > SIZE_MAX / sizeof(DWORD)) {
        return nullptr;
    }
    memory.reset(new (std::nothrow) DWORD[static_cast<size_t>(slots)]);
    if (!memory) {
        return nullptr;
    }
    DWORD* next = memory.get();
    for (int p = 0; p < passCount; ++p) {
        passes[p].handOn = next;
        next += kHandOnSlots;
        if (passes[p].storeCapacity != 0) {
            passes[p].store = next;
            next += passes[p].storeCapacity;
        }
    }

    const ovs::InnerPoints innerPoints{intensities};
    Pass& first = passes[0];
    Pass& last = passes[passCount - 1];
    const DWORD wholeEnd = inner / 4 * 4;
    for (DWORD begin = 0; begin < wholeEnd;) {
        const DWORD end = begin + std::min(kRoundPoints, wholeEnd - begin);
        if (passCount > 1 && first.store == nullptr) {
            FirstTwoPasses(intensities, begin, end, first, passes[1]);
        } else {
            TakeKept(first, ovs::KeepWholeGroups(innerPoints, begin, end, first.handOn + first.waiting));
            if (passCount > 1) {
                Advance(intensities, first, passes[1], false);
            }
        }
        begin = end;
        for (int p = 2; p < passCount; ++p) {
            Advance(intensities, passes[p - 1], passes[p], false);
        }
        last.waiting = 0; // nobody groups what the last pass keeps
    }
    if (wholeEnd < inner) {
        TakeKept(first,
                 ovs::KeepExtremes(innerPoints, wholeEnd, inner - wholeEnd, first.handOn + first.waiting));
    }
    for (int p = 1; p < passCount; ++p) {
        Advance(intensities, passes[p - 1], passes[p], true);
    }

    int counting = 0;
    while (counting < passCount - 1 && passes[counting].kept > wanted) {
        ++counting;
    }
    kept = passes[counting].kept;
    return passes[counting].store;
}

// The start time, the time of each kept index and the end time, as a new task-memory table.
template <typename IndexAt>
HRESULT HandOutTimes(const OVS_2DCHROMDATA& chrom, IndexAt indexAt, DWORD kept, double** ppdTimes,
                     DWORD* pdwCount) {
    const DWORD count = kept + 2;
    ovs::unique_cotaskmem table(ovs::TaskAlloc(ovs::TaskArrayBytes(count, sizeof(double))));
    if (!table) {
        return E_OUTOFMEMORY;
    }
    double* times = static_cast<double*>(table.get());
    const double start = static_cast<double>(chrom.dwStartTime);
    const double interval = static_cast<double>(chrom.dwSamplingInterval);
    times[0] = start;
    for (DWORD j = 0; j < kept; ++j) {
        times[j + 1] = start + static_cast<double>(indexAt(j)) * interval;
    }
    times[count - 1] = static_cast<double>(chrom.lEndTime);
    *ppdTimes = static_cast<double*>(table.release());
    *pdwCount = count;
    return S_OK;
}

} // namespace

HRESULT Tool_GetMinMaxPointTimeTable(OVS_2DCHROMDATA chrom, double** ppdTimes, DWORD dwMaxPoints,
                                     DWORD* pdwCount) {
    constexpr char kFunction[] = "Tool_GetMinMaxPointTimeTable";
    OVS_REQUIRE_ARG(kFunction, nullptr != ppdTimes && nullptr != pdwCount, E_INVALIDARG);
    *ppdTimes = nullptr;
    *pdwCount = 0;
    OVS_REQUIRE_ARG(kFunction, 3 <= chrom.dwTotalPoints && nullptr != chrom.pdChromInt, E_INVALIDARG);
    OVS_REQUIRE_ARG(kFunction, 3 <= dwMaxPoints, E_INVALIDARG);
    // The first and the last point are always drawn; the inner ones are thinned.
    const DWORD inner = chrom.dwTotalPoints - 2;
    const DWORD wanted = dwMaxPoints - 2;
    if (inner <= wanted) {
        const auto innerIndex = [](DWORD j) { return j + 1; };
        return HandOutTimes(chrom, innerIndex, inner, ppdTimes, pdwCount);
    }
    std::unique_ptr<DWORD[]> memory;
    DWORD kept = 0;
    const DWORD* indexes = Thin(chrom.pdChromInt, inner, wanted, memory, kept);
    if (indexes == nullptr) {
        return E_OUTOFMEMORY;
    }
    const auto keptIndex = [indexes](DWORD j) { return indexes[j]; };
    return HandOutTimes(chrom, keptIndex, kept, ppdTimes, pdwCount);
}
