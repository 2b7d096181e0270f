#include "analysis/MedianList.h"

#include <cmath>
#include <limits>
#include <utility>

#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

constexpr int32_t kMedianListFlags = 2;

}  // namespace

MedianList::MedianList() : values(kInitialCapacity, kMedianListFlags) {}

MedianList::~MedianList() = default;

void MedianList::Clear()
{
    count = 0;
    sortedLength = -1;
}

bool MedianList::Reserve(int32_t needed)
{
    if (needed <= values.Count())
        return true;
    // The list lives on one block; counts beyond what a 32-bit index reaches cannot be held.
    if (needed > std::numeric_limits<int32_t>::max() - kGrowth || !values.Resize(needed + kGrowth)) {
        SetErrorCode(message::kAnalysisIncomplete);
        return false;
    }
    return true;
}

void MedianList::ReserveIfPossible(int32_t needed)
{
    if (needed > values.Count())
        (void)values.Resize(needed);
}

bool MedianList::Add(double x)
{
    if (count >= values.Count() && !Reserve(count + 1))
        return false;
    values.Data()[count++] = x;
    return true;
}

bool MedianList::Append(const MedianList& other)
{
    if (other.count == 0)
        return true;
    if (int64_t(count) + other.count > std::numeric_limits<int32_t>::max() - kGrowth) {
        SetErrorCode(message::kAnalysisIncomplete);
        return false;
    }
    if (count + other.count > values.Count() && !Reserve(count + other.count))
        return false;
    const double* from = other.values.Data();
    double* to = values.Data() + count;
    for (int32_t i = 0; i < other.count; ++i)
        to[i] = from[i];
    count += other.count;
    return true;
}

double* MedianList::AddSpace(int32_t more)
{
    if (more < 0 || int64_t(count) + more > std::numeric_limits<int32_t>::max() - kGrowth) {
        SetErrorCode(message::kAnalysisIncomplete);
        return nullptr;
    }
    if (count + more > values.Count() && !Reserve(count + more))
        return nullptr;
    double* slots = values.Data() + count;
    count += more;
    return slots;
}

bool MedianList::OrderPair(int32_t i, int32_t j)
{
    double* a = values.Data();
    if (a[i] > a[j]) {
        std::swap(a[i], a[j]);
        return true;
    }
    return false;
}

// The pivot is the median of a[lo], a[mid] and a[hi - 1], moved to a[hi]; the partition leaves it at
// the returned position with nothing greater before it and nothing smaller after it.
int32_t MedianList::Partition(int32_t lo, int32_t hi)
{
    double* a = values.Data();
    int32_t mid = lo + (hi - lo) / 2;
    OrderPair(lo, mid);
    if (OrderPair(mid, hi - 1))
        OrderPair(lo, mid);
    std::swap(a[mid], a[hi]);
    double pivot = a[hi];
    int32_t i = lo + 1;
    int32_t j = hi - 2;
    while (true) {
        // a[hi] stops the upward scan and a[lo] (not above the pivot) the downward one; the bounds
        // matter only for values that do not compare, such as NaN.
        while (i < hi && a[i] < pivot)
            ++i;
        while (j > lo && a[j] > pivot)
            --j;
        if (j < i)
            break;
        std::swap(a[i], a[j]);
        ++i;
        --j;
    }
    std::swap(a[i], a[hi]);
    return i;
}

void MedianList::FinishSmallRange(int32_t lo, int32_t hi)
{
    if (hi - lo == 1) {
        OrderPair(lo, hi);
        return;
    }
    if (hi - lo < 2)
        return;
    double* a = values.Data();
    for (int32_t i = lo; i < hi; ++i) {
        int32_t smallest = i;
        for (int32_t j = i + 1; j <= hi; ++j) {
            if (a[j] < a[smallest])
                smallest = j;
        }
        if (smallest != i)
            std::swap(a[i], a[smallest]);
    }
}

void MedianList::SelectMiddle()
{
    int32_t k = count / 2;
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (hi - lo >= 5) {
        int32_t i = Partition(lo, hi);
        // When i = k the loop goes on below k and so places element k - 1 as well.
        if (i >= k)
            hi = i - 1;
        else
            lo = i + 1;
    }
    FinishSmallRange(lo, hi);
}

void MedianList::SortRange(int32_t lo, int32_t hi)
{
    // Both sides are sorted as by recursion on the left and a loop on the right; recursing only into
    // the smaller side keeps the stack logarithmic and gives the same order.
    while (hi - lo >= 5) {
        int32_t i = Partition(lo, hi);
        if (i - lo < hi - i) {
            SortRange(lo, i - 1);
            lo = i + 1;
        } else {
            SortRange(i + 1, hi);
            hi = i - 1;
        }
    }
    FinishSmallRange(lo, hi);
}

void MedianList::MergeNew()
{
    double* a = values.Data();
    int32_t s = sortedLength;
    int32_t r = count - s;
    double buffer[kMergeChunk];
    while (r > 3) {
        int32_t chunk = r < kMergeChunk ? r : kMergeChunk;
        SortRange(s, s + chunk - 1);
        for (int32_t i = 0; i < chunk; ++i)
            buffer[i] = a[s + i];
        // Backwards: a run value moves up only when it is greater, so a new value equal to an old one
        // ends up after it.
        int32_t run = s - 1;
        int32_t fresh = chunk - 1;
        int32_t write = s + chunk - 1;
        while (fresh >= 0) {
            if (run >= 0 && a[run] > buffer[fresh])
                a[write--] = a[run--];
            else
                a[write--] = buffer[fresh--];
        }
        s += chunk;
        r -= chunk;
    }
    for (; s < count; ++s) {
        double x = a[s];
        int32_t low = 0;
        int32_t high = s;
        while (low < high) {
            int32_t middle = low + (high - low) / 2;
            if (a[middle] <= x)
                low = middle + 1;
            else
                high = middle;
        }
        for (int32_t i = s; i > low; --i)
            a[i] = a[i - 1];
        a[low] = x;
    }
}

double MedianList::Median()
{
    int32_t n = count;
    const double* a = values.Data();
    if (n == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (n == 1)
        return a[0];
    if (n == 2)
        return (a[0] + a[1]) / 2.0;
    if (sortedLength < 0) {
        SelectMiddle();
        sortedLength = 0;
    } else if (sortedLength < n) {
        if (sortedLength < 5)
            SortRange(0, n - 1);
        else
            MergeNew();
        sortedLength = n;
    }
    a = values.Data();
    int32_t k = n / 2;
    if (n % 2 == 1)
        return a[k];
    return (a[k - 1] + a[k]) / 2.0;
}

}  // namespace vek
