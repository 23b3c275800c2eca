// C++ helper for calling an entry held in a host table of pointer-sized slots.
#pragma once

namespace plix {

template <class Fn>
inline Fn *slotEntry(const void *table, int slot) {
    return reinterpret_cast<Fn *>(static_cast<void *const *>(table)[slot]);
}

template <class Fn>
inline void setSlot(void **table, int slot, Fn *entry) {
    table[slot] = reinterpret_cast<void *>(entry);
}

} // namespace plix
