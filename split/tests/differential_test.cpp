// The list engine and the contiguous engine against a plain reference, over generated cases:
// every kind of delimiter with every combination of the four policies, with and without a limit,
// splitOnce, the operations that take a predicate, and the count-based operations. Small
// alphabets make delimiters collide and touch. The delimiters searched by a scanner are tried on
// every scan path.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "differential.hpp"

namespace {

using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::testing::Case;
using split::testing::CountCase;
using split::testing::CountKind;
using split::testing::DelimKind;
using split::testing::Layout;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kScale = 10;
#elif defined(__has_feature)
constexpr int kScale = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ? 10 : 1;
#else
constexpr int kScale = 1;
#endif

// Generates cases over elements 0, 1, 2 (as characters: 'a', 'b', 'c').
template <class T>
class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  std::vector<T> elements(int most) {
    std::vector<T> out(std::size_t(number(0, most)));
    for (T& x : out) x = element();
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

  int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

 private:
  T element() {
    const int x = number(0, 2);
    return std::same_as<T, char> ? T('a' + x) : T(x);
  }

  std::mt19937 random_;
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

// Runs `check` over the cases, reporting the first few disagreements; the number of cases run.
template <class Check>
std::int64_t expectAgreement(std::int64_t cases, Check check) {
  std::int64_t disagreements = 0;
  for (std::int64_t i = 0; i < cases; ++i)
    if (const auto difference = check(i); difference && ++disagreements <= 5)
      ADD_FAILURE() << *difference;
  EXPECT_EQ(disagreements, 0) << "of " << cases << " cases";
  return cases;
}

template <class T>
void splittersAgree(std::uint32_t seed, int rounds) {
  Generator<T> gen(seed);
  Case<T> c{};
  expectAgreement(std::int64_t(rounds) * std::int64_t(kAllPolicies.size()), [&](std::int64_t i) {
    const std::size_t policy = std::size_t(i) % kAllPolicies.size();
    if (policy == 0) {
      c.kind = gen.kind();
      c.elements = gen.delimiter(c.kind);
      c.input = gen.elements(12);
      c.layout = gen.layout(c.input.size());
    }
    c.policies = kAllPolicies[policy];
    c.limit = gen.limit();
    return split::testing::disagreement(c);
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
  onEveryScanPath([] { splittersAgree<char>(20240501, 1200 / kScale); });  // 57,600 cases each
}

TEST(Differential, SplittersOverIntegersAgreeWithTheReference) {
  onEveryScanPath([] { splittersAgree<int>(7, 1200 / kScale); });  // 57,600 cases each
}

TEST(Differential, SplitOnceAgreesWithTheReference) {
  onEveryScanPath([] {
    Generator<char> gen(99);
    expectAgreement(20000 / kScale, [&](std::int64_t) {
      Case<char> c{};
      c.kind = gen.kind();
      c.elements = gen.delimiter(c.kind);
      c.input = gen.elements(10);
      c.layout = gen.layout(c.input.size());
      return split::testing::splitOnceDisagreement(c);
    });
  });
}

TEST(Differential, OperationsTakingAPredicateAgreeWithTheReference) {
  using split::testing::PredicateOperation;
  Generator<char> gen(4242);
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
  Generator<int> gen(31337);
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
