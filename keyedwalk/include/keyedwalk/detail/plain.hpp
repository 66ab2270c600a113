// The plain fp::Functor, fp::Foldable and fp::Traversable of a kind whose indexed records are
// written in this library: the indexed operations with the index dropped.
//
//   template <class A>
//   inline constexpr bool keyedwalk::detail::plainFromIndexed<MyKind<A>> = true;
//   fp::fmap(f, kind);   // keyedwalk::imap with a callback that ignores the index
//
// A kind opts in once; its indexed records then name these as their base records.
#pragma once

#include "keyedwalk/sequence.hpp"

namespace keyedwalk::detail {

template <class C>
inline constexpr bool plainFromIndexed = false;

}  // namespace keyedwalk::detail

namespace fp {

template <class C>
  requires keyedwalk::detail::plainFromIndexed<C>
struct Functor<C> : keyedwalk::detail::UnindexedFunctor<C> {};
template <class C>
  requires keyedwalk::detail::plainFromIndexed<C>
struct Foldable<C> : keyedwalk::detail::UnindexedFoldable<C> {};
template <class C>
  requires keyedwalk::detail::plainFromIndexed<C>
struct Traversable<C> : keyedwalk::detail::UnindexedTraversable<C> {};

}  // namespace fp
