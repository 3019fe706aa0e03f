// What the DLL's COM methods and exports run, with allocations made to fail:
// every attempt ends in a result code, E_OUTOFMEMORY when memory ran out,
// and nothing escapes. Global operator new is replaced for this program;
// it fails only while a test asks it to.
#include "LaunchCommand.h"
#include "NoThrow.h"
#include "PackMenuRules.h"
#include "RegistryScript.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {

// The allocation (counted from 1) that fails; 0: none does.
long g_failAt = 0;
long g_allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (g_failAt != 0 && ++g_allocations == g_failAt) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using torvan::kFailedResult;
using torvan::kOutOfMemoryResult;

bool Gbk(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// What each COM entry point calls, with the result it gives when memory
// suffices. Paths as long as they get, so no short-string buffer spares
// the allocation.
const std::string kFolder = "C:\\" + std::string(240, 'f');
const std::string kSelection = "D:\\" + std::string(200, 'p') + ".gz";

std::int32_t QueryContextMenuLogic() {
    // The handler holds its path in a char buffer, as here.
    const char* path = kSelection.c_str();
    torvan::MenuItem item = torvan::ChooseMenuItem(path, {true, false}, Gbk);
    return item == torvan::MenuItem::Unpack ? torvan::kOffsetsUsed : 0;
}

std::int32_t InvokeCommandLogic() {
    if (!torvan::IsOwnCommand(0, torvan::kVerb)) return kFailedResult;
    std::string command;
    return torvan::FormatLaunchCommand(kFolder + "\\TorvanExt.dll", kSelection, Gbk, command) ? 0 : kFailedResult;
}

std::int32_t RegistrationLogic() {
    std::vector<torvan::ScriptRoot> roots;
    std::string why;
    const char* script = "HKCR { NoRemove CLSID { ForceRemove %CLSID% = s 'PackMenu Class' "
                         "{ InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' } } } }";
    torvan::ScriptReplacements names = {{"CLSID", "{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}"},
                                        {"MODULE", kFolder + "\\TorvanExt.dll"}};
    return torvan::ParseRegistryScript(script, names, roots, why) ? 0 : kFailedResult;
}

// Fails the first, the second, ... allocation of `logic` until a run needs
// no more: each run must end in E_OUTOFMEMORY; the last, unhindered one in
// `expected`. Returns how many allocations the logic makes.
long EveryAllocationFailing(std::int32_t (*logic)(), std::int32_t expected) {
    for (long failAt = 1;; ++failAt) {
        g_allocations = 0;
        g_failAt = failAt;
        std::int32_t result = torvan::CallWithoutThrowing(logic);
        g_failAt = 0;
        if (g_allocations < failAt) {
            EXPECT_EQ(result, expected);
            return failAt - 1;
        }
        EXPECT_EQ(result, kOutOfMemoryResult) << "allocation " << failAt;
    }
}

}  // namespace

TEST(NoThrow, EachEntryPointsLogicGivesOutOfMemoryWhereverAnAllocationFails) {
    EXPECT_GT(EveryAllocationFailing(QueryContextMenuLogic, 103), 0);
    EXPECT_GT(EveryAllocationFailing(InvokeCommandLogic, 0), 0);
    EXPECT_GT(EveryAllocationFailing(RegistrationLogic, 0), 0);
}

TEST(NoThrow, ResultsPassUnchangedAndOtherExceptionsFail) {
    EXPECT_EQ(torvan::CallWithoutThrowing([] { return 103; }), 103);
    EXPECT_EQ(torvan::CallWithoutThrowing([] { return kFailedResult; }), kFailedResult);
    EXPECT_EQ(torvan::CallWithoutThrowing([]() -> int { throw std::runtime_error("x"); }), kFailedResult);
    EXPECT_EQ(torvan::CallWithoutThrowing([]() -> int { throw 7; }), kFailedResult);
}
