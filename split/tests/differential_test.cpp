// The engines of split, and each stage of the list engine, against a plain reference over
// generated cases: every kind of delimiter with every combination of the four policies, with
// and without a limit; the stages on chunk lists of any shape; how much of an input made on
// demand the first pieces read; splitOnce, the operations that take a predicate, and the
// count-based operations. Most cases draw on three symbols, so that delimiters collide and
// touch; a share draws on eight (NUL and bytes with the high bit set among them, NaN and -0.0
// among floating-point ones) over longer inputs. The engines run on every scan path.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "split/testing/differential.hpp"
#include "fp/testing/sanitized.hpp"

namespace {

using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::testing::Case;
using split::testing::ChunkCase;
using split::testing::CountCase;
using split::testing::CountKind;
using split::testing::DelimKind;
using split::testing::Layout;
using split::testing::Symbols;

constexpr int kScale = fp::testing::kSanitized ? 10 : 1;

template <class T>
class Generator {
 public:
  Generator(std::uint32_t seed, std::vector<T> symbols) : random_(seed), symbols_(std::move(symbols)) {}

  void use(std::vector<T> symbols) { symbols_ = std::move(symbols); }

  std::vector<T> elements(int most) {
    std::vector<T> out(std::size_t(number(0, most)));
    for (T& x : out) x = element();
    return out;
  }

  // Up to `most` elements, a third of them in whole or partial occurrences of `delimiter`,
  // which random elements seldom make when there are many symbols.
  std::vector<T> input(int most, const std::vector<T>& delimiter) {
    const auto size = std::size_t(number(0, most));
    std::vector<T> out;
    while (out.size() < size) {
      if (number(0, 2) > 0 || delimiter.empty()) {
        out.push_back(element());
        continue;
      }
      const auto length = std::size_t(number(1, int(delimiter.size())));
      out.insert(out.end(), delimiter.begin(), delimiter.begin() + std::ptrdiff_t(length));
    }
    out.resize(size);
    return out;
  }

  Layout<T> layout(std::size_t size) {
    Layout<T> out;
    switch (number(0, 2)) {
      case 0:
        break;
      case 1:
        out.cells = true;
        break;
      default:
        for (std::size_t at = 1; at < size; ++at)
          if (number(0, 2) == 0) out.cuts.push_back(at);
    }
    return out;
  }

  DelimKind kind() { return DelimKind(number(0, 3)); }

  // A delimiter's elements: a sublist or set of 0 to 3, or 1 to 3 predicates.
  std::vector<T> delimiter(DelimKind kind) {
    std::vector<T> out = elements(3);
    if (out.empty() && kind == DelimKind::Predicates) out.push_back(element());
    return out;
  }

  std::int64_t limit() {
    const int n = number(-2, 3);
    return n < 0 ? split::reference::Splitting<T>::kNoLimit : n;
  }

  // A chunk list of up to 8 chunks of either kind, each of up to 3 elements.
  split::testing::RefChunks<T> chunks() {
    split::testing::RefChunks<T> out(std::size_t(number(0, 8)));
    for (auto& c : out) c = {number(0, 1) == 1, elements(number(0, 1) ? 0 : 3)};
    return out;
  }

  int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

 private:
  T element() { return symbols_[std::size_t(number(0, int(symbols_.size()) - 1))]; }

  std::mt19937 random_;
  std::vector<T> symbols_;
};

const std::vector<split::reference::Policies> kAllPolicies = [] {
  std::vector<split::reference::Policies> all;
  for (auto d : {DelimPolicy::Drop, DelimPolicy::Keep, DelimPolicy::KeepLeft, DelimPolicy::KeepRight})
    for (auto c : {CondensePolicy::Condense, CondensePolicy::DropBlankFields,
                   CondensePolicy::KeepBlankFields})
      for (auto i : {EndPolicy::DropBlank, EndPolicy::KeepBlank})
        for (auto f : {EndPolicy::DropBlank, EndPolicy::KeepBlank}) all.push_back({d, c, i, f});
  return all;
}();

// Runs `check` over the cases, reporting the first few disagreements.
template <class Check>
void expectAgreement(std::int64_t cases, Check check) {
  std::int64_t disagreements = 0;
  for (std::int64_t i = 0; i < cases; ++i)
    if (const auto difference = check(i); difference && ++disagreements <= 5)
      ADD_FAILURE() << *difference;
  EXPECT_EQ(disagreements, 0) << "of " << cases << " cases";
}

// Rounds of one input and delimiter under every combination of policies, each with a limit or
// none: the pieces of every engine, the stages of postProcess in order, and once per round what
// uses the delimiter only. Every `longEvery`-th round (none for 0) draws on `many` symbols and
// up to 64 elements, the others on `few` and up to 12.
template <class T>
void splittersAgree(std::uint32_t seed, int rounds, std::vector<T> few, std::vector<T> many,
                    int longEvery) {
  Generator<T> gen(seed, few);
  Case<T> c{};
  expectAgreement(std::int64_t(rounds) * std::int64_t(kAllPolicies.size()),
                  [&](std::int64_t i) -> std::optional<std::string> {
                    const std::size_t policy = std::size_t(i) % kAllPolicies.size();
                    if (policy == 0) {
                      const std::int64_t round = i / std::int64_t(kAllPolicies.size());
                      const bool longer = longEvery > 0 && round % longEvery == 0;
                      gen.use(longer ? many : few);
                      c.kind = gen.kind();
                      c.elements = gen.delimiter(c.kind);
                      c.input = gen.input(longer ? 64 : 12, c.elements);
                      c.layout = gen.layout(c.input.size());
                      if (auto difference = split::testing::delimiterDisagreement(c)) return difference;
                    }
                    c.policies = kAllPolicies[policy];
                    c.limit = gen.limit();
                    if (auto difference = split::testing::disagreement(c)) return difference;
                    return split::testing::stageDisagreement(c);
                  });
}

// Runs `test` once per scan path, naming the path in what it reports.
template <class Test>
void onEveryScanPath(Test test) {
  split::testing::forEachScanPath([&](split::ScanPath path) {
    SCOPED_TRACE(std::string(split::scanPathName(path)));
    test();
  });
}

TEST(Differential, SplittersOverCharactersAgreeWithTheReference) {
  onEveryScanPath([] {
    splittersAgree<char>(20240501, 1200 / kScale, Symbols<char>::few(), Symbols<char>::many(), 4);
  });
}

TEST(Differential, SplittersOverIntegersAgreeWithTheReference) {
  onEveryScanPath(
      [] { splittersAgree<int>(7, 1200 / kScale, Symbols<int>::few(), Symbols<int>::many(), 4); });
}

TEST(Differential, SplittersOverFloatingPointAgreeWithTheReference) {
  const std::vector<double> symbols = Symbols<double>::many();
  onEveryScanPath([&] { splittersAgree<double>(1618, 300 / kScale, symbols, symbols, 2); });
}

TEST(Differential, EveryStageAgreesWithTheReferenceOnChunkListsOfAnyShape) {
  Generator<int> gen(2718, Symbols<int>::few());
  ChunkCase<int> c{};
  expectAgreement(std::int64_t(2000 / kScale) * std::int64_t(kAllPolicies.size()),
                  [&](std::int64_t i) {
                    const std::size_t policy = std::size_t(i) % kAllPolicies.size();
                    if (policy == 0) c.chunks = gen.chunks();
                    c.policies = kAllPolicies[policy];
                    return split::testing::chunkStageDisagreement(c);
                  });
}

// Over three symbols and one more that no delimiter accepts, which the reference needs to tell
// where a run of matches may end.
template <class T>
void readAsMuchAsNeeded(std::uint32_t seed, int rounds) {
  Generator<T> gen(seed, Symbols<T>::few());
  std::vector<T> alphabet = Symbols<T>::few();
  alphabet.push_back(Symbols<T>::other());
  Case<T> c{};
  expectAgreement(std::int64_t(rounds) * std::int64_t(kAllPolicies.size()), [&](std::int64_t i) {
    const std::size_t policy = std::size_t(i) % kAllPolicies.size();
    if (policy == 0) {
      c.kind = gen.kind();
      c.elements = gen.delimiter(c.kind);
      c.input = gen.input(8, c.elements);
    }
    c.policies = kAllPolicies[policy];
    c.limit = gen.limit();
    return split::testing::forcingDisagreement(c, alphabet);
  });
}

TEST(Differential, TheFirstPiecesReadAsMuchOfTheInputAsTheyDependOn) {
  readAsMuchAsNeeded<char>(1234, 60 / kScale);
  readAsMuchAsNeeded<int>(5678, 60 / kScale);
}

TEST(Differential, SplitOnceAgreesWithTheReference) {
  onEveryScanPath([] {
    Generator<char> gen(99, Symbols<char>::few());
    expectAgreement(20000 / kScale, [&](std::int64_t i) {
      gen.use(i % 4 == 0 ? Symbols<char>::many() : Symbols<char>::few());
      Case<char> c{};
      c.kind = gen.kind();
      c.elements = gen.delimiter(c.kind);
      c.input = gen.input(i % 4 == 0 ? 64 : 10, c.elements);
      c.layout = gen.layout(c.input.size());
      return split::testing::splitOnceDisagreement(c);
    });
  });
}

TEST(Differential, OperationsTakingAPredicateAgreeWithTheReference) {
  using split::testing::PredicateOperation;
  Generator<char> gen(4242, Symbols<char>::few());
  Case<char> c{};
  expectAgreement(30000 / kScale, [&](std::int64_t i) {
    const auto op = PredicateOperation(i % 3);
    if (op == PredicateOperation::SplitWhen) {
      c.elements = gen.elements(3);
      c.input = gen.elements(12);
      c.layout = gen.layout(c.input.size());
    }
    return split::testing::predicateOperationDisagreement(op, c);
  });
}

TEST(Differential, CountBasedOperationsAgreeWithTheReference) {
  Generator<int> gen(31337, Symbols<int>::few());
  expectAgreement(20000 / kScale, [&](std::int64_t) {
    CountCase<int> c{};
    c.kind = CountKind(gen.number(0, 4));
    c.input = gen.elements(12);
    c.layout = gen.layout(c.input.size());
    c.n = gen.number(c.kind == CountKind::Chop ? 0 : -1, 4);
    c.m = gen.number(1, 3);
    for (int k = gen.number(0, 4); k > 0; --k) c.counts.push_back(gen.number(-1, 4));
    return split::testing::countDisagreement(c);
  });
}

}  // namespace
