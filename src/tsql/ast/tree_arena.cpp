// Carving tree nodes from per-batch blocks. Every carved or heap node is preceded by
// one aligned word saying which it is, so `delete` can tell them apart without asking
// any arena (the node may be deleted on a thread with another arena current, or none).
#include "tsql/ast/tree_arena.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace tsql::ast {

namespace {

constexpr std::size_t kAlign = alignof(std::max_align_t);
constexpr std::size_t kMinBlock = 8 * 1024;
constexpr std::size_t kMaxBlock = 1024 * 1024;
// The word before a node: which memory it lies in. Two unlikely values rather than
// 0/1, so a stray delete of something else trips the assert.
constexpr std::uintptr_t kCarved = 0x7A6E6172'65746E61u;
constexpr std::uintptr_t kHeap = 0x68656170'6E6F6465u;

thread_local TreeArena* current = nullptr;
std::atomic<std::size_t> blocksAlive{0};

constexpr std::size_t roundUp(std::size_t n) { return (n + kAlign - 1) & ~(kAlign - 1); }

}  // namespace

struct TreeArena::Block {
  Block* next;
  std::size_t size;  // bytes after the header
};

TreeArena::TreeArena(std::size_t firstBlock)
    : nextBlock_(std::clamp(roundUp(firstBlock), kMinBlock, kMaxBlock)) {}

TreeArena::~TreeArena() {
  while (blocks_) {
    Block* b = blocks_;
    blocks_ = b->next;
    std::free(b);
    blocksAlive.fetch_sub(1, std::memory_order_relaxed);
  }
}

void TreeArena::addBlock(std::size_t atLeast) {
  const std::size_t size = std::max(nextBlock_, roundUp(atLeast));
  auto* b = static_cast<Block*>(std::malloc(roundUp(sizeof(Block)) + size));
  if (!b) throw std::bad_alloc();
  b->next = blocks_;
  b->size = size;
  blocks_ = b;
  next_ = reinterpret_cast<char*>(b) + roundUp(sizeof(Block));
  end_ = next_ + size;
  reserved_ += size;
  nextBlock_ = std::min(nextBlock_ * 2, kMaxBlock);
  blocksAlive.fetch_add(1, std::memory_order_relaxed);
}

void* TreeArena::allocate(std::size_t bytes) {
  bytes = roundUp(bytes);
  if (static_cast<std::size_t>(end_ - next_) < bytes) addBlock(bytes);
  void* p = next_;
  next_ += bytes;
  return p;
}

std::size_t TreeArena::liveBlocks() { return blocksAlive.load(std::memory_order_relaxed); }

TreeArenaScope::TreeArenaScope(TreeArena& arena) : previous_(current) { current = &arena; }

TreeArenaScope::~TreeArenaScope() { current = previous_; }

void* ArenaAllocated::operator new(std::size_t bytes) {
  const std::size_t total = kAlign + bytes;
  char* base;
  std::uintptr_t tag;
  if (current) {
    base = static_cast<char*>(current->allocate(total));
    tag = kCarved;
  } else {
    base = static_cast<char*>(::operator new(total));
    tag = kHeap;
  }
  *reinterpret_cast<std::uintptr_t*>(base) = tag;
  return base + kAlign;
}

void ArenaAllocated::operator delete(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - kAlign;
  const std::uintptr_t tag = *reinterpret_cast<std::uintptr_t*>(base);
  assert(tag == kCarved || tag == kHeap);
  if (tag == kHeap) ::operator delete(base);
  // carved memory goes back with its arena's blocks
}

}  // namespace tsql::ast
