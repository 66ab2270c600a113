// The general capabilities and the standard combinations, all in one include: Functor,
// Foldable, Foldable1 and Traversable of the list kinds; the monoid and effect records;
// the on-demand state effect; Show.
#pragma once

#include "fp/applicative.hpp"
#include "fp/effects.hpp"
#include "fp/foldable.hpp"
#include "fp/foldable1.hpp"
#include "fp/functor.hpp"
#include "fp/monoid.hpp"
#include "fp/show.hpp"
#include "fp/state.hpp"
#include "fp/traversable.hpp"
