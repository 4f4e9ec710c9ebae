// TreeArena: the memory a parsed batch's syntax tree is carved from. Parsing a save
// batch makes thousands of small nodes; carving them from a few large blocks instead
// of the heap makes the first run of a batch shape cheaper and keeps its tree close
// together, and freeing the tree is freeing the blocks.
//
// Contract: while a TreeArenaScope is alive on a thread, every Node (and Query) made
// on that thread is carved from the scope's arena; outside one they come from the
// heap. Deleting a carved node runs its destructor and frees nothing; the arena frees
// its blocks when it is destroyed, so it must outlive every node carved from it (the
// parsed batch owns its arena and destroys its statements first). A node made later,
// by a rewrite of the tree, comes from the heap and is freed as usual. Not shared
// between threads.
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

  //! `bytes` aligned to the heap's alignment, valid until the arena is destroyed.
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

//! Base of the tree's classes: their `new` carves from the current arena if there is
//! one, their `delete` gives back heap memory only.
struct ArenaAllocated {
  static void* operator new(std::size_t bytes);
  static void operator delete(void* p) noexcept;
};

}  // namespace tsql::ast
