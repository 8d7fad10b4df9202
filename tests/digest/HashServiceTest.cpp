// SHA-512 and SHA-1 digests through the system's CryptoAPI providers.
#include "digest/HashService.h"
#include "digest/HashProvider.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kAesProvider[] =
    L"Microsoft Enhanced RSA and AES Cryptographic Provider";
constexpr wchar_t kAesPrototypeProvider[] =
    L"Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)";
constexpr wchar_t kBaseProvider[] =
    L"Microsoft Base Cryptographic Provider v1.0";

constexpr wchar_t kAbcSha512[] =
    L"3a81oZNherrMQXNJriBBMRLm+k6JqX6iCp7u5ktV05ohk"
    L"pkqJ0/BqDa6PCOj/uu9RU1EI2Q86A4qmslPpUyknw";
constexpr wchar_t kAbcSha1[] = L"qZk+NkcGgWq6PiVxeFDCbJzQ2J0";

TEST(ComputeHash, DigestsTheUtf8BytesUpToTheFirstNul) {
  struct Case {
    std::wstring text;
    HashAlgorithm algorithm;
    std::wstring digest;
  };
  const Case cases[] = {
      {L"abc", HashAlgorithm::Sha512, kAbcSha512},
      {L"abc", HashAlgorithm::Sha1, kAbcSha1},
      {std::wstring(L"abc\0def", 7), HashAlgorithm::Sha1, kAbcSha1},
      // Two UTF-8 bytes C3 A9, not the one Latin-1 byte E9.
      {L"\u00e9", HashAlgorithm::Sha1, L"vxW+cXrBsIC08cRWaSgliR/1Bz0"},
      {L"\u00e9\u4e2d", HashAlgorithm::Sha512,
       L"+pqcWrcvSBfdFnTHxUK3GRpPJEhA1CVTCSMTmMRF/kJDLSZRQjnrSUJ8Z9ljSE5uMa2SZ"
       L"ipthXkdaw2RoYyOjw"},
  };
  for (const Case &c : cases) {
    std::wstring digest = L"old";
    EXPECT_EQ(ComputeHash(c.text, digest, c.algorithm), 0u);
    EXPECT_EQ(digest, c.digest);
  }
}

TEST(ComputeHash, FailuresLeaveTheDigestUnchanged) {
  struct Case {
    const char *what;
    std::wstring text;
    HashAlgorithm algorithm;
  };
  const Case cases[] = {
      {"empty", L"", HashAlgorithm::Sha512},
      {"nul first", std::wstring(L"\0abc", 4), HashAlgorithm::Sha1},
      {"unknown selector", L"abc", static_cast<HashAlgorithm>(2)},
  };
  for (const Case &c : cases) {
    std::wstring digest = L"kept";
    const DWORD code = ComputeHash(c.text, digest, c.algorithm);
    EXPECT_NE(code, 0u) << c.what;
    EXPECT_EQ(digest, L"kept") << c.what;
  }
  std::wstring digest;
  EXPECT_EQ(ComputeHash(L"", digest, HashAlgorithm::Sha1), kHashEmptyText);
  EXPECT_NE(ComputeHash(L"abc", digest, static_cast<HashAlgorithm>(2)),
            kHashEmptyText);
}

TEST(ComputeHash, MissingProviderAnswersTheAcquisitionCode) {
  std::wstring digest = L"kept";
  const DWORD code = ComputeHashWith(
      L"abc", digest,
      {L"No Such Cryptographic Provider", PROV_RSA_AES, CALG_SHA_512});
  EXPECT_NE(code, 0u);
  EXPECT_NE(code, kHashEmptyText);
  EXPECT_EQ(digest, L"kept");
}

TEST(ChooseHashProvider, NameFollowsTheMajorVersionForSha512Only) {
  struct Case {
    HashAlgorithm algorithm;
    DWORD majorVersion;
    const wchar_t *name;
    DWORD type;
    ALG_ID id;
  };
  const Case cases[] = {
      {HashAlgorithm::Sha512, 5, kAesPrototypeProvider, PROV_RSA_AES,
       CALG_SHA_512},
      {HashAlgorithm::Sha512, 6, kAesProvider, PROV_RSA_AES, CALG_SHA_512},
      {HashAlgorithm::Sha512, 10, kAesProvider, PROV_RSA_AES, CALG_SHA_512},
      {HashAlgorithm::Sha512, 0, kAesProvider, PROV_RSA_AES, CALG_SHA_512},
      {HashAlgorithm::Sha1, 5, kBaseProvider, PROV_RSA_FULL, CALG_SHA1},
      {HashAlgorithm::Sha1, 6, kBaseProvider, PROV_RSA_FULL, CALG_SHA1},
      {static_cast<HashAlgorithm>(2), 6, L"", 0, 0},
  };
  for (const Case &c : cases) {
    const HashProvider p = ChooseHashProvider(c.algorithm, c.majorVersion);
    EXPECT_EQ(p.name, c.name) << c.majorVersion;
    EXPECT_EQ(p.type, c.type);
    EXPECT_EQ(p.algorithm, c.id);
  }
}

TEST(ComputeHash, EveryNamedProviderServesItsDigest) {
  for (const auto &[name, type, id, expected] :
       {std::tuple<const wchar_t *, DWORD, ALG_ID, const wchar_t *>{
            kAesProvider, PROV_RSA_AES, CALG_SHA_512, kAbcSha512},
        {kAesPrototypeProvider, PROV_RSA_AES, CALG_SHA_512, kAbcSha512},
        {kBaseProvider, PROV_RSA_FULL, CALG_SHA1, kAbcSha1}}) {
    std::wstring digest;
    EXPECT_EQ(ComputeHashWith(L"abc", digest, {name, type, id}), 0u) << name;
    EXPECT_EQ(digest, expected);
  }
}

} // namespace
