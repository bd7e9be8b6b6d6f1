// The engine's ordered lists of pointers: CLinkedList (one pointer per entry) and
// CLinkedPairList (a key and a value pointer per entry). Lists never own what they point to.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// Ordered list of pointers: append at the tail, walk from head to tail, count kept.
// Stored contiguously because the engine walks these lists every frame (keys, modules);
// appending never invalidates indexes, so a walk by index survives appends made during it.
template <class T>
class CLinkedList {
 public:
  using iterator = typename std::vector<T*>::const_iterator;

  void Append(T* item) { m_items.push_back(item); }
  // Takes the last entry off the list and returns it; null when the list is empty.
  T* RemoveTail() {
    if (m_items.empty()) return nullptr;
    T* item = m_items.back();
    m_items.pop_back();
    return item;
  }
  // Drops every entry (the pointed-to objects are left alone).
  void Clear() { m_items.clear(); }

  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  T* GetHead() const { return m_items.empty() ? nullptr : m_items.front(); }
  T* GetTail() const { return m_items.empty() ? nullptr : m_items.back(); }
  // Entry at a 0-based position from the head; null outside the list.
  T* Get(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size() ? m_items[index]
                                                                          : nullptr;
  }

  iterator begin() const { return m_items.begin(); }
  iterator end() const { return m_items.end(); }

 private:
  std::vector<T*> m_items;
};

// Ordered list of (key, value) pointer pairs with the same rules as CLinkedList.
template <class K, class V>
class CLinkedPairList {
 public:
  using Pair = std::pair<K*, V*>;
  using iterator = typename std::vector<Pair>::const_iterator;

  void Append(K* key, V* value) { m_items.emplace_back(key, value); }
  void Clear() { m_items.clear(); }

  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  K* GetKey(int index) const { return InRange(index) ? m_items[index].first : nullptr; }
  V* GetValue(int index) const { return InRange(index) ? m_items[index].second : nullptr; }

  iterator begin() const { return m_items.begin(); }
  iterator end() const { return m_items.end(); }

 private:
  bool InRange(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
  }

  std::vector<Pair> m_items;
};
