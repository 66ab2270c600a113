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
// one whole before the next. `imap` builds the new tree as it is read: the new root label at once,
// each child when its cell of the children list is first looked at. `ifoldMap` gives
// f(root) <> (fold(child 0) <> (fold(child 1) <> ... <> mempty)), every right operand deferred, so
// a fold decided early stops there; `itraverse` runs a node's effect before those of its children.
// The other folds are the defaults over `ifoldMap`. The children are walked with the list routines
// from offset 0, the offset being the child's position.
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
struct Tree {
  using value_type = A;

  explicit Tree(A label, fp::List<Tree> children = {}) : label(std::move(label)), children(std::move(children)) {}

  A label;
  fp::List<Tree> children;

  // Node by node, continuing on fresh stack segments under a deep tree.
  friend bool operator==(const Tree& a, const Tree& b)
    requires std::equality_comparable<A>
  {
    if (!(a.label == b.label)) return false;
    auto x = a.children.begin(), y = b.children.begin();
    for (; x != a.children.end() && y != b.children.end(); ++x, ++y)
      if (!fp::ensureStack([&] { return *x == *y; })) return false;
    return x == a.children.end() && y == b.children.end();
  }
};

// The index of a tree node: child positions from the root down; the root's path is empty.
using TreePath = fp::List<std::int64_t>;

namespace detail {

// The child positions from a node back up to the root, the nearest first.
using StepsUp = fp::List<std::int64_t>;

// The path of the node below `up`, built when first read.
inline TreePath pathOf(const StepsUp& up) {
  if (up.empty()) return {};
  return TreePath::lazy([up] {
    std::vector<std::int64_t> path(up.begin(), up.end());
    std::reverse(path.begin(), path.end());
    return TreePath::from(std::move(path));
  });
}

template <class B, class F, class A>
Tree<B> imapTree(const F& f, const StepsUp& up, const Tree<A>& t) {
  B label(std::invoke(f, pathOf(up), t.label));
  return Tree<B>(std::move(label), FunctorWithIndex<fp::List<Tree<A>>>::imap(
                                       [f, up](std::int64_t n, const Tree<A>& child) {
                                         return imapTree<B>(f, StepsUp::cons(n, up), child);
                                       },
                                       t.children));
}

// The children's part is fold(child 0) <> (fold(child 1) <> ... <> mempty): the list's right
// fold from offset 0 with the step (n, child, rest) ↦ fold(child n) <> rest, which is what
// ifoldMapListOff computes, handing each rest to the monoid deferred.
template <class M, class F, class A>
typename M::Value ifoldMapTree(const M& m, const F& f, const StepsUp& up, const Tree<A>& t) {
  using V = typename M::Value;
  return m.append(V(std::invoke(f, pathOf(up), t.label)), [m, f, up, children = t.children] {
    return ifoldMapListOff(
        m, 0,
        [m, f, up](std::int64_t n, const Tree<A>& child) {
          return fp::ensureStack([&] { return ifoldMapTree(m, f, StepsUp::cons(n, up), child); });
        },
        children);
  });
}

template <class B, class E, class F, class A>
auto itraverseTree(const E& effect, const F& f, const StepsUp& up, const Tree<A>& t)
    -> typename E::template Action<Tree<B>> {
  return effect.liftA2(
      [](const B& label, auto&& children) { return Tree<B>(label, fp::detail::restList<Tree<B>>(children)); },
      std::invoke(f, pathOf(up), t.label), [effect, f, up, children = t.children] {
        return itraverseListOff(
            effect, 0,
            [effect, f, up](std::int64_t n, const Tree<A>& child) {
              return fp::ensureStack([&] { return itraverseTree<B>(effect, f, StepsUp::cons(n, up), child); });
            },
            children);
      });
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
    return detail::ifoldMapTree(m, fp::detail::share(std::move(f)), detail::StepsUp(), t);
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
