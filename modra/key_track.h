#ifndef ZAR_MODRA_KEY_TRACK_H_
#define ZAR_MODRA_KEY_TRACK_H_

// The keys of one controller: (tick, value) pairs in tick order, held side by side in one array
// (16 to 20 bytes a key, no allocation per key). Keys made in time order are appended. Removing
// keys one after another in time order (clearing a window of ticks) moves nothing until the
// track is next read or changed otherwise: the removed keys form one run that is closed then,
// so clearing a window costs one move of the keys behind it, not one per key. Reading a track
// may close such a run, so a track is read by one thread at a time (as the evaluation cursors of
// the controllers already require).

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

#include "sdk/modra_types.h"

namespace modra::host {

template <class V>
class KeyTrack {
 public:
  using Key = std::pair<TickTime, V>;
  using value_type = Key;
  using iterator = typename std::vector<Key>::iterator;
  using const_iterator = typename std::vector<Key>::const_iterator;

  std::size_t size() const { return keys_.size() - (gapEnd_ - gapBegin_); }
  bool empty() const { return size() == 0; }
  void reserve(std::size_t count) { keys_.reserve(count); }
  void clear() {
    keys_.clear();
    gapBegin_ = gapEnd_ = 0;
  }

  const_iterator begin() const { return Closed().begin(); }
  const_iterator end() const { return Closed().end(); }
  iterator begin() { return Closed().begin(); }
  iterator end() { return Closed().end(); }
  auto rbegin() const { return Closed().rbegin(); }

  // The tick of key `index` (in time order), without closing a run of removed keys.
  TickTime TimeAt(std::size_t index) const {
    return keys_[index < gapBegin_ ? index : index + (gapEnd_ - gapBegin_)].first;
  }

  // The first key at or after t.
  const_iterator lower_bound(TickTime t) const {
    const std::vector<Key>& keys = Closed();
    return std::lower_bound(keys.begin(), keys.end(), t,
                            [](const Key& k, TickTime time) { return k.first < time; });
  }
  const_iterator find(TickTime t) const {
    const const_iterator it = lower_bound(t);
    return it != end() && it->first == t ? it : end();
  }
  const V& at(TickTime t) const {
    const const_iterator it = find(t);
    if (it == end()) throw std::out_of_range("no key at this tick");
    return it->second;
  }

  // Adds a key at t unless there is one; answers the key and whether it was added.
  std::pair<iterator, bool> emplace(TickTime t, const V& value) {
    std::vector<Key>& keys = Closed();
    if (keys.empty() || keys.back().first < t) {
      keys.emplace_back(t, value);
      return {keys.end() - 1, true};
    }
    auto it = std::lower_bound(keys.begin(), keys.end(), t,
                               [](const Key& k, TickTime time) { return k.first < time; });
    if (it != keys.end() && it->first == t) return {it, false};
    return {keys.insert(it, Key(t, value)), true};
  }
  iterator emplace_hint(const_iterator, TickTime t, const V& value) {
    return emplace(t, value).first;
  }
  V& operator[](TickTime t) { return emplace(t, V()).first->second; }

  // Removes the key at t; answers how many keys went (0 or 1).
  std::size_t erase(TickTime t) {
    auto index = IndexOf(t);
    if (index == keys_.size() || (index >= gapBegin_ && index < gapEnd_)) return 0;
    if (gapBegin_ == gapEnd_) {
      gapBegin_ = index;
      gapEnd_ = index + 1;
    } else if (index == gapEnd_) {
      ++gapEnd_;
    } else if (index + 1 == gapBegin_) {
      --gapBegin_;
    } else {
      Close();
      index = IndexOf(t);
      gapBegin_ = index;
      gapEnd_ = index + 1;
    }
    return 1;
  }

 private:
  // The index of the key at t in the array (removed keys included), or the array's size.
  std::size_t IndexOf(TickTime t) const {
    const auto it = std::lower_bound(keys_.begin(), keys_.end(), t,
                                     [](const Key& k, TickTime time) { return k.first < time; });
    return it != keys_.end() && it->first == t ? static_cast<std::size_t>(it - keys_.begin())
                                               : keys_.size();
  }
  // Moves the keys after a run of removed keys down over it.
  void Close() const {
    if (gapBegin_ == gapEnd_) return;
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(gapBegin_),
                keys_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
    gapBegin_ = gapEnd_ = 0;
  }
  std::vector<Key>& Closed() const {
    Close();
    return keys_;
  }

  mutable std::vector<Key> keys_;
  // Keys [gapBegin_, gapEnd_) of the array are removed but not yet moved over.
  mutable std::size_t gapBegin_ = 0;
  mutable std::size_t gapEnd_ = 0;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_KEY_TRACK_H_
