// Sorting many names in the list order. Each name gets a 16-byte key: its
// first 12 bytes after the prefix all names share, folded, zero padded and
// read as big-endian numbers, and its index. A most-significant-digit radix sort on the key's bytes
// splits the names into ever smaller groups; small groups, and groups whose
// keys are equal, are finished by comparing whole names.
#include "ListOrder.h"

#include "ParallelFor.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>

namespace tomelens::core {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr unsigned kKeyBytes = 12;
// Groups this small are sorted by comparing keys (the smallest by insertion);
// bigger ones split on a byte of the key.
constexpr std::size_t kInsertionLimit = 16;
constexpr std::size_t kCompareLimit = 64;
// Lists this long split their first groups over the machine's cores.
constexpr std::size_t kParallelFrom = 32768;

// Folds the ASCII capitals among eight bytes onto small letters in one go,
// the way CompareListText folds one byte.
std::uint64_t FoldEight(std::uint64_t bytes)
{
    const std::uint64_t low7 = bytes & ~kHighBits;
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;       // high bit: byte >= 'A'
    const std::uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * kOnes;   // high bit: byte > 'Z'
    const std::uint64_t capital = fromA & ~pastZ & ~bytes & kHighBits;
    return bytes | (capital >> 2);  // 0x80 >> 2 is the 0x20 between 'A' and 'a'
}

std::uint64_t BigEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

unsigned char FoldByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

struct Key {
    std::uint64_t high;  // bytes 0-7 of the window
    std::uint32_t low;   // bytes 8-11
    std::uint32_t index;
};

// The length of the folded prefix every text starts with.
std::size_t SharedPrefix(std::span<const std::string_view> texts)
{
    std::size_t shared = texts.front().size();
    for (const std::string_view text : texts) {
        const std::size_t limit = std::min(shared, text.size());
        std::size_t i = 0;
        while (i < limit && FoldByte(text[i]) == FoldByte(texts.front()[i]))
            ++i;
        shared = i;
        if (shared == 0)
            break;
    }
    return shared;
}

// The key of the text's bytes from `window` on.
Key MakeKey(std::string_view text, std::size_t window, std::uint32_t index)
{
    unsigned char head[kKeyBytes] = {};
    if (text.size() >= window + kKeyBytes)
        std::memcpy(head, text.data() + window, kKeyBytes);
    else if (text.size() > window)
        std::memcpy(head, text.data() + window, text.size() - window);
    return {FoldEight(BigEndian(head, 8)), static_cast<std::uint32_t>(FoldEight(BigEndian(head + 8, 4))), index};
}

unsigned DigitOf(const Key& key, unsigned digit)
{
    if (digit < 8)
        return static_cast<unsigned>(key.high >> (56 - 8 * digit)) & 0xFF;
    return (key.low >> (24 - 8 * (digit - 8))) & 0xFF;
}

class KeySorter {
public:
    explicit KeySorter(std::span<const std::string_view> texts) : m_texts(texts) {}

    // Sorts keys[0..count), whose bytes before this digit are all equal and
    // which hold the names' bytes from `window` on; spare is as long.
    void Sort(Key* keys, Key* spare, std::size_t count, unsigned digit, std::size_t window, bool spreadOverCores) const
    {
        for (;;) {
            if (count <= kInsertionLimit)
                return InsertionSort(keys, count, window);
            if (count <= kCompareLimit)
                return std::sort(keys, keys + count, [&](const Key& a, const Key& b) { return Less(a, b, window); });
            if (digit == kKeyBytes) {
                // Equal so far: the next bytes of each name make new keys.
                window += kKeyBytes;
                digit = 0;
                for (std::size_t i = 0; i < count; ++i)
                    keys[i] = MakeKey(m_texts[keys[i].index], window, keys[i].index);
            }
            std::array<std::uint32_t, 256> sizes{};
            for (std::size_t i = 0; i < count; ++i)
                ++sizes[DigitOf(keys[i], digit)];
            const unsigned first = DigitOf(keys[0], digit);
            if (sizes[first] != count)
                return Split(keys, spare, count, digit, window, sizes, spreadOverCores);
            // Every key has the same byte here; a 0 means the names all ended
            // here: they are equal, and in index order.
            if (first == 0)
                return;
            ++digit;
        }
    }

private:
    // Splits the keys on this byte and sorts each group by the bytes after it.
    void Split(Key* keys, Key* spare, std::size_t count, unsigned digit, std::size_t window,
               const std::array<std::uint32_t, 256>& sizes, bool spreadOverCores) const
    {
        std::array<std::uint32_t, 257> starts{};
        for (std::size_t byte = 0; byte < 256; ++byte)
            starts[byte + 1] = starts[byte] + sizes[byte];
        std::array<std::uint32_t, 256> next{};
        std::copy_n(starts.begin(), 256, next.begin());
        for (std::size_t i = 0; i < count; ++i)
            spare[next[DigitOf(keys[i], digit)]++] = keys[i];
        std::memcpy(keys, spare, count * sizeof(Key));
        // Keys whose byte here is 0 belong to names that ended before it:
        // equal names, already in index order since each split keeps order.
        const auto sortGroup = [&](std::size_t byte) {
            const std::uint32_t size = starts[byte + 1] - starts[byte];
            if (byte != 0 && size > 1)
                Sort(keys + starts[byte], spare + starts[byte], size, digit + 1, window, false);
        };
        if (spreadOverCores) {
            ParallelFor(256, sortGroup, 1);
        } else {
            for (std::size_t byte = 1; byte < 256; ++byte)
                sortGroup(byte);
        }
    }

    bool Less(const Key& a, const Key& b, std::size_t window) const
    {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        if (const int tail = CompareListText(Tail(a, window), Tail(b, window)); tail != 0)
            return tail < 0;
        return a.index < b.index;
    }

    std::string_view Tail(const Key& key, std::size_t window) const
    {
        const std::string_view text = m_texts[key.index];
        return text.size() > window + kKeyBytes ? text.substr(window + kKeyBytes) : std::string_view();
    }

    void InsertionSort(Key* keys, std::size_t count, std::size_t window) const
    {
        for (std::size_t i = 1; i < count; ++i) {
            const Key key = keys[i];
            std::size_t j = i;
            for (; j > 0 && Less(key, keys[j - 1], window); --j)
                keys[j] = keys[j - 1];
            keys[j] = key;
        }
    }

    std::span<const std::string_view> m_texts;
};

}  // namespace

std::vector<std::uint32_t> ListOrderOf(std::span<const std::string_view> texts)
{
    if (texts.empty())
        return {};
    const std::size_t skip = SharedPrefix(texts);
    std::vector<Key> keys(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        keys[i] = MakeKey(texts[i], skip, static_cast<std::uint32_t>(i));
    std::vector<Key> spare(texts.size());
    KeySorter(texts).Sort(keys.data(), spare.data(), keys.size(), 0, skip, keys.size() >= kParallelFrom);
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    return order;
}

}  // namespace tomelens::core
