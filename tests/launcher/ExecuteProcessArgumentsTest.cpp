// The command reads no argument beyond the count it is given.
#include "launcher/ExecuteProcessCommand.h"

#include "FixturePaths.h"
#include "plugin/BrowserFuncs.h"
#include "plugin/TextConversion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace {

void *MemAlloc(uint32_t size) { return std::malloc(size); }
void MemFree(void *block) { std::free(block); }

// The given argument at the very end of readable memory: reading the next one
// faults.
TEST(ExecuteProcessArguments, ReadsNothingBeyondTheGivenCount) {
  BrowserFuncs.memalloc = MemAlloc;
  BrowserFuncs.memfree = MemFree;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  auto *pages = static_cast<char *>(VirtualAlloc(
      nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));

  const std::string path = WideToUtf8(fixtures::kSignedProgram);
  auto *last = reinterpret_cast<NPVariant *>(pages + page - sizeof(NPVariant));
  last->type = NPVariantType_String;
  last->value.stringValue = {path.data(), static_cast<uint32_t>(path.size())};

  for (uint32_t count : {0u, 1u}) {
    NPVariant result = {};
    EXPECT_TRUE(ExecuteProcess(count == 0 ? last + 1 : last, count, &result));
    ASSERT_EQ(result.type, NPVariantType_String);
    EXPECT_EQ(
        std::string(result.value.stringValue.UTF8Characters,
                    result.value.stringValue.UTF8Length),
        R"({"result": "FALSE", "status": 9999, "description": "unknown error"})");
    MemFree(const_cast<NPUTF8 *>(result.value.stringValue.UTF8Characters));
  }
  NPVariant result = {};
  EXPECT_TRUE(ExecuteProcess(nullptr, 2, &result));
  MemFree(const_cast<NPUTF8 *>(result.value.stringValue.UTF8Characters));
  VirtualFree(pages, 0, MEM_RELEASE);
}

} // namespace
