// The view's display-list bookkeeping: one list per live submesh, names
// handed back for freeing once their submesh is gone, and a fresh start for
// a new submesh that takes a destroyed one's memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>

#include "view/draw_list_cache.h"

namespace vh {
namespace {

std::vector<unsigned> Sorted(std::vector<unsigned> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// A cache holding the lists 4 and 5 of two live submeshes.
class DrawListCacheOfTwo : public ::testing::Test {
 protected:
  void SetUp() override {
    cache.For(a).name = 4;
    cache.For(b).name = 5;
  }
  DrawListCache cache;
  std::shared_ptr<Submesh> a = std::make_shared<Submesh>();
  std::shared_ptr<Submesh> b = std::make_shared<Submesh>();
};

TEST_F(DrawListCacheOfTwo, KeepsOneListPerSubmesh) {
  EXPECT_EQ(cache.For(a).name, 4u);
  EXPECT_EQ(cache.For(b).name, 5u);
  EXPECT_EQ(cache.Size(), 2u);
  EXPECT_TRUE(cache.TakeGone().empty()) << "both submeshes are alive";
}

TEST_F(DrawListCacheOfTwo, HandsBackTheNamesOfSubmeshesThatAreGone) {
  auto neverCompiled = std::make_shared<Submesh>();
  cache.For(neverCompiled);
  b.reset();
  neverCompiled.reset();
  EXPECT_EQ(cache.TakeGone(), std::vector<unsigned>{5});
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_TRUE(cache.TakeGone().empty()) << "a name is handed back once";
  EXPECT_EQ(cache.For(a).name, 4u);
}

TEST(DrawListCache, ASubmeshSharedByTwoMeshesKeepsItsListUntilTheLastOneGoes) {
  DrawListCache cache;
  MeshObject tree;
  MeshObject cloud;
  tree.submeshes.push_back(std::make_shared<Submesh>());
  cloud.submeshes.push_back(tree.submeshes.front());
  cache.For(tree.submeshes.front()).name = 6;
  tree.submeshes.clear();
  EXPECT_TRUE(cache.TakeGone().empty());
  EXPECT_EQ(cache.For(cloud.submeshes.front()).name, 6u);
  cloud.submeshes.clear();
  EXPECT_EQ(cache.TakeGone(), std::vector<unsigned>{6});
}

TEST(DrawListCache, ANewSubmeshInADestroyedOnesMemoryStartsAfresh) {
  alignas(Submesh) unsigned char storage[sizeof(Submesh)];
  const auto destroyOnly = [](Submesh* submesh) { submesh->~Submesh(); };
  DrawListCache cache;
  std::shared_ptr<Submesh> first(new (storage) Submesh, destroyOnly);
  CompiledList& old = cache.For(first);
  old.name = 8;
  old.compiled = true;
  first.reset();

  std::shared_ptr<Submesh> second(new (storage) Submesh, destroyOnly);
  const CompiledList& fresh = cache.For(second);
  EXPECT_EQ(fresh.name, 0u);
  EXPECT_FALSE(fresh.compiled);
  EXPECT_EQ(cache.TakeGone(), std::vector<unsigned>{8}) << "the old list is still freed";
  EXPECT_EQ(cache.Size(), 1u);
}

TEST_F(DrawListCacheOfTwo, TakeAllEmptiesTheCacheAndForgetFreesNothing) {
  EXPECT_EQ(Sorted(cache.TakeAll()), (std::vector<unsigned>{4, 5}));
  EXPECT_EQ(cache.Size(), 0u);
  EXPECT_EQ(cache.For(a).name, 0u) << "a later context compiles afresh";

  cache.For(a).name = 11;
  cache.Forget();
  EXPECT_EQ(cache.Size(), 0u);
  a.reset();
  EXPECT_TRUE(cache.TakeGone().empty()) << "forgotten names belonged to a context that is gone";
}

}  // namespace
}  // namespace vh
