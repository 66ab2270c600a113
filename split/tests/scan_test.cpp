// The scan paths: every vector search against the definition, one position at a time, on every
// path this processor has, over inputs whose matches fall across the 16- and 32-byte blocks and
// the 64-byte windows and in the last partial block, in buffers that touch an unmapped page at
// either end; the engines over long inputs against the reference; the named classes; forcing a
// path.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "split/testing/differential.hpp"
#include "fp/testing/sanitized.hpp"
#include "split/split.hpp"

namespace {

using split::ScanPath;
using split::testing::forEachScanPath;

constexpr int kScale = fp::testing::kSanitized ? 10 : 1;

std::string nameOf(ScanPath path) { return std::string(split::scanPathName(path)); }

// A delimiter of built-in equality: any one of the elements, or the elements in a row.
template <class T>
struct Pattern {
  bool anyOf;
  std::vector<T> elements;
};

template <class T>
std::string show(const std::vector<T>& xs) {
  std::ostringstream out;
  for (const T& x : xs) out << +x << ' ';
  return out.str();
}
template <class T>
std::string show(const Pattern<T>& p) {
  return (p.anyOf ? "oneOf [ " : "onSublist [ ") + show(p.elements) + "]";
}

// The definition: the first position in [from, last) where the pattern matches within the n
// elements at xs, or last.
template <class T>
std::size_t definitionFind(const Pattern<T>& p, const T* xs, std::size_t n, std::size_t from,
                           std::size_t last) {
  const std::size_t length = p.anyOf ? 1 : p.elements.size();
  for (std::size_t at = from; at < last; ++at) {
    if (at + length > n) break;
    bool matches;
    if (p.anyOf) {
      matches = false;
      for (const T& e : p.elements) matches = matches || xs[at] == e;
    } else {
      matches = true;
      for (std::size_t i = 0; i < length; ++i) matches = matches && xs[at + i] == p.elements[i];
    }
    if (matches) return at;
  }
  return last;
}

// The searches a caller makes, checked against the definition: from every position to the end,
// each with a key of its own; and walking forward with one key, as the engines do, with random
// ends, each search from past the match the one before found. Where they part, the first one.
template <class T>
std::optional<std::string> disagreement(const Pattern<T>& p, const T* xs, std::size_t n,
                                        std::mt19937& random) {
  const auto scanner = p.anyOf ? split::detail::Scanner<T>::anyOf(p.elements)
                               : split::detail::Scanner<T>::sublist(p.elements);
  const auto report = [&](std::size_t from, std::size_t last, std::size_t got, std::size_t want) {
    return show(p) + " in " + show(std::vector<T>(xs, xs + n)) + "from " + std::to_string(from) +
           " to " + std::to_string(last) + ": found " + std::to_string(got) + ", not " +
           std::to_string(want);
  };
  for (std::size_t from = 0; from <= n; ++from) {
    const std::size_t got = scanner.find(xs, n, from, n), want = definitionFind(p, xs, n, from, n);
    if (got != want) return report(from, n, got, want);
  }
  auto key = scanner.key();
  for (std::size_t from = 0; from <= n;) {
    const std::size_t last = std::min(n, from + std::size_t(random() % 80));
    const std::size_t got = decltype(scanner)::find(key, xs, n, from, last);
    const std::size_t want = definitionFind(p, xs, n, from, last);
    if (got != want) return report(from, last, got, want);
    from = (got < last ? got : from) + 1 + random() % 3;
  }
  return std::nullopt;
}

// Elements of each type: a few values to build patterns and inputs from, which collide, and
// for floating point ones that compare equal with different bits (0 and -0) or not at all (NaN).
template <class T>
std::vector<T> alphabet() {
  if constexpr (std::is_floating_point_v<T>)
    return {T(1.5), T(0), -T(0), std::numeric_limits<T>::quiet_NaN(), T(-7)};
  else if constexpr (sizeof(T) == 1)
    return {T(' '), T('\t'), T(','), T(0x80), T(0xFF), T(0)};  // bytes of both halves
  else
    return {T(1), T(-1), T(0x0100), T(0x01), T(7)};  // equal low bytes, equal high bytes
}

// Random patterns and inputs: mostly filler, with pattern elements at a chosen density, so that
// windows without a match and runs of matches both come up.
template <class T>
class Cases {
 public:
  explicit Cases(std::uint32_t seed) : random_(seed) {}

  Pattern<T> pattern() {
    const std::vector<T> letters = alphabet<T>();
    Pattern<T> p{random_() % 2 == 0, {}};
    static constexpr std::size_t kSetSizes[] = {1, 2, 3, 4, 6, 9, 14};
    const std::size_t size = p.anyOf ? kSetSizes[random_() % 7] : 2 + random_() % 3;
    for (std::size_t i = 0; i < size; ++i) {
      if (p.anyOf && sizeof(T) == 1 && i >= letters.size())
        p.elements.push_back(T(random_()));  // sets of any size over all bytes
      else
        p.elements.push_back(letters[random_() % letters.size()]);
    }
    return p;
  }

  std::vector<T> input(const Pattern<T>& p, std::size_t most) {
    const std::vector<T> letters = alphabet<T>();
    std::vector<T> out(random_() % (most + 1));
    const std::uint32_t density = 1 + random_() % 40;  // pattern elements per 40 elements
    for (T& x : out)
      x = random_() % 40 < density ? p.elements[random_() % p.elements.size()]
                                   : letters[random_() % letters.size()];
    return out;
  }

  std::mt19937& random() { return random_; }

 private:
  std::mt19937 random_;
};

template <class T>
void searchesAgree(std::uint32_t seed, int cases) {
  forEachScanPath([&](ScanPath path) {
    SCOPED_TRACE(nameOf(path));
    Cases<T> gen(seed);
    int disagreements = 0;
    for (int i = 0; i < cases; ++i) {
      const Pattern<T> p = gen.pattern();
      const std::vector<T> xs = gen.input(p, 150);
      if (const auto difference = disagreement(p, xs.data(), xs.size(), gen.random());
          difference && ++disagreements <= 3)
        ADD_FAILURE() << *difference;
    }
    EXPECT_EQ(disagreements, 0) << "of " << cases << " cases";
  });
}

TEST(Scan, SearchesAgreeWithTheDefinitionOnEveryPath) {
  const int cases = 600 / kScale;
  searchesAgree<char>(1, cases);
  searchesAgree<unsigned char>(2, cases);
  searchesAgree<std::int16_t>(3, cases);
  searchesAgree<std::int32_t>(4, cases);
  searchesAgree<std::int64_t>(5, cases);
  searchesAgree<float>(6, cases);
  searchesAgree<double>(7, cases);
}

// Three pages, the outer two unreadable: a buffer at either end of the middle one touches one.
class Fenced {
 public:
  Fenced() : page_(std::size_t(::sysconf(_SC_PAGESIZE))) {
    void* at = ::mmap(nullptr, 3 * page_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<unsigned char*>(at);
    if (::mprotect(base_ + page_, page_, PROT_READ | PROT_WRITE) != 0)
      throw std::runtime_error("mprotect failed");
  }
  Fenced(const Fenced&) = delete;
  Fenced& operator=(const Fenced&) = delete;
  ~Fenced() { ::munmap(base_, 3 * page_); }

  // n elements copied from `xs` to the start, or to the end, of the readable page.
  template <class T>
  const T* place(const std::vector<T>& xs, bool atEnd) {
    unsigned char* at = base_ + page_ + (atEnd ? page_ - xs.size() * sizeof(T) : 0);
    if (!xs.empty()) std::memcpy(at, xs.data(), xs.size() * sizeof(T));
    return reinterpret_cast<const T*>(at);
  }

 private:
  std::size_t page_;
  unsigned char* base_;
};

// Every length up to three windows, at both ends of the page: a read past either end faults.
template <class T>
void searchesStayInside(Fenced& fence, std::uint32_t seed) {
  forEachScanPath([&](ScanPath path) {
    SCOPED_TRACE(nameOf(path));
    Cases<T> gen(seed);
    for (std::size_t n = 0; n <= 3 * split::detail::kWindowBytes / sizeof(T); ++n) {
      const Pattern<T> p = gen.pattern();
      std::vector<T> xs = gen.input(p, 0);
      for (std::size_t i = 0; i < n; ++i) xs.push_back(gen.input(p, 1).empty() ? T() : p.elements[0]);
      for (const bool atEnd : {false, true}) {
        const T* placed = fence.place(xs, atEnd);
        if (const auto difference = disagreement(p, placed, n, gen.random()))
          ADD_FAILURE() << (atEnd ? "ending at" : "starting at") << " the page's edge: "
                        << *difference;
      }
    }
  });
}

TEST(Scan, SearchesReadNothingOutsideTheirInput) {
  Fenced fence;
  searchesStayInside<char>(fence, 11);
  searchesStayInside<std::int16_t>(fence, 12);
  searchesStayInside<std::int64_t>(fence, 13);
  searchesStayInside<double>(fence, 14);
}

// The engines against the reference over inputs of up to 100 elements (the differential test's
// are short), the delimiter's elements rare among the others, so that pieces run across blocks
// and windows; every policy and limit, on every path.
template <class T>
void longInputsAgree(std::uint32_t seed, int cases) {
  using split::testing::Case;
  using split::testing::DelimKind;
  forEachScanPath([&](ScanPath path) {
    SCOPED_TRACE(nameOf(path));
    std::mt19937 random(seed);
    const auto number = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto element = [](int x) { return std::same_as<T, char> ? T('a' + x) : T(x); };
    int disagreements = 0;
    for (int i = 0; i < cases; ++i) {
      Case<T> c{};
      c.kind = number(0, 1) ? DelimKind::Sublist : DelimKind::OneOf;
      for (int k = number(1, 3); k > 0; --k) c.elements.push_back(element(number(1, 2)));
      const int rare = number(1, 30);  // in 30
      for (int k = number(0, 100); k > 0; --k)
        c.input.push_back(number(1, 30) <= rare ? c.elements[std::size_t(number(0, 9)) %
                                                             c.elements.size()]
                                                : element(number(0, 2)));
      c.policies = {split::DelimPolicy(number(0, 3)), split::CondensePolicy(number(0, 2)),
                    split::EndPolicy(number(0, 1)), split::EndPolicy(number(0, 1))};
      c.limit = number(0, 3) ? split::reference::Splitting<T>::kNoLimit : number(0, 5);
      if (number(0, 2) == 0)
        for (std::size_t at = 1; at < c.input.size(); ++at)
          if (number(0, 15) == 0) c.layout.cuts.push_back(at);
      if (const auto difference = split::testing::disagreement(c);
          difference && ++disagreements <= 3)
        ADD_FAILURE() << *difference;
    }
    EXPECT_EQ(disagreements, 0) << "of " << cases << " cases";
  });
}

TEST(Scan, EnginesAgreeWithTheReferenceOnLongInputs) {
  longInputsAgree<char>(21, 3000 / kScale);
  longInputsAgree<int>(22, 3000 / kScale);
}

std::vector<std::string> strings(const fp::List<fp::List<char>>& pieces) {
  std::vector<std::string> out;
  for (const auto& piece : pieces) out.emplace_back(piece.begin(), piece.end());
  return out;
}

// The named classes split at the same places as a predicate of the caller's own.
TEST(Scan, NamedClassesSplitAsTheirPredicates) {
  const auto space = [](char c) { return std::strchr(" \t\n\v\f\r", c) != nullptr && c != '\0'; };
  const auto newline = [](char c) { return c == '\n'; };
  std::string long_line;
  for (int i = 0; i < 40; ++i) long_line += std::string(std::size_t(i % 7), 'x') + " \t\v\f\r\n"[i % 6];
  const std::vector<std::string> texts = {
      "", " ", "a", "  two\twords\n", "\x85\xa0 not\x1c" "blanks\x0b\x0c\x0d", long_line,
      std::string(100, ' ') + "x" + std::string(33, '\n')};
  forEachScanPath([&](ScanPath path) {
    SCOPED_TRACE(nameOf(path));
    for (const std::string& text : texts) {
      using V = std::vector<std::string_view>;
      EXPECT_EQ(V(split::wordsBy(split::isSpace, text)), V(split::wordsBy(space, text)));
      EXPECT_EQ(V(split::linesBy(split::isNewline, text)), V(split::linesBy(newline, text)));
      EXPECT_EQ(V(split::splitWhen(split::isSpace, text)), V(split::splitWhen(space, text)));
      const auto list = fp::List<char>::from(text);
      EXPECT_EQ(strings(split::wordsBy(split::isSpace, list)),
                strings(split::wordsBy(space, list)));
      EXPECT_EQ(strings(split::split(split::whenElt<char>(split::isNewline), list)),
                strings(split::split(split::whenElt(newline), list)));
    }
    // Wider characters are compared by value: U+0085, U+00A0 and U+2028 are not C-locale blanks.
    const std::u32string wide = U"a\u0085b\u00a0c\u2028d e\tf";
    std::vector<std::u32string> words;
    for (std::u32string_view w : split::wordsBy(split::isSpace, wide)) words.emplace_back(w);
    EXPECT_EQ(words, (std::vector<std::u32string>{U"a\u0085b\u00a0c\u2028d", U"e", U"f"}));
  });
  EXPECT_TRUE(split::isSpace('\v') && split::isSpace(U'\r') && split::isSpace(32L));
  EXPECT_FALSE(split::isSpace('\0') || split::isSpace(char(0x85)) || split::isSpace(0x120));
  EXPECT_TRUE(split::isNewline('\n') && !split::isNewline('\r'));
}

TEST(Scan, APathCanBeForced) {
  const ScanPath before = split::scanPath();
  EXPECT_TRUE(split::scanPathAvailable(ScanPath::Scalar));
  EXPECT_TRUE(split::scanPathAvailable(before));
  forEachScanPath([](ScanPath path) { EXPECT_EQ(split::scanPath(), path); });
  EXPECT_EQ(split::scanPath(), before);
  // The fastest path available is the one in force, unless FP_SPLIT_SCAN names another.
  if (!std::getenv("FP_SPLIT_SCAN"))
    for (const ScanPath faster : {ScanPath::Sse2, ScanPath::Avx2}) {
      if (faster > before) {
        EXPECT_FALSE(split::scanPathAvailable(faster)) << nameOf(faster);
      }
    }
  EXPECT_THROW(split::setScanPath(ScanPath(7)), std::invalid_argument);
  EXPECT_EQ(split::scanPath(), before);
  EXPECT_EQ(nameOf(ScanPath::Scalar) + nameOf(ScanPath::Sse2) + nameOf(ScanPath::Avx2),
            "scalarsse2avx2");
}

}  // namespace
