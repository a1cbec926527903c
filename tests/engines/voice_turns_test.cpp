// The order of the turns at libespeak-ng's one synthesiser: the voice it already holds goes first, within a bound.
#include "voice_turns.h"

#include "test_support.h"

namespace {

// Turns at a synthesiser that holds `holder`'s voice, with waiters queued in order; the order in which they get it.
std::vector<int> GrantOrder(const std::string& holder, const std::vector<std::string>& waiters) {
  syn::VoiceTurns turns;
  turns.Enter(holder);
  std::vector<int> order;
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < waiters.size(); ++i) {
    threads.emplace_back([&, i] {
      turns.Enter(waiters[i]);
      order.push_back(static_cast<int>(i));  // in a turn: one thread at a time
      turns.Leave(waiters[i]);
    });
    while (turns.Waiting() < i + 1) std::this_thread::yield();  // queued in this order
  }
  turns.Leave(holder);
  for (std::thread& t : threads) t.join();
  return order;
}

TEST(VoiceTurns, TheHeldVoiceGoesFirstWithinTheBound) {
  static_assert(syn::VoiceTurns::kMaxPassOvers == 4, "the rows below pass a waiter over four times at most");
  struct Row {
    const char* what;
    std::string holder;
    std::vector<std::string> waiters;
    std::vector<int> order;
  } rows[] = {
      {"one voice keeps its queue order", "ko", {"ko", "ko", "ko"}, {0, 1, 2}},
      {"the held voice first, then the oldest", "ko", {"cmn", "ja", "ko", "cmn", "ko"}, {2, 4, 0, 3, 1}},
      {"passed over four times, then its turn",
       "ko",
       {"ja", "ko", "ko", "ko", "ko", "ko", "ko"},
       {1, 2, 3, 4, 0, 5, 6}},
      {"no waiter for the held voice: the oldest", "en", {"ja", "ko", "ja"}, {0, 2, 1}},
  };
  for (const Row& row : rows) EXPECT_EQ(GrantOrder(row.holder, row.waiters), row.order) << row.what;
}

}  // namespace
