// keyedwalk::Tree<A>: a rose tree, a label and a list of child trees, indexed by the path from the
// root: the positions of the children taken on the way down, the step nearest the root first.
//
//   using T = keyedwalk::Tree<char>;
//   T t('t', {T('u', {T('w')}), T('v')});
//   keyedwalk::itoList(t);                   // ([],t) ([0],u) ([0,0],w) ([1],v)
//   auto depths = keyedwalk::imap(
//       [](const keyedwalk::TreePath& path, char) { return path.length(); }, t);   // 0 (1 (2)) (1)
//
// Every operation visits the nodes in pre-order: a node, then the subtrees of its children, each
// one whole before the next. `imap` computes nothing at the call: it builds the new tree as it is
// read, each label when it is first read and each child when its cell of the children list is
// first looked at. `ifoldMap` gives
// f(root) <> (fold(child 0) <> (fold(child 1) <> ... <> mempty)), every right operand deferred, so
// a fold decided early stops there; `itraverse` runs a node's effect before those of its children.
// `ifoldr` hands each node's callback the fold of the nodes after it, deferred, and `ifoldl` is the
// default over it; the strict folds are loops with an explicit stack. All of them call the callback
// in the order of the defaults over `ifoldMap`.
//
// A path reaches the callback as an fp::List that is built when first read. The walk itself keeps
// only the steps from a node back up to the root, one list cell per node shared by all the nodes
// below it, so a callback that ignores its path pays nothing for it and a walk over n nodes takes
// time linear in n, however the tree is shaped. Reading a path costs its length.
//
// A tree is a persistent value: copies share their children, and lazy results hold the lists they
// read. Walks nest only as deep as the tree and continue on fresh stack segments when the thread's
// stack runs low, and a tree of any depth or width is dropped in bounded stack.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <functional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/list.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/plain.hpp"
#include "keyedwalk/list.hpp"

namespace keyedwalk {

template <class A>
class Tree {
 public:
  using value_type = A;

  explicit Tree(A label, fp::List<Tree> children = {}) : label_(std::move(label)), children_(std::move(children)) {}
  // A tree whose label is computed when it is first read.
  explicit Tree(fp::Deferred<A> label, fp::List<Tree> children = {})
      : label_(std::move(label)), children_(std::move(children)) {}

  const A& label() const { return label_.get(); }
  const fp::List<Tree>& children() const noexcept { return children_; }

  // Node by node, continuing on fresh stack segments under a deep tree.
  friend bool operator==(const Tree& a, const Tree& b)
    requires std::equality_comparable<A>
  {
    if (!(a.label() == b.label())) return false;
    auto x = a.children_.begin(), y = b.children_.begin();
    for (; x != a.children_.end() && y != b.children_.end(); ++x, ++y)
      if (!fp::ensureStack([&] { return *x == *y; })) return false;
    return x == a.children_.end() && y == b.children_.end();
  }

 private:
  fp::Deferred<A> label_;
  fp::List<Tree> children_;
};

// The index of a tree node: child positions from the root down; the root's path is empty.
using TreePath = fp::List<std::int64_t>;

namespace detail {

// The child positions from a node back up to the root, the nearest first.
using StepsUp = fp::List<std::int64_t>;

// The path of the node whose steps are `up`, built when first read.
inline TreePath pathOf(const StepsUp& up) {
  if (up.empty()) return {};
  return TreePath::lazy([up] {
    std::vector<std::int64_t> path(up.begin(), up.end());
    std::reverse(path.begin(), path.end());
    return TreePath::from(std::move(path));
  });
}

// The path of child n of the node whose steps are `up`.
inline TreePath pathOf(const StepsUp& up, std::int64_t n) {
  return TreePath::lazy([up, n] {
    std::vector<std::int64_t> path(up.begin(), up.end());
    std::reverse(path.begin(), path.end());
    path.push_back(n);
    return TreePath::from(std::move(path));
  });
}

template <class B, class F, class A>
Tree<B> imapTree(const F& f, const StepsUp& up, const Tree<A>& t) {
  return Tree<B>(fp::Deferred<B>([f, up, t] { return B(std::invoke(f, pathOf(up), t.label())); }),
                 fp::List<Tree<B>>::lazy([f, up, t] {
                   return FunctorWithIndex<fp::List<Tree<A>>>::imap(
                       [f, up](std::int64_t n, const Tree<A>& child) {
                         return imapTree<B>(f, StepsUp::cons(n, up), child);
                       },
                       t.children());
                 }));
}

// fold(child n) <> (fold(child n + 1) <> ... <> mempty) for the children from `rest` on, with
// fold(c) = f(path, label) <> (the fold of c's children); each right operand deferred.
template <class M, class F, class A>
typename M::Value ifoldMapChildren(const M& m, const F& f, const StepsUp& up, std::int64_t n,
                                   const fp::List<Tree<A>>& rest) {
  using V = typename M::Value;
  if (rest.empty()) return m.mempty();
  const Tree<A>& child = rest.head();
  V folded = fp::ensureStack([&] {
    if (child.children().empty()) return m.append(V(std::invoke(f, pathOf(up, n), child.label())), [m] { return m.mempty(); });
    const StepsUp steps = StepsUp::cons(n, up);
    return m.append(V(std::invoke(f, pathOf(steps), child.label())), [m, f, steps, children = child.children()] {
      return ifoldMapChildren(m, f, steps, 0, children);
    });
  });
  return m.append(std::move(folded), [m, f, up, n, more = rest.tail()] {
    return fp::ensureStack([&] { return ifoldMapChildren(m, f, up, n + 1, more); });
  });
}

// g++ 12, inlining a whole walk at -O2, takes the list that a moved fp::Deferred may hold for
// uninitialized; the variant's index rules that out.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The right fold of a node and its subtree, followed by `after`, the fold of what comes after it
// in pre-order: each node's f receives the fold of everything after it, deferred.
template <class Z, class F, class A>
Z ifoldrNode(const F& f, const TreePath& path, const StepsUp& steps, const Tree<A>& node,
             const fp::Deferred<Z>& after);

// The same for the children from `rest` on, the first of them at position n.
template <class Z, class F, class A>
Z ifoldrChildren(const F& f, const StepsUp& up, std::int64_t n, const fp::List<Tree<A>>& rest,
                 const fp::Deferred<Z>& after) {
  if (rest.empty()) return after.get();
  const Tree<A>& child = rest.head();
  const fp::Deferred<Z> next([f, up, n, more = rest.tail(), after] { return ifoldrChildren(f, up, n + 1, more, after); });
  if (child.children().empty()) return ifoldrNode(f, pathOf(up, n), StepsUp(), child, next);
  const StepsUp steps = StepsUp::cons(n, up);
  return ifoldrNode(f, pathOf(steps), steps, child, next);
}

template <class Z, class F, class A>
Z ifoldrNode(const F& f, const TreePath& path, const StepsUp& steps, const Tree<A>& node,
             const fp::Deferred<Z>& after) {
  if (node.children().empty()) return Z(std::invoke(f, path, node.label(), after));
  const fp::Deferred<Z> below([f, steps, children = node.children(), after] {
    return ifoldrChildren(f, steps, 0, children, after);
  });
  return Z(std::invoke(f, path, node.label(), below));
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template <class B, class E, class F, class A>
auto itraverseTree(const E& effect, const F& f, const StepsUp& up, const Tree<A>& t)
    -> typename E::template Action<Tree<B>> {
  return effect.liftA2(
      [](const B& label, auto&& children) { return Tree<B>(label, fp::detail::restList<Tree<B>>(children)); },
      std::invoke(f, pathOf(up), t.label()), [effect, f, up, children = t.children()] {
        return itraverseListOff(
            effect, 0,
            [effect, f, up](std::int64_t n, const Tree<A>& child) {
              return fp::ensureStack([&] { return itraverseTree<B>(effect, f, StepsUp::cons(n, up), child); });
            },
            children);
      });
}

// visit(path, label) for every node in pre-order, by a loop with an explicit stack. A node's
// steps up are made only when it has children, which need them.
template <class A, class Visit>
void preOrder(const Tree<A>& t, Visit&& visit) {
  struct Level {
    fp::List<Tree<A>> rest;      // the children not yet reached, after `run`
    std::span<const Tree<A>> run;
    std::int64_t next;           // the position of run's first child
    StepsUp up;                  // the parent's steps
  };
  visit(TreePath(), t.label());
  std::vector<Level> pending;
  if (!t.children().empty()) pending.push_back(Level{t.children(), {}, 0, StepsUp()});
  while (!pending.empty()) {
    Level& level = pending.back();
    if (level.run.empty()) {
      if (level.rest.empty()) {
        pending.pop_back();
        continue;
      }
      level.run = level.rest.run();
      level.rest = level.rest.dropInRun(level.run.size());
    }
    const Tree<A>& node = level.run.front();
    level.run = level.run.subspan(1);
    const std::int64_t n = level.next++;
    if (node.children().empty()) {
      visit(pathOf(level.up, n), node.label());
    } else {
      StepsUp steps = StepsUp::cons(n, level.up);
      visit(pathOf(steps), node.label());
      pending.push_back(Level{node.children(), {}, 0, std::move(steps)});
    }
  }
}

template <class A>
inline constexpr bool plainFromIndexed<Tree<A>> = true;

}  // namespace detail

template <class A>
struct FunctorWithIndex<Tree<A>> : FunctorWithIndexDefaults<Tree<A>> {
  using Index = TreePath;

  template <class F>
  static auto imap(F f, const Tree<A>& t) {
    using B = std::decay_t<std::invoke_result_t<F&, TreePath, const A&>>;
    return detail::imapTree<B>(fp::detail::share(std::move(f)), detail::StepsUp(), t);
  }
};

template <class A>
struct FoldableWithIndex<Tree<A>> : FoldableWithIndexDefaults<Tree<A>> {
  using Index = TreePath;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const Tree<A>& t) {
    using V = typename M::Value;
    const auto shared = fp::detail::share(std::move(f));
    return m.append(V(std::invoke(shared, TreePath(), t.label())), [m, shared, children = t.children()] {
      return detail::ifoldMapChildren(m, shared, detail::StepsUp(), 0, children);
    });
  }

  // What the default over ifoldMap gives, without composing a function per node.
  template <class F, class Z>
  static Z ifoldr(F f, Z z, const Tree<A>& t) {
    return detail::ifoldrNode(fp::detail::share(std::move(f)), TreePath(), detail::StepsUp(), t,
                              fp::Deferred<Z>(std::move(z)));
  }

  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const Tree<A>& t) {
    detail::preOrder(t, [&](const TreePath& path, const A& x) { z = Z(std::invoke(f, path, std::move(z), x)); });
    return z;
  }

  // The nodes in pre-order are gathered, then folded from the last one back.
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const Tree<A>& t) {
    std::vector<std::pair<TreePath, const A*>> nodes;
    detail::preOrder(t, [&](const TreePath& path, const A& x) { nodes.emplace_back(path, &x); });
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node)
      z = Z(std::invoke(f, node->first, *node->second, std::move(z)));
    return z;
  }
};

template <class A>
struct TraversableWithIndex<Tree<A>> : TraversableWithIndexDefaults<Tree<A>> {
  using Index = TreePath;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const Tree<A>& t) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, TreePath, const A&>>;
    return detail::itraverseTree<B>(effect, fp::detail::share(std::move(f)), detail::StepsUp(), t);
  }
};

}  // namespace keyedwalk
