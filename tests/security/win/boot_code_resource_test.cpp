// The Windows program carries the master boot code twice: as the resource
// "BOOTCODE" 142 and compiled in. Both must be the same 512 bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "security/master_boot_record.h"

namespace zel {
namespace {

TEST(BootCodeResource, MatchesTheEmbeddedBytes) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(142), "BOOTCODE");
  ASSERT_NE(found, nullptr);
  ASSERT_EQ(SizeofResource(nullptr, found), kBootCodeBytes);
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(loaded, nullptr);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  ASSERT_NE(bytes, nullptr);
  EXPECT_TRUE(std::equal(bytes, bytes + kBootCodeBytes, MasterBootCode().begin()));
}

}  // namespace
}  // namespace zel
