// Com<T>: one owned reference of a Direct3D or D3DX object (anything with AddRef and
// Release). Copies add a reference, destruction and reset release it, moves hand it over, so
// members declared as Com release themselves in reverse order of declaration.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace vexil {

template <class T>
class Com {
 public:
  Com() = default;
  Com(std::nullptr_t) {}  // NOLINT(google-explicit-constructor): Com<T> p = nullptr
  // Adopts a reference the caller already owns (the one a Create* call returned).
  static Com Adopt(T* owned) {
    Com c;
    c.ptr_ = owned;
    return c;
  }
  // Takes a reference of its own to an object someone else keeps.
  static Com Share(T* borrowed) {
    if (borrowed) borrowed->AddRef();
    return Adopt(borrowed);
  }

  Com(const Com& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  Com(Com&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  Com& operator=(const Com& other) {
    // Referenced before the old one goes: other may be this, or hold the last reference.
    T* p = other.ptr_;
    if (p) p->AddRef();
    reset();
    ptr_ = p;
    return *this;
  }
  Com& operator=(Com&& other) noexcept {
    if (this != std::addressof(other)) {
      reset();
      ptr_ = other.ptr_;
      other.ptr_ = nullptr;
    }
    return *this;
  }
  Com& operator=(std::nullptr_t) {
    reset();
    return *this;
  }
  ~Com() { reset(); }

  void reset() {
    T* old = ptr_;
    ptr_ = nullptr;
    if (old) old->Release();
  }
  // The out-parameter of a Create* or Get* call: the reference held so far is released first,
  // and the call's reference becomes this pointer's.
  T** put() {
    reset();
    return &ptr_;
  }
  T** operator&() { return put(); }
  // Gives the reference up to the caller without releasing it.
  T* detach() {
    T* p = ptr_;
    ptr_ = nullptr;
    return p;
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  bool operator==(const Com& other) const { return ptr_ == other.ptr_; }
  bool operator!=(const Com& other) const { return ptr_ != other.ptr_; }
  bool operator==(const T* other) const { return ptr_ == other; }
  bool operator!=(const T* other) const { return ptr_ != other; }
  bool operator==(std::nullptr_t) const { return ptr_ == nullptr; }
  bool operator!=(std::nullptr_t) const { return ptr_ != nullptr; }
  friend bool operator==(const T* a, const Com& b) { return a == b.ptr_; }
  friend bool operator!=(const T* a, const Com& b) { return a != b.ptr_; }
  friend bool operator==(std::nullptr_t, const Com& b) { return b.ptr_ == nullptr; }
  friend bool operator!=(std::nullptr_t, const Com& b) { return b.ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

}  // namespace vexil
