// Hashing where the system reports major version 5: this program runs with
// Wine's version for it set to Windows XP.
#include "digest/HashProvider.h"
#include "digest/HashService.h"

#include <gtest/gtest.h>

namespace {

TEST(ComputeHashOnWindowsXp, Sha512ServesThroughThePrototypeProvider) {
  ASSERT_EQ(SystemMajorVersion(), 5u);
  EXPECT_EQ(
      ChooseHashProvider(HashAlgorithm::Sha512, SystemMajorVersion()).name,
      L"Microsoft Enhanced RSA and AES Cryptographic Provider "
      L"(Prototype)");
  std::wstring digest;
  EXPECT_EQ(ComputeHash(L"abc", digest, HashAlgorithm::Sha512), 0u);
  EXPECT_EQ(digest, L"3a81oZNherrMQXNJriBBMRLm+k6JqX6iCp7u5ktV05ohkpkqJ0/BqDa6P"
                    L"COj/uu9RU1EI2Q86A4qmslPpUyknw");
}

} // namespace
