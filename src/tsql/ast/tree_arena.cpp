// Carving tree nodes from per-batch blocks: a bump pointer in blocks that double in
// size up to a megabyte. A node tells by itself whether it was carved (node.h), so no
// word is spent before each one and a tree is as dense as its nodes.
#include "tsql/ast/tree_arena.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace tsql::ast {

namespace {

// Nodes hold pointers, strings and doubles, nothing wider: eight bytes apart keeps
// them as dense as they are (the heap would round to sixteen).
constexpr std::size_t kAlign = alignof(double);
constexpr std::size_t kMinBlock = 8 * 1024;
constexpr std::size_t kMaxBlock = 1024 * 1024;

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

TreeArena* currentTreeArena() noexcept { return current; }

void* carveOrAllocate(std::size_t bytes) {
  return current ? current->allocate(bytes) : ::operator new(bytes);
}

}  // namespace tsql::ast
