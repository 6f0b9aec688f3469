#pragma once
// The slab heap's operations, included only by the two files that
// instantiate it for the small and the medium layout.

#include <mutex>

#include "memory/SlabHeap.h"

namespace quenby {

template <class TLayout>
void TSlabHeap<TLayout>::Init(int arenaCount) noexcept {
  int count = arenaCount < 1 ? 1 : arenaCount > kMaxArenas ? kMaxArenas : arenaCount;
  while (count & (count - 1)) count &= count - 1;  // keep the highest bit
  ArenaMask_ = static_cast<std::uint32_t>(count - 1);
  Counter_.store(0, std::memory_order_relaxed);
  for (TArena& arena : Arenas_) {
    std::lock_guard guard(arena.Lock);
    arena.Heads.fill(TPageHeap::kNilLink);
    arena.FreeHead = arena.FreeTail = TPageHeap::kNilLink;
    arena.Carving = 0;
  }
}

template <class TLayout>
void TSlabHeap<TLayout>::Done() noexcept {
  Pages_.FreeAllPages(TLayout::kPageClass);
  Init(ArenaCount());
}

template <class TLayout>
std::uintptr_t TSlabHeap<TLayout>::SlotAddress(const TSubBlock* d, std::uint32_t slot) {
  const auto descriptor = reinterpret_cast<std::uintptr_t>(d);
  const std::uintptr_t page = PageOf(descriptor);
  const std::size_t index = (descriptor - page - TLayout::kDescriptorOffset) / sizeof(TSubBlock);
  return page + index * kSubBlockSize + slot * TLayout::kClassSizes[d->ClassIndex];
}

template <class TLayout>
typename TSlabHeap<TLayout>::TArena& TSlabHeap<TLayout>::PickArena() noexcept {
  if (ArenaMask_ == 0) return Arenas_[0];
  const std::uint32_t next = Counter_.load(std::memory_order_relaxed);
  Counter_.store(next + 1, std::memory_order_relaxed);
  return Arenas_[next & ArenaMask_];
}

template <class TLayout>
void* TSlabHeap<TLayout>::GetMem(std::size_t n) noexcept {
  TArena& arena = PickArena();
  const std::size_t sizeClass = kClassOfSize[n];
  std::lock_guard guard(arena.Lock);
  return GetLocked(arena, sizeClass);
}

template <class TLayout>
std::uint32_t TSlabHeap<TLayout>::GetBatch(std::size_t sizeClass, void** out,
                                           std::uint32_t count) noexcept {
  TArena& arena = PickArena();
  std::lock_guard guard(arena.Lock);
  std::uint32_t taken = 0;
  for (; taken < count; ++taken)
    if (!(out[taken] = GetLocked(arena, sizeClass))) break;
  return taken;
}

template <class TLayout>
void* TSlabHeap<TLayout>::GetLocked(TArena& arena, std::size_t sizeClass) noexcept {
  if (const std::uint32_t head = arena.Heads[sizeClass]; head != TPageHeap::kNilLink) {
    TSubBlock* d = At(head);
    const std::uint32_t bits = LoadSlots(d);
    const auto slot = static_cast<std::uint32_t>(__builtin_ctz(bits));
    StoreSlots(d, bits & (bits - 1));
    if (!(bits & (bits - 1))) UnlinkClass(arena, sizeClass, d);
    return reinterpret_cast<void*>(SlotAddress(d, slot));
  }
  TSubBlock* d = TakeSubBlock(arena, static_cast<std::uint32_t>(&arena - Arenas_));
  if (!d) return nullptr;
  ++Header(PageOf(reinterpret_cast<std::uintptr_t>(d)))->InUse;
  d->ClassIndex = static_cast<std::uint32_t>(sizeClass);
  StoreSlots(d, kFullMask[sizeClass] & ~1u);
  PushClass(arena, sizeClass, d);
  return reinterpret_cast<void*>(SlotAddress(d, 0));
}

// An entirely free sub-block of the arena, else the next one of the page
// being carved, else sub-block 0 of a new page.
template <class TLayout>
typename TSlabHeap<TLayout>::TSubBlock* TSlabHeap<TLayout>::TakeSubBlock(
    TArena& arena, std::uint32_t arenaIndex) noexcept {
  if (arena.FreeHead != TPageHeap::kNilLink) {
    TSubBlock* d = At(arena.FreeHead < arena.FreeTail ? arena.FreeHead : arena.FreeTail);
    UnlinkFree(arena, d);
    return d;
  }
  if (arena.Carving) {
    TPageHeader* header = Header(arena.Carving);
    TSubBlock* d = Descriptor(arena.Carving, header->Carved++);
    if (header->Carved == TLayout::kSubBlocksPerPage) arena.Carving = 0;
    return d;
  }
  const auto page = reinterpret_cast<std::uintptr_t>(Pages_.AllocPages(1, TLayout::kPageClass));
  if (!page) return nullptr;
  *Header(page) = TPageHeader{1, 0, arenaIndex};
  arena.Carving = page;
  return Descriptor(page, 0);
}

template <class TLayout>
void TSlabHeap<TLayout>::PushClass(TArena& arena, std::size_t sizeClass, TSubBlock* d) noexcept {
  std::uint32_t& head = arena.Heads[sizeClass];
  d->Next = head;
  d->Prev = TPageHeap::kNilLink;
  if (head != TPageHeap::kNilLink) At(head)->Prev = LinkOf(d);
  head = LinkOf(d);
}

template <class TLayout>
void TSlabHeap<TLayout>::UnlinkClass(TArena& arena, std::size_t sizeClass, TSubBlock* d) noexcept {
  if (d->Prev == TPageHeap::kNilLink)
    arena.Heads[sizeClass] = d->Next;
  else
    At(d->Prev)->Next = d->Next;
  if (d->Next != TPageHeap::kNilLink) At(d->Next)->Prev = d->Prev;
}

// Below the midpoint of the list's ends at the head, otherwise at the tail,
// so that the lower-addressed end is the one to take from.
template <class TLayout>
void TSlabHeap<TLayout>::FileFree(TArena& arena, TSubBlock* d) noexcept {
  const std::uint32_t link = LinkOf(d);
  if (arena.FreeHead == TPageHeap::kNilLink) {
    d->Next = d->Prev = TPageHeap::kNilLink;
    arena.FreeHead = arena.FreeTail = link;
  } else if (link < (std::uint64_t{arena.FreeHead} + arena.FreeTail) / 2) {
    d->Next = arena.FreeHead;
    d->Prev = TPageHeap::kNilLink;
    At(arena.FreeHead)->Prev = link;
    arena.FreeHead = link;
  } else {
    d->Next = TPageHeap::kNilLink;
    d->Prev = arena.FreeTail;
    At(arena.FreeTail)->Next = link;
    arena.FreeTail = link;
  }
}

template <class TLayout>
void TSlabHeap<TLayout>::UnlinkFree(TArena& arena, TSubBlock* d) noexcept {
  if (d->Prev == TPageHeap::kNilLink)
    arena.FreeHead = d->Next;
  else
    At(d->Prev)->Next = d->Next;
  if (d->Next == TPageHeap::kNilLink)
    arena.FreeTail = d->Prev;
  else
    At(d->Next)->Prev = d->Prev;
}

template <class TLayout>
int TSlabHeap<TLayout>::FreeMem(void* p) noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  TArena& arena = Arenas_[Header(PageOf(address))->Arena];
  std::lock_guard guard(arena.Lock);
  return FreeLocked(arena, address);
}

template <class TLayout>
std::uint32_t TSlabHeap<TLayout>::FreeBatch(void* const* blocks, std::uint32_t count) noexcept {
  std::uint32_t refused = 0;
  for (std::uint32_t i = 0; i < count;) {
    TArena& arena = Arenas_[Header(PageOf(reinterpret_cast<std::uintptr_t>(blocks[i])))->Arena];
    std::lock_guard guard(arena.Lock);
    do {
      refused += FreeLocked(arena, reinterpret_cast<std::uintptr_t>(blocks[i]));
    } while (++i < count &&
             &Arenas_[Header(PageOf(reinterpret_cast<std::uintptr_t>(blocks[i])))->Arena] ==
                 &arena);
  }
  return refused;
}

template <class TLayout>
int TSlabHeap<TLayout>::FreeLocked(TArena& arena, std::uintptr_t address) noexcept {
  const std::uintptr_t page = PageOf(address);
  TPageHeader* header = Header(page);
  TSubBlock* d = Descriptor(page, (address - page) / kSubBlockSize);
  const std::size_t sizeClass = d->ClassIndex;
  const std::uint32_t bit = SlotBit(sizeClass, address - page);
  const std::uint32_t bits = LoadSlots(d);
  // A slot released twice would file its sub-block on a list a second time
  // and corrupt both lists; the one check costs a bit test.
  if (bits & bit) return 1;
  StoreSlots(d, bits | bit);
  if (!bits) {
    PushClass(arena, sizeClass, d);
  } else if ((bits | bit) == kFullMask[sizeClass]) {
    UnlinkClass(arena, sizeClass, d);
    FileFree(arena, d);
    if (--header->InUse == 0) {
      // The page goes back as soon as none of its sub-blocks serves a class.
      for (std::uint32_t i = 0; i < header->Carved; ++i) UnlinkFree(arena, Descriptor(page, i));
      if (arena.Carving == page) arena.Carving = 0;
      Pages_.FreePages(reinterpret_cast<void*>(page), 1);
    }
  }
  return 0;
}

template <class TLayout>
bool TSlabHeap<TLayout>::Resize(const void* p, std::size_t n,
                                std::size_t& oldUsable) const noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t page = PageOf(address);
  const std::size_t sizeClass = Descriptor(page, (address - page) / kSubBlockSize)->ClassIndex;
  oldUsable = TLayout::kClassSizes[sizeClass];
  return n < TLayout::kMinSize || n > TLayout::kMaxSize || kClassOfSize[n] != sizeClass;
}

}  // namespace quenby
