// Numbers: an integer or a double, converted on the way out with a report of any loss.
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

struct __CFNumber : __CFRuntimeBase
{
  bool mIsFloat = false;
  int64_t mInteger = 0;
  double mFloat = 0.0;
};

namespace {

bool IsFloatType(CFNumberType t)
{
  return t == kCFNumberFloat32Type || t == kCFNumberFloat64Type || t == kCFNumberFloatType || t == kCFNumberDoubleType;
}

// Byte size of the integer types, 0 for unknown types and floating-point types.
size_t IntegerSize(CFNumberType t)
{
  switch (t) {
  case kCFNumberSInt8Type:
  case kCFNumberCharType:
    return 1;
  case kCFNumberSInt16Type:
  case kCFNumberShortType:
    return 2;
  case kCFNumberSInt32Type:
  case kCFNumberIntType:
    return 4;
  case kCFNumberSInt64Type:
  case kCFNumberLongLongType:
    return 8;
  case kCFNumberLongType:
    return sizeof(long);
  case kCFNumberCFIndexType:
    return sizeof(CFIndex);
  default:
    return 0;
  }
}

bool EqualNumbers(CFTypeRef a, CFTypeRef b)
{
  const auto* x = static_cast<const __CFNumber*>(a);
  const auto* y = static_cast<const __CFNumber*>(b);
  if (!x->mIsFloat && !y->mIsFloat) return x->mInteger == y->mInteger;
  const double dx = x->mIsFloat ? x->mFloat : static_cast<double>(x->mInteger);
  const double dy = y->mIsFloat ? y->mFloat : static_cast<double>(y->mInteger);
  return dx == dy;
}

CFHashCode HashNumber(CFTypeRef n)
{
  const auto* x = static_cast<const __CFNumber*>(n);
  if (!x->mIsFloat) return static_cast<CFHashCode>(x->mInteger);
  // Integral doubles hash like the equal integer so that equal numbers hash alike.
  if (std::floor(x->mFloat) == x->mFloat && std::fabs(x->mFloat) < 9.2e18)
    return static_cast<CFHashCode>(static_cast<int64_t>(x->mFloat));
  uint64_t bits;
  std::memcpy(&bits, &x->mFloat, sizeof bits);
  return static_cast<CFHashCode>(bits);
}

std::string DescribeNumber(CFTypeRef n)
{
  const auto* x = static_cast<const __CFNumber*>(n);
  char text[64];
  if (x->mIsFloat)
    std::snprintf(text, sizeof text, "%.17g", x->mFloat);
  else
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(x->mInteger));
  return text;
}

const CFRuntimeClass kNumberClass = {"CFNumber", kCFRuntimeNumberTypeID, CFRuntimeFinalize<__CFNumber>, EqualNumbers,
                                     HashNumber, DescribeNumber};

const __CFNumber* Checked(CFNumberRef number, const char* function)
{
  const __CFNumber* n = CFRuntimeCast<__CFNumber>(number, &kNumberClass);
  if (!n) CFRuntimeFatal(function, "not a number");
  return n;
}

template <class T>
bool StoreInteger(int64_t value, void* out)
{
  const T converted = static_cast<T>(value);
  std::memcpy(out, &converted, sizeof converted);
  return value >= static_cast<int64_t>(std::numeric_limits<T>::min()) &&
         value <= static_cast<int64_t>(std::numeric_limits<T>::max());
}

} // namespace

CFTypeID CFNumberGetTypeID(void)
{
  return kCFRuntimeNumberTypeID;
}

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr)
{
  if (!valuePtr) return nullptr;
  int64_t integer = 0;
  double real = 0.0;
  const bool isFloat = IsFloatType(theType);
  if (isFloat) {
    if (theType == kCFNumberFloat32Type || theType == kCFNumberFloatType) {
      float f;
      std::memcpy(&f, valuePtr, sizeof f);
      real = f;
    } else {
      std::memcpy(&real, valuePtr, sizeof real);
    }
  } else {
    switch (IntegerSize(theType)) {
    case 1: {
      int8_t v;
      std::memcpy(&v, valuePtr, 1);
      integer = v;
      break;
    }
    case 2: {
      int16_t v;
      std::memcpy(&v, valuePtr, 2);
      integer = v;
      break;
    }
    case 4: {
      int32_t v;
      std::memcpy(&v, valuePtr, 4);
      integer = v;
      break;
    }
    case 8: {
      int64_t v;
      std::memcpy(&v, valuePtr, 8);
      integer = v;
      break;
    }
    default:
      return nullptr;
    }
  }
  __CFNumber* n = CFRuntimeCreate<__CFNumber>(allocator, &kNumberClass);
  if (!n) return nullptr;
  n->mIsFloat = isFloat;
  n->mInteger = integer;
  n->mFloat = real;
  return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
  const __CFNumber* n = Checked(number, "CFNumberGetValue");
  if (!valuePtr) return false;
  if (IsFloatType(theType)) {
    const double value = n->mIsFloat ? n->mFloat : static_cast<double>(n->mInteger);
    if (theType == kCFNumberFloat32Type || theType == kCFNumberFloatType) {
      const float f = static_cast<float>(value);
      std::memcpy(valuePtr, &f, sizeof f);
      return std::isnan(value) || static_cast<double>(f) == value;
    }
    std::memcpy(valuePtr, &value, sizeof value);
    return n->mIsFloat || static_cast<int64_t>(value) == n->mInteger;
  }
  int64_t integer = n->mInteger;
  bool exact = true;
  if (n->mIsFloat) {
    const double v = n->mFloat;
    if (std::isnan(v)) {
      integer = 0;
      exact = false;
    } else if (v >= 9.223372036854775807e18) {
      integer = std::numeric_limits<int64_t>::max();
      exact = false;
    } else if (v < -9.223372036854775808e18) {
      integer = std::numeric_limits<int64_t>::min();
      exact = false;
    } else {
      integer = static_cast<int64_t>(v);
      exact = static_cast<double>(integer) == v;
    }
  }
  switch (IntegerSize(theType)) {
  case 1:
    return StoreInteger<int8_t>(integer, valuePtr) && exact;
  case 2:
    return StoreInteger<int16_t>(integer, valuePtr) && exact;
  case 4:
    return StoreInteger<int32_t>(integer, valuePtr) && exact;
  case 8:
    return StoreInteger<int64_t>(integer, valuePtr) && exact;
  default:
    return false;
  }
}
