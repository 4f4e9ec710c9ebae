// TreeArena: the memory a parsed batch's syntax tree is carved from. Parsing a save
// batch makes thousands of small nodes; carving them from a few large blocks instead
// of the heap makes the first run of a batch shape cheaper and keeps its tree close
// together, and freeing the tree is freeing the blocks.
//
// Contract: while a TreeArenaScope is alive on a thread, every Node made on that
// thread is carved from the scope's arena; outside one nodes come from the heap.
// Deleting a carved node runs its destructor and frees nothing; the arena frees its
// blocks when it is destroyed, so it must outlive every node carved from it (the
// parsed batch owns its arena and destroys its statements first). A node made later,
// by a rewrite of the tree, comes from the heap and is freed as usual. An arena is
// used by one thread at a time.
#pragma once

#include <cstddef>

namespace tsql::ast {

class TreeArena {
 public:
  //! `firstBlock`: bytes of the first block (a batch's text length tells its tree's size).
  explicit TreeArena(std::size_t firstBlock = 0);
  ~TreeArena();
  TreeArena(const TreeArena&) = delete;
  TreeArena& operator=(const TreeArena&) = delete;

  //! `bytes` on an eight-byte boundary, valid until the arena is destroyed.
  void* allocate(std::size_t bytes);
  //! Bytes held in blocks.
  std::size_t reserved() const { return reserved_; }
  //! Blocks held by every arena of the process (bounded memory is checked with it).
  static std::size_t liveBlocks();

 private:
  struct Block;
  void addBlock(std::size_t atLeast);

  Block* blocks_ = nullptr;  // the newest first
  char* next_ = nullptr;
  char* end_ = nullptr;
  std::size_t nextBlock_;
  std::size_t reserved_ = 0;
};

//! Makes `arena` the current thread's arena for tree nodes while it lives (nests).
class TreeArenaScope {
 public:
  explicit TreeArenaScope(TreeArena& arena);
  ~TreeArenaScope();
  TreeArenaScope(const TreeArenaScope&) = delete;
  TreeArenaScope& operator=(const TreeArenaScope&) = delete;

 private:
  TreeArena* previous_;
};

//! The current thread's arena, null outside a TreeArenaScope.
TreeArena* currentTreeArena() noexcept;
//! `bytes` from the current arena, or from the heap when there is none.
void* carveOrAllocate(std::size_t bytes);

}  // namespace tsql::ast
