#include "memory/FastMemBig.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quenby {
namespace {

constexpr std::size_t kPage = TPageHeap::kPageSize;
constexpr std::size_t kUnit = TFastMemBig::kUnit;
constexpr std::uint32_t kNil = TPageHeap::kNilLink;
constexpr int kWholePageClass = TFastMemBig::kClassCount - 1;

// 12288 rather than 10240 after 8192; then every 2048 up to a whole page.
constexpr auto kBounds = [] {
  std::array<std::uint32_t, TFastMemBig::kClassCount> bounds{
      256,  384,  512,  640,  768,  896,  1024, 1280, 1536, 1792,
      2048, 2560, 3072, 3584, 4096, 5120, 6144, 7168, 8192, 12288};
  for (int c = 20; c < TFastMemBig::kClassCount; ++c)
    bounds[c] = 14336 + 2048 * static_cast<std::uint32_t>(c - 20);
  return bounds;
}();
static_assert(kBounds[TFastMemBig::kClassCount - 1] == kPage);

constexpr std::size_t kSizes = kPage / kUnit;  // block sizes 128 ... 65536, indexed by units - 1

// Where a search for a block of this size starts: the first class whose
// bound is at least the size.
constexpr auto kSearchClass = [] {
  std::array<std::int8_t, kSizes> table{};
  for (std::size_t i = 0; i < kSizes; ++i) {
    int c = 0;
    while (kBounds[c] < (i + 1) * kUnit) ++c;
    table[i] = static_cast<std::int8_t>(c);
  }
  return table;
}();

// Where a free block of this size is filed: the last class whose bound is at
// most the size; -1 for 128 bytes.
constexpr auto kFilingClass = [] {
  std::array<std::int8_t, kSizes> table{};
  for (std::size_t i = 0; i < kSizes; ++i) {
    int c = -1;
    while (c + 1 < TFastMemBig::kClassCount && kBounds[c + 1] <= (i + 1) * kUnit) ++c;
    table[i] = static_cast<std::int8_t>(c);
  }
  return table;
}();

bool IsPageStart(std::uintptr_t address) {
  return address % kPage == 0;
}
bool SamePage(std::uintptr_t a, std::uintptr_t b) {
  return a / kPage == b / kPage;
}

}  // namespace

int TFastMemBig::FilingClass(std::size_t size) noexcept {
  return kFilingClass[size / kUnit - 1];
}
std::size_t TFastMemBig::ClassBound(int sizeClass) noexcept {
  return kBounds[sizeClass];
}

std::uint32_t TFastMemBig::Load(std::uintptr_t address) noexcept {
  std::uint32_t value;
  std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
  return value;
}

void TFastMemBig::Store(std::uintptr_t address, std::uint32_t value) noexcept {
  std::memcpy(reinterpret_cast<void*>(address), &value, sizeof value);
}

void TFastMemBig::SetInUse(std::uintptr_t block, std::size_t size) noexcept {
  Store(block, static_cast<std::uint32_t>(size / kUnit));
  Store(block + size - 4, 0);
}

std::size_t TFastMemBig::UsableSize(const void* p) noexcept {
  return Load(reinterpret_cast<std::uintptr_t>(p) - kHeader) * kUnit - kOverhead;
}

void TFastMemBig::InitBigHeap() noexcept {
  std::lock_guard guard(Lock_);
  for (TList& list : Lists_) list = TList{};
  NonEmpty_ = 0;
}

void TFastMemBig::DoneBigHeap() noexcept {
  std::lock_guard guard(Lock_);
  TList& pages = Lists_[kWholePageClass];
  while (pages.Head != kNil) {
    const std::uintptr_t page = Pages_.FromLink(pages.Head);
    Unlink(page);
    Pages_.FreePages(reinterpret_cast<void*>(page), 1);
  }
}

void* TFastMemBig::BigGetMem(std::size_t n) {
  if (n > Pages_.RegionSize()) return nullptr;  // also keeps the rounding below from overflowing
  const std::size_t r = BlockSizeFor(n);
  std::lock_guard guard(Lock_);
  const std::uintptr_t block = GetLocked(r);
  return block ? reinterpret_cast<void*>(block + kHeader) : nullptr;
}

std::uint32_t TFastMemBig::BigGetBatch(std::size_t n, void** out, std::uint32_t count) {
  const std::size_t r = BlockSizeFor(n);
  if (r > kPage) return 0;
  std::lock_guard guard(Lock_);
  std::uint32_t taken = 0;
  for (; taken < count; ++taken) {
    const std::uintptr_t block = GetLocked(r);
    if (!block) break;
    out[taken] = reinterpret_cast<void*>(block + kHeader);
  }
  return taken;
}

// A block of r bytes (a multiple of the unit) marked in use; 0 when no page is left.
std::uintptr_t TFastMemBig::GetLocked(std::size_t r) {
  std::uintptr_t block;
  std::size_t available;
  if (r > kPage) {
    const std::size_t count = (r + kPage - 1) / kPage;
    block = reinterpret_cast<std::uintptr_t>(Pages_.AllocPages(count, pcBig));
    available = count * kPage;
  } else if (const std::uint64_t candidates = NonEmpty_ >> kSearchClass[r / kUnit - 1]
                                                               << kSearchClass[r / kUnit - 1]) {
    const TList& list = Lists_[__builtin_ctzll(candidates)];
    block = Pages_.FromLink(std::min(list.Head, list.Tail));
    available = Load(block + 4) * kUnit;
    Unlink(block);
  } else {
    block = reinterpret_cast<std::uintptr_t>(Pages_.AllocPages(1, pcBig));
    available = kPage;
  }
  if (!block) return 0;
  if (available - r > kLargestSmaller) {
    SetInUse(block, r);
    File(block + r, available - r);
  } else {
    SetInUse(block, available);
  }
  return block;
}

// Files a free extent, merged with its free neighbours in the same page. The
// heap keeps at most one whole free page; a further one goes back at once.
// An extent of one unit has no class: it is marked free but left off the
// lists, so that the neighbour beside it absorbs it when that one is freed.
void TFastMemBig::File(std::uintptr_t block, std::size_t size) {
  const std::uintptr_t original = block;
  if (!IsPageStart(block)) {
    if (const std::uint32_t below = Load(block - 4)) {
      block -= below * kUnit;
      size += below * kUnit;
      Unlink(block);
    }
  }
  Store(original, 0);  // an absorbed header must no longer read as a block in use
  const std::uintptr_t above = block + size;
  if (SamePage(above, block) && Load(above) == 0) {
    size += Load(above + 4) * kUnit;
    Unlink(above);
  }
  const int sizeClass = FilingClass(size);
  if (sizeClass == kWholePageClass && Lists_[kWholePageClass].Head != kNil) {
    Pages_.FreePages(reinterpret_cast<void*>(block), 1);
    return;
  }
  const auto units = static_cast<std::uint32_t>(size / kUnit);
  Store(block, 0);
  Store(block + 4, units);
  Store(block + size - 4, units);
  if (sizeClass >= 0) Link(block, sizeClass);
}

// Below the midpoint of the list's ends at the head, above it at the tail, so
// that the lower-addressed end is the better one to take from.
void TFastMemBig::Link(std::uintptr_t block, int sizeClass) noexcept {
  TList& list = Lists_[sizeClass];
  const std::uint32_t link = Pages_.ToLink(reinterpret_cast<void*>(block));
  if (list.Head == kNil) {
    Store(block + 8, kNil);
    Store(block + 12, kNil);
    list.Head = list.Tail = link;
    NonEmpty_ |= std::uint64_t{1} << sizeClass;
  } else if (link > (std::uint64_t{list.Head} + list.Tail) / 2) {
    Store(block + 8, kNil);
    Store(block + 12, list.Tail);
    Store(Pages_.FromLink(list.Tail) + 8, link);
    list.Tail = link;
  } else {
    Store(block + 8, list.Head);
    Store(block + 12, kNil);
    Store(Pages_.FromLink(list.Head) + 12, link);
    list.Head = link;
  }
}

void TFastMemBig::Unlink(std::uintptr_t block) noexcept {
  const int sizeClass = FilingClass(Load(block + 4) * kUnit);
  if (sizeClass < 0) return;  // an unlisted one-unit extent
  TList& list = Lists_[sizeClass];
  const std::uint32_t next = Load(block + 8), prev = Load(block + 12);
  if (prev == kNil)
    list.Head = next;
  else
    Store(Pages_.FromLink(prev) + 8, next);
  if (next == kNil)
    list.Tail = prev;
  else
    Store(Pages_.FromLink(next) + 12, prev);
  if (list.Head == kNil) NonEmpty_ &= ~(std::uint64_t{1} << sizeClass);
}

int TFastMemBig::BigFreeMem(void* p) noexcept {
  const std::uintptr_t block = reinterpret_cast<std::uintptr_t>(p) - kHeader;
  // Checks before the lock, so that a bad address changes nothing: the block
  // must start on a unit, be in use (a freed one has word 0 clear) and end
  // inside its own page, or start a page if it spans several; then its last
  // word, which lies in committed memory of this heap, must be 0.
  if (block % kUnit != 0 || !Pages_.InPageHeap(reinterpret_cast<void*>(block))) return 1;
  const std::size_t size = std::size_t{Load(block)} * kUnit;
  if (size == 0 || size > Pages_.RegionStart() + Pages_.RegionSize() - block) return 1;
  if (size <= kPage ? block % kPage + size > kPage : !IsPageStart(block)) return 1;
  const std::uintptr_t last = block + size - 4;
  if (Pages_.PageClassOf(reinterpret_cast<void*>(last)) != pcBig || Load(last) != 0) return 1;
  std::lock_guard guard(Lock_);
  std::uintptr_t rest = block;
  std::size_t restSize = size;
  for (; restSize > kPage; rest += kPage, restSize -= kPage)
    Pages_.FreePages(reinterpret_cast<void*>(rest), 1);
  File(rest, restSize);
  return 0;
}

void TFastMemBig::BigFreeBatch(void* const* blocks, std::uint32_t count) {
  std::lock_guard guard(Lock_);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uintptr_t block = reinterpret_cast<std::uintptr_t>(blocks[i]) - kHeader;
    File(block, std::size_t{Load(block)} * kUnit);
  }
}

bool TFastMemBig::BigResize(void*& p, std::size_t n, std::size_t& oldUsable) {
  const std::uintptr_t block = reinterpret_cast<std::uintptr_t>(p) - kHeader;
  const std::size_t size = std::size_t{Load(block)} * kUnit;
  oldUsable = size - kOverhead;
  if (n <= kLargestSmaller || n > Pages_.RegionSize()) return true;
  const std::size_t r = BlockSizeFor(n);
  if (r == size) return false;
  std::lock_guard guard(Lock_);
  if (r < size) {
    // The tail goes back piece by piece, cut at page boundaries.
    SetInUse(block, r);
    for (std::uintptr_t piece = block + r, end = block + size; piece < end;) {
      const std::uintptr_t next = std::min(end, piece / kPage * kPage + kPage);
      File(piece, next - piece);
      piece = next;
    }
    return false;
  }
  const std::uintptr_t above = block + size;
  if (!SamePage(above - 1, block + r - 1) || Load(above) != 0) return true;
  const std::size_t freeSize = Load(above + 4) * kUnit;
  if (size + freeSize < r) return true;
  Unlink(above);
  SetInUse(block, r);
  if (size + freeSize > r) File(block + r, size + freeSize - r);
  return false;
}

}  // namespace quenby
