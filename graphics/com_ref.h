// A field that owns one reference to a COM interface (the device or a surface).
// Assigning a new interface releases the one it held; emptying releases it.
#pragma once

namespace carpex {

template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() { Reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Takes over one reference that the caller owns; releases the old one after.
  void Assign(T* P) {
    T* old = p_;
    p_ = P;
    if (old != nullptr) old->Release();
  }
  void Reset() { Assign(nullptr); }

  // For out-parameters of creation calls: the field is emptied first.
  T** Out() {
    Reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace carpex
