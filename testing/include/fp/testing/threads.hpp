// Threads with a stack of a chosen size, for tests of deep nesting.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <thread>

namespace fp::testing {

// Runs fn on a new pthread with a stack of exactly the given size, or on a
// std::thread with its default stack when stackSize is 0. The stack is the
// test's own: one that glibc picked from its cache of finished threads' stacks
// could be up to four times larger than asked for.
template <class Fn>
void runOnThread(std::size_t stackSize, Fn fn) {
  if (stackSize == 0) {
    std::thread(fn).join();
    return;
  }
  const std::unique_ptr<void, decltype(&std::free)> stack(std::aligned_alloc(4096, stackSize), &std::free);
  ASSERT_NE(stack, nullptr);
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstack(&attr, stack.get(), stackSize), 0);
  pthread_t thread;
  auto body = [](void* p) -> void* {
    (*static_cast<Fn*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, &fn), 0);
  pthread_attr_destroy(&attr);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

}  // namespace fp::testing
