/*
 * ComponentCall.h — building a Component Manager parameter block for one call (internal to the
 * platform library): the arguments go last-first into one long slot each, the instance after them,
 * and the block is dispatched to the instance's entry function.
 */
#ifndef BRINDLE_PLATFORM_COMPONENTCALL_H
#define BRINDLE_PLATFORM_COMPONENTCALL_H

#include <CoreServices/Components.h>

#include <cstring>
#include <new>
#include <type_traits>

namespace ComponentCall {

template <class T>
void Put(ComponentParameters* cp, int slot, T value)
{
  static_assert(sizeof(T) <= sizeof(long), "every argument fits one slot");
  static_assert(std::is_trivially_copyable<T>::value, "arguments are plain values");
  long word = 0;
  std::memcpy(&word, &value, sizeof value);
  cp->params[slot] = word;
}

// A block with room for n arguments and the instance, built in caller-provided words.
template <int n>
struct Block
{
  Block(SInt16 what)
  {
    cp = new (mWords) ComponentParameters;
    cp->flags = 0;
    cp->paramSize = static_cast<UInt8>(n * sizeof(long));
    cp->what = what;
  }
  alignas(ComponentParameters) long mWords[2 + n + 1] = {};
  ComponentParameters* cp;
};

// Calls the instance's entry with `what` and the arguments in published order.
template <class... Args>
ComponentResult Dispatch(ComponentInstance ci, SInt16 what, Args... args)
{
  constexpr int n = static_cast<int>(sizeof...(Args));
  Block<n> block(what);
  int i = 0;
  (void)i;
  (Put(block.cp, n - 1 - i++, args), ...);
  Put(block.cp, n, ci);
  return CallComponentDispatch(block.cp);
}

} // namespace ComponentCall

#endif
