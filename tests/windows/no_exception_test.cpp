// Nothing but results crosses the C interface. The library is built without exceptions and its exports are
// noexcept, so an allocation that fails inside an export, or a hostile argument, must come back as a documented
// result: never an exception (a C++ one that escapes, or a crash) and never a terminated process. Allocation
// failures are injected by pointing ORVEN_M.dll's imports of the C runtime's allocators at failing ones.
#include <csignal>

#include "windows_test_support.h"

namespace orven_test {
namespace {

// While armed, the allocation numbered g_failAt (from 0) fails; every allocation is counted.
std::atomic<long> g_allocations{0}, g_failAt{-1};
const char* volatile g_call = "";
decltype(&std::malloc) g_malloc;
decltype(&std::calloc) g_calloc;
decltype(&std::realloc) g_realloc;
decltype(&_strdup) g_strdup;
bool FailsNow() { return g_failAt.load() >= 0 && g_allocations.fetch_add(1) == g_failAt.load(); }
void* FailingMalloc(size_t n) { return FailsNow() ? nullptr : g_malloc(n); }
void* FailingCalloc(size_t n, size_t size) { return FailsNow() ? nullptr : g_calloc(n, size); }
void* FailingRealloc(void* p, size_t n) { return FailsNow() ? nullptr : g_realloc(p, n); }
char* FailingStrdup(const char* s) { return FailsNow() ? nullptr : g_strdup(s); }

// Points the module's import of `function` from msvcrt.dll at `replacement`; returns the original.
void* PatchImport(HMODULE module, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name != 0; ++dll) {
    if (_stricmp(reinterpret_cast<char*>(base + dll->Name), "msvcrt.dll") != 0) continue;
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
          std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name, function) != 0)
        continue;
      DWORD protection;
      VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
      void* original = reinterpret_cast<void*>(slot->u1.Function);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof(void*), protection, &protection);
      return original;
    }
  }
  return nullptr;
}

int32_t ORVN_CDECL IgnoreAudio(void*, ORVN_PcmChunk*) { return 0; }
void ORVN_CDECL IgnoreMessage(void*, ORVN_WINDOW, uint32_t, intptr_t, intptr_t) {}
// A failed allocation in a playback shows a box; the system's own would wait for a click wherever there is a
// display.
void ORVN_CDECL IgnoreBox(void*, const char*, const char*) {}

// A playback on the null device, stopped at once; or a notification window, destroyed at once. 0 or 1.
int32_t PlayAndStopOrMakeWindow(bool play) {
  if (play) {
    const int32_t started = ORVN_PlayTTS(nullptr, 1, "ab", "<speed=\"150\">", ORVN_ENGLISH, 9);
    ORVN_StopTTS();
    return started;
  }
  ORVN_WINDOW window = ORVN_CreateNotifyWindow(IgnoreMessage, nullptr);
  ORVN_DestroyNotifyWindow(window);
  return window != nullptr;
}

class NoExceptions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HMODULE library = GetModuleHandleA("ORVEN_M.dll");
    g_malloc = reinterpret_cast<decltype(g_malloc)>(PatchImport(library, "malloc", (void*)FailingMalloc));
    g_calloc = reinterpret_cast<decltype(g_calloc)>(PatchImport(library, "calloc", (void*)FailingCalloc));
    g_realloc = reinterpret_cast<decltype(g_realloc)>(PatchImport(library, "realloc", (void*)FailingRealloc));
    g_strdup = reinterpret_cast<decltype(g_strdup)>(PatchImport(library, "_strdup", (void*)FailingStrdup));
    // An exception that reaches a noexcept frame ends the process: say where.
    std::signal(SIGABRT, [](int) { std::fprintf(stderr, "aborted during %s\n", g_call); });
  }
  void SetUp() override {
    ASSERT_NE(g_malloc, nullptr) << "ORVEN_M.dll imports malloc from msvcrt.dll";
    ORVN_Initialize();
    ORVN_SetAudioDevice("null");
    ORVN_SetMessageBoxHandler(IgnoreBox, nullptr);
    ORVN_SetCharSet(nullptr, 1);
    for (int32_t language : {ORVN_KOREAN, ORVN_ENGLISH})
      ASSERT_EQ(ORVN_LoadEngineEx(language, 9, VoicesDir().c_str(), 0), 0);
    channel = ORVN_CreateThread(nullptr, IgnoreAudio, ORVN_KOREAN, 9);
    ORVN_SetCharSet(channel, 1);
    ORVN_SetTextFormat(channel, 1);
  }
  void TearDown() override {
    ORVN_DeleteThread(channel);
    ORVN_UnLoadEngine(ORVN_KOREAN);
    ORVN_UnLoadEngine(ORVN_ENGLISH);
    ORVN_SetMessageBoxHandler(nullptr, nullptr);
    ORVN_Initialize();
  }
  std::string File(const char* name) const { return AnsiPath(scratch.Path() / name); }

  ScratchDir scratch;
  ORVN_CHANNEL channel = nullptr;
};

// Runs the call with the allocation numbered failAt failing; a C++ exception that comes out of it is a failure that
// names the call.
int32_t RunCounted(const char* call, const std::function<int32_t()>& body, long failAt) {
  g_call = call;
  g_allocations = 0;
  g_failAt = failAt;
  int32_t result = INT32_MIN;
  try {
    result = body();
  } catch (...) {
    ADD_FAILURE() << call << " let an exception out with allocation " << failAt << " failing";
  }
  g_failAt = -1;
  return result;
}

// Every allocation an export makes, failed in turn, and hostile arguments: each call returns one of its documented
// results.
TEST_F(NoExceptions, FailedAllocationsAndHostileArgumentsComeBackAsResults) {
  const std::string wav = File("a.wav"), au = File("b.au"), mixed = File("c.wav"),
                    korean = "\xED\x95\x9C<x>\xEA\xB8\x80";
  ASSERT_EQ(ORVN_TextToFile(ORVN_ENGLISH, 9, 0, 0, 16000, "abc", wav.c_str(), nullptr, nullptr), 0);
  const std::string voices = VoicesDir(), hugePath(40000, 'p');
  const struct {
    const char* call;
    std::function<int32_t()> body;
    std::set<int32_t> results;
  } rows[] = {
      {"ORVN_LoadEngineEx",
       [&] { return ORVN_UnLoadEngineEx(1, 9), ORVN_LoadEngineEx(1, 9, voices.c_str(), 0); },
       {0, 1}},
      {"ORVN_TextToSpeech", [&] { return ORVN_TextToSpeech(channel, korean.c_str(), 1); }, {1, 0, -21}},
      {"ORVN_TextToPcmBuf", [&] { return ORVN_TextToPcmBuf(channel, korean.c_str(), 1, 4000); }, {1, 0, -21}},
      {"ORVN_TextToFile",
       [&] { return ORVN_TextToFile(0, 9, 1, 5, 8000, korean.c_str(), au.c_str(), "<x>", 0); },
       {0, -2, -21}},
      {"ORVN_AudioMixer",
       [&] { return ORVN_AudioMixer(wav.c_str(), wav.c_str(), mixed.c_str(), 16000, 0, 0, 2); },
       {0, 1}},
      {"ORVN_CreateNotifyWindow", [] { return PlayAndStopOrMakeWindow(false); }, {0, 1}},
      {"ORVN_PlayTTS", [] { return PlayAndStopOrMakeWindow(true); }, {0, 1}},
      {"ORVN_TextToFile(wildcards in the name)",
       [] { return ORVN_TextToFile(1, 9, 0, 0, 16000, "a", "o?*|.wav", 0, 0); },
       {-1, -2}},
      {"ORVN_LoadEngine(a 40000-byte path)", [&] { return ORVN_LoadEngine(2, hugePath.c_str(), 0); }, {1}},
  };
  for (const auto& row : rows) {
    for (long failAt = 0; failAt < 500; ++failAt) {
      const int32_t result = RunCounted(row.call, row.body, failAt);
      EXPECT_EQ(row.results.count(result), 1u)
          << row.call << " returned " << result << " with allocation " << failAt << " failing";
      if (g_allocations <= failAt) break;  // nothing failed: the call has run as usual
    }
  }
}

}  // namespace
}  // namespace orven_test
